// Our side of the reader and writer figures: XmlReader::parseFile into the
// tree (and its destruction), and writeXml of that tree to a file.
#include "BenchClock.h"

#include "xml/XmlReader.h"
#include "xml/XmlWriter.h"

#include <cstring>
#include <fstream>

namespace {

bool read(const char *path)
{
    const BenchClock clock = benchStart();
    stubsetup::XmlReader reader;
    const bool parsed = reader.prepare(nullptr, '\0') && reader.parseFile(path, false);
    reader.reset();
    benchReport(clock);
    return parsed;
}

bool write(const char *path, const char *outPath)
{
    stubsetup::XmlReader reader;
    if (!reader.prepare(nullptr, '\0') || !reader.parseFile(path, false))
        return false;
    const BenchClock clock = benchStart();
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    stubsetup::writeXml(out, reader.document());
    out.close();
    benchReport(clock);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "read") == 0)
        return read(argv[2]) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return write(argv[2], argv[3]) ? 0 : 1;
    std::fputs("usage: xml_bench read FILE | xml_bench write FILE OUT\n", stderr);
    return 2;
}
