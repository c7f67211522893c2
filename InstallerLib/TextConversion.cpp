#include "InstallerLib/TextConversion.h"

#include "InstallerLib/platform/Charset.h"

namespace stubsetup {
namespace {

constexpr char kUtf8[] = "UTF-8";

// The C locale reports plain ASCII, which would turn every non-ASCII byte of
// a message into U+FFFD; programs run in it mostly pass UTF-8 around.
const char *EffectiveCharset(const std::string &localeCharset)
{
    if (localeCharset == "ANSI_X3.4-1968" || localeCharset == "ASCII" ||
        localeCharset == "US-ASCII")
        return kUtf8;
    return localeCharset.c_str();
}

} // namespace

std::string AnsiToUtf8(const std::string &text)
{
    const std::string localeCharset = platform::LocaleCharset();
    return AnsiToUtf8(text, EffectiveCharset(localeCharset));
}

std::string AnsiToUtf8(const std::string &text, const char *sourceCharset)
{
    std::string converted;
    if (!text.empty())
        platform::ConvertToUtf8(text, sourceCharset, converted);
    return converted;
}

} // namespace stubsetup
