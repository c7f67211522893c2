#pragma once

class QIcon;
class QString;

namespace stubsetup {

// An icon resource is a folder (usually inside the Qt resources) holding the
// icon drawn at several sizes: one file per size, named by its side in pixels
// ("16", "32", ...), holding side x side premultiplied RGBA pixels, 8 bits
// each. Reading it needs no image decoder, so showing a window's icon loads no
// image plug-in. Files of any other name or length are skipped.
QIcon loadIconResource(const QString &folder);

} // namespace stubsetup
