#include "common/TextConversion.h"

#include "common/platform/Charset.h"

namespace stubsetup {
namespace {

using Conversion = bool (*)(const std::string &text, const char *charset, std::string &converted);

// The C locale reports plain ASCII, which would turn every non-ASCII byte of
// a message into U+FFFD; programs run in it mostly pass UTF-8 around.
std::string effectiveLocaleCharset()
{
    std::string localeCharset = platform::LocaleCharset();
    if (localeCharset == "ANSI_X3.4-1968" || localeCharset == "ASCII" ||
        localeCharset == "US-ASCII")
        return "UTF-8";
    return localeCharset;
}

std::string convertedBy(Conversion conversion, const std::string &text, const char *charset)
{
    std::string converted;
    if (!text.empty())
        conversion(text, charset, converted);
    return converted;
}

} // namespace

std::string AnsiToUtf8(const std::string &text)
{
    return AnsiToUtf8(text, effectiveLocaleCharset().c_str());
}

std::string AnsiToUtf8(const std::string &text, const char *sourceCharset)
{
    return convertedBy(platform::ConvertToUtf8, text, sourceCharset);
}

std::string Utf8ToAnsi(const std::string &text)
{
    return Utf8ToAnsi(text, effectiveLocaleCharset().c_str());
}

std::string Utf8ToAnsi(const std::string &text, const char *targetCharset)
{
    return convertedBy(platform::ConvertFromUtf8, text, targetCharset);
}

} // namespace stubsetup
