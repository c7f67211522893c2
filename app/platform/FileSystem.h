#pragma once

#include <string>

namespace stubsetup::platform {

// Creates or truncates the regular file at `path` and writes exactly
// `contents` to it, durably. Never blocks on a FIFO. False when the path
// cannot be opened as a regular file or any write, sync or close fails; a
// file left incomplete by a failed write is removed.
bool WriteWholeFile(const std::string &path, const std::string &contents);

} // namespace stubsetup::platform
