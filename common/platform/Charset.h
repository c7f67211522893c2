#pragma once

#include <string>

namespace stubsetup::platform {

// The character set of the user's locale (LC_CTYPE), e.g. "UTF-8".
std::string LocaleCharset();

// Converts `text` from `sourceCharset` to UTF-8. A sequence that is invalid
// or has no Unicode equivalent becomes U+FFFD and the rest still converts.
// False (and `converted` untouched) when no converter for the charset exists.
bool ConvertToUtf8(const std::string &text, const char *sourceCharset, std::string &converted);

// Converts UTF-8 `text` to `targetCharset`. A character the charset cannot
// represent, and an invalid UTF-8 sequence, becomes one '?' and the rest
// still converts. False (and `converted` untouched) when no converter for the
// charset exists.
bool ConvertFromUtf8(const std::string &text, const char *targetCharset, std::string &converted);

} // namespace stubsetup::platform
