// The yardstick for a quiet run: the least a plain C++ program must do for the
// same result. It loads the existing report with expat in 1024-byte pieces,
// sets the two values and saves the file once, durably, as a quiet run does.
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Report {
    std::vector<std::pair<std::string, std::string>> values; // children of the root
    int depth = 0;
};

void XMLCALL onStart(void *data, const char *name, const char **)
{
    auto *report = static_cast<Report *>(data);
    if (++report->depth == 2)
        report->values.emplace_back(name, std::string());
}

void XMLCALL onEnd(void *data, const char *)
{
    --static_cast<Report *>(data)->depth;
}

void XMLCALL onText(void *data, const char *text, int length)
{
    auto *report = static_cast<Report *>(data);
    if (report->depth == 2)
        report->values.back().second.append(text, static_cast<std::size_t>(length));
}

bool load(const std::string &path, Report &report)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return true;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &report);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    bool ok = true;
    for (bool last = false; ok && !last;) {
        void *buffer = XML_GetBuffer(parser, 1024);
        const std::size_t count = std::fread(buffer, 1, 1024, file);
        last = count < 1024;
        ok = XML_ParseBuffer(parser, static_cast<int>(count), last) == XML_STATUS_OK;
    }
    XML_ParserFree(parser);
    std::fclose(file);
    return ok;
}

void set(Report &report, const std::string &name, const std::string &value)
{
    for (auto &entry : report.values)
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    report.values.emplace_back(name, value);
}

// As durable as a quiet run's save: a new file is written and synced, then
// renamed over the report, and the folder is synced so that the rename holds.
bool save(const std::string &folder, const std::string &path, const Report &report)
{
    const std::string temporary = path + ".new";
    FILE *file = std::fopen(temporary.c_str(), "w");
    if (!file)
        return false;
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<InstallerResult>\n", file);
    for (const auto &entry : report.values)
        std::fprintf(file, "<%s>%s</%s>\n", entry.first.c_str(), entry.second.c_str(),
                     entry.first.c_str());
    std::fputs("</InstallerResult>\n", file);
    const bool written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0)
        return false;
    const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const bool synced = directory >= 0 && fsync(directory) == 0;
    return close(directory) == 0 && synced;
}

} // namespace

int main()
{
    const char *id = std::getenv("ORL_APP_ID");
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (!id || !dataHome)
        return 2;
    const std::string folder = std::string(dataHome) + "/Corvane/Updater/Install";
    const std::string path = folder + "/" + id + ".irpt";
    Report report;
    if (!load(path, report))
        return 1;
    set(report, "ReturnCode", "2");
    set(report, "UserMessage", "Retry");
    return save(folder, path, report) ? 0 : 1;
}
