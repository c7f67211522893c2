#pragma once

#include "common/Outcome.h"

#include <string>

namespace stubsetup::platform {

// Appends `line` whole to the journal at `path` (a relative path starts in
// the current folder): one write under an exclusive flock, so the lines of
// runs at once never interleave; another process's lock is waited for at
// most kLockWaitSeconds. A missing journal is created with mode 0600 (root
// hands it to the owner of its folder); a symbolic link at `path` is never
// followed, and anything but a regular file is refused. A line that does not
// fit (a full disk, a file-size limit) is taken back whole, so the next one
// does not begin inside a torn one.
Outcome AppendWholeLine(const std::string &path, const std::string &line);

} // namespace stubsetup::platform
