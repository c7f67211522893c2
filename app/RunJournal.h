#pragma once

#include "common/Outcome.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stubsetup {

// Names the file every run appends its journal line to.
inline constexpr char kJournalVariable[] = "STUBSETUP_JOURNAL";

// One run as its journal line tells it. Texts are as the run holds them, in
// the locale's character set; an empty optional is null in the line.
struct JournalEntry {
    std::chrono::system_clock::time_point start;
    int processId = 0;
    int parentProcessId = 0;
    std::vector<std::string> arguments;
    std::optional<std::string> currentFolder;
    std::optional<std::string> appId;
    std::optional<std::string> appInstallPath;
    // The values handed over, or that would have been.
    std::string component;
    std::string revision;
    std::int32_t returnCode = 0;
    std::string message;
    std::uint32_t sleepSeconds = 0;
    bool quiet = false;
    std::optional<std::string> extractName;
    std::optional<std::string> installDirectory;
    std::optional<std::string> fault;
    std::optional<std::string> report;
    bool handedOver = false;
    std::optional<std::string> customFile;
    std::string outcome;
    // Null for a run that waits for a signal to end it, or that is about to
    // die of `endingSignal`, which the line then gives instead.
    std::optional<int> exitStatus;
    std::string endingSignal;
    std::int64_t durationMs = 0;
};

// Null for an empty text.
inline std::optional<std::string> UnlessEmpty(const std::string &text)
{
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// The entry as one line of JSON in UTF-8, ended by a line feed. Texts are
// converted from the locale's character set; bytes that do not convert
// become U+FFFD.
std::string JournalLine(const JournalEntry &entry);

// The journal STUBSETUP_JOURNAL names, if any. Without the variable it costs
// one look-up of it and nothing more.
class RunJournal {
public:
    RunJournal();

    bool enabled() const { return !m_path.empty(); }
    // Named, but not for this run: a set-user-ID or set-group-ID run takes
    // no file name from its environment.
    bool refused() const { return m_refused; }

    // Completes the entry with what the run did not record itself (its
    // start, duration, process, folder and the update manager's variables)
    // and appends its line.
    Outcome append(JournalEntry entry) const;

private:
    std::string m_path;
    bool m_refused = false;
    std::chrono::system_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_startOnTheClock;
};

} // namespace stubsetup
