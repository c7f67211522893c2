#include "InstallerLib/platform/Charset.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <memory>
#include <type_traits>
#include <utility>

namespace stubsetup::platform {
namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

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

} // namespace

std::string LocaleCharset()
{
    return nl_langinfo(CODESET);
}

bool ConvertToUtf8(const std::string &text, const char *sourceCharset, std::string &converted)
{
    const iconv_t opened = iconv_open("UTF-8", sourceCharset);
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
        // An invalid or unmappable byte is replaced and skipped, so that one bad
        // byte never costs the rest of the text; a sequence cut off at the end
        // (EINVAL) is replaced as a whole.
        output += kReplacementCharacter;
        if (errno != EILSEQ)
            break;
        ++input;
        --inputLeft;
    }
    ConvertStep(converter.get(), nullptr, nullptr, output);
    converted = std::move(output);
    return true;
}

} // namespace stubsetup::platform
