#pragma once

#include <string>

namespace stubsetup {

// Converts text in the locale's character set to UTF-8; in the C locale the
// text is taken as UTF-8 already. Invalid or unmappable sequences become
// U+FFFD; an unknown character set gives an empty result.
std::string AnsiToUtf8(const std::string &text);
std::string AnsiToUtf8(const std::string &text, const char *sourceCharset);

// The way back, for text that comes from the user interface: UTF-8 to the
// locale's character set, which the C locale again takes as UTF-8. Each
// character the charset lacks, and each invalid sequence, becomes one '?';
// an unknown character set gives an empty result.
std::string Utf8ToAnsi(const std::string &text);
std::string Utf8ToAnsi(const std::string &text, const char *targetCharset);

} // namespace stubsetup
