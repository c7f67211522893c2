#include "app/RunJournal.h"

#include "app/platform/Journal.h"
#include "app/platform/Process.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/InstallerReport.h"
#include "common/TextConversion.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace stubsetup {
namespace {

using Json = nlohmann::ordered_json;

// Invalid UTF-8 that survives the conversion (the C locale takes text as
// UTF-8 already) becomes U+FFFD when the line is written.
Json Text(const std::string &text)
{
    return AnsiToUtf8(text);
}

Json TextOrNull(const std::optional<std::string> &text)
{
    return text ? Text(*text) : Json();
}

Json Texts(const std::vector<std::string> &texts)
{
    Json array = Json::array();
    for (const std::string &text : texts)
        array.push_back(Text(text));
    return array;
}

Json ExitStatus(const JournalEntry &entry)
{
    if (!entry.endingSignal.empty())
        return entry.endingSignal;
    return entry.exitStatus ? Json(*entry.exitStatus) : Json();
}

// RFC 3339 in UTC with milliseconds: 2026-12-09T12:16:05.042Z.
std::string UtcTime(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(time - seconds).count();
    const std::time_t since1970 = system_clock::to_time_t(seconds);
    char text[40];
    const std::size_t length =
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", std::gmtime(&since1970));
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(milliseconds));
    return text;
}

std::optional<std::string> Variable(const char *name)
{
    std::string value;
    if (!ReadEnvironmentVariable(name, value))
        return std::nullopt;
    return value;
}

} // namespace

std::string JournalLine(const JournalEntry &entry)
{
    Json line;
    line["time"] = UtcTime(entry.start);
    line["pid"] = entry.processId;
    line["ppid"] = entry.parentProcessId;
    line["argv"] = Texts(entry.arguments);
    line["cwd"] = TextOrNull(entry.currentFolder);
    line[kAppIdVariable] = TextOrNull(entry.appId);
    line[kAppInstallPathVariable] = TextOrNull(entry.appInstallPath);
    line["component"] = Text(entry.component);
    line["revision"] = Text(entry.revision);
    line["return_code"] = entry.returnCode;
    line["message"] = Text(entry.message);
    line["sleep"] = entry.sleepSeconds;
    line["quiet"] = entry.quiet;
    line["extract_name"] = TextOrNull(entry.extractName);
    line["install_dir"] = TextOrNull(entry.installDirectory);
    line["fault"] = TextOrNull(entry.fault);
    line["report"] = TextOrNull(entry.report);
    line["handed_over"] = entry.handedOver;
    line["custom_file"] = TextOrNull(entry.customFile);
    line["outcome"] = entry.outcome;
    line["exit_status"] = ExitStatus(entry);
    line["duration_ms"] = entry.durationMs;
    return line.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

RunJournal::RunJournal()
{
    const char *path = std::getenv(kJournalVariable);
    if (path == nullptr || *path == '\0')
        return;
    // The environment of a set-ID run is its caller's: it must not choose a
    // file for the run's privileges to write.
    m_refused = platform::RunsWithRaisedPrivileges();
    if (m_refused)
        return;
    m_path = path;
    m_start = std::chrono::system_clock::now();
    m_startOnTheClock = std::chrono::steady_clock::now();
}

Outcome RunJournal::append(JournalEntry entry) const
{
    entry.start = m_start;
    entry.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - m_startOnTheClock)
                           .count();
    entry.processId = platform::ProcessId();
    entry.parentProcessId = platform::ParentProcessId();
    entry.currentFolder = UnlessEmpty(platform::CurrentFolder());
    entry.appId = Variable(kAppIdVariable);
    entry.appInstallPath = Variable(kAppInstallPathVariable);
    std::string report;
    if (LocateInstallerReport(report))
        entry.report = report;
    return platform::AppendWholeLine(m_path, JournalLine(entry));
}

} // namespace stubsetup
