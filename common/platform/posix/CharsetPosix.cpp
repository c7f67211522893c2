#include "common/platform/Charset.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <memory>
#include <type_traits>
#include <utility>

namespace stubsetup::platform {
namespace {

constexpr char kUtf8[] = "UTF-8";

// What stands in for input that cannot be converted, and how many input
// bytes it covers.
struct Substitute {
    const char *text;
    std::size_t (*covers)(const char *input, std::size_t inputLeft);
};

std::size_t OneByte(const char *, std::size_t)
{
    return 1;
}

// The UTF-8 character starting at `input`: its lead byte and the continuation
// bytes that follow, at most as many as the lead byte announces, so that a
// broken sequence never swallows the character after it.
std::size_t Utf8Character(const char *input, std::size_t inputLeft)
{
    const auto lead = static_cast<unsigned char>(input[0]);
    const std::size_t announced = lead >= 0xF8   ? 1
                                  : lead >= 0xF0 ? 4
                                  : lead >= 0xE0 ? 3
                                  : lead >= 0xC0 ? 2
                                                 : 1;
    std::size_t length = 1;
    while (length < announced && length < inputLeft &&
           (static_cast<unsigned char>(input[length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

// Invalid or unmappable bytes of a locale's text become U+FFFD one by one.
constexpr Substitute kFromLocale{"\xEF\xBF\xBD", OneByte};
// A character the locale's charset lacks becomes one '?', whatever its length
// in bytes: the text keeps its length in characters and the loss shows.
constexpr Substitute kToLocale{"?", Utf8Character};

struct IconvCloser {
    void operator()(iconv_t converter) const { iconv_close(converter); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

bool IsConversionError(std::size_t result)
{
    return result == static_cast<std::size_t>(-1);
}

// Runs one iconv step into a local chunk and appends what it produced. A null
// input flushes the converter's shift state.
std::size_t ConvertStep(iconv_t converter, char **input, std::size_t *inputLeft,
                        std::string &output)
{
    std::array<char, 1024> chunk;
    char *chunkEnd = chunk.data();
    std::size_t chunkLeft = chunk.size();
    const std::size_t result = iconv(converter, input, inputLeft, &chunkEnd, &chunkLeft);
    output.append(chunk.data(), static_cast<std::size_t>(chunkEnd - chunk.data()));
    return result;
}

bool Convert(const std::string &text, const char *from, const char *to,
             const Substitute &substitute, std::string &converted)
{
    const iconv_t opened = iconv_open(to, from);
    // iconv_open's failure value is (iconv_t)-1.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    if (opened == reinterpret_cast<iconv_t>(-1))
        return false;
    const Converter converter(opened);
    std::string output;
    output.reserve(text.size());
    // iconv does not write through its input pointer; the cast only meets its signature.
    char *input = const_cast<char *>(text.data());
    std::size_t inputLeft = text.size();
    while (inputLeft > 0) {
        if (!IsConversionError(ConvertStep(converter.get(), &input, &inputLeft, output)))
            break;
        if (errno == E2BIG)
            continue;
        // What cannot be converted is replaced and skipped, so that one bad
        // character never costs the rest of the text; a sequence cut off at
        // the end (EINVAL) is replaced as a whole.
        output += substitute.text;
        if (errno != EILSEQ)
            break;
        const std::size_t skipped = substitute.covers(input, inputLeft);
        input += skipped;
        inputLeft -= skipped;
    }
    ConvertStep(converter.get(), nullptr, nullptr, output);
    converted = std::move(output);
    return true;
}

} // namespace

std::string LocaleCharset()
{
    return nl_langinfo(CODESET);
}

bool ConvertToUtf8(const std::string &text, const char *sourceCharset, std::string &converted)
{
    return Convert(text, sourceCharset, kUtf8, kFromLocale, converted);
}

bool ConvertFromUtf8(const std::string &text, const char *targetCharset, std::string &converted)
{
    return Convert(text, kUtf8, targetCharset, kToLocale, converted);
}

} // namespace stubsetup::platform
