// The journal's line: one JSON object on one line, in UTF-8, whatever the
// run's texts hold.
#include "app/RunJournal.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace stubsetup {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

TEST(JournalLine, StaysOneLineOfUtf8WhateverTheTextsHold)
{
    JournalEntry entry;
    entry.arguments = {"-message", "a\nb\"c\\d\x01", "\xFF", "caf\xC3\xA9", "x\xC3"};
    entry.message = "line\r\nbreak";
    const std::string line = JournalLine(entry);
    EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    EXPECT_EQ(line.find_first_of("\r\x01"), std::string::npos) << line;

    const Json parsed = Json::parse(line);
    EXPECT_EQ(parsed["argv"], Json({"-message", "a\nb\"c\\d\x01", kReplacement, "caf\xC3\xA9",
                                    std::string("x") + kReplacement}));
    EXPECT_EQ(parsed["message"], "line\r\nbreak");
}

TEST(JournalLine, TextIsConvertedFromTheLocaleCharset)
{
    const test::BuiltLocale locale("ISO-8859-1");
    if (!locale.active())
        GTEST_SKIP() << "localedef cannot build an ISO-8859-1 locale here";
    JournalEntry entry;
    entry.arguments = {"caf\xE9"};
    entry.currentFolder = "/tmp/\xE9t\xE9";
    const Json parsed = Json::parse(JournalLine(entry));
    EXPECT_EQ(parsed["argv"][0], "caf\xC3\xA9");
    EXPECT_EQ(parsed["cwd"], "/tmp/\xC3\xA9t\xC3\xA9");
}

TEST(JournalLine, TellsTimeNullsAndEveryKindOfEnd)
{
    JournalEntry entry;
    entry.start = std::chrono::system_clock::from_time_t(1796818565) +
                  std::chrono::milliseconds(42) + std::chrono::microseconds(999);
    entry.exitStatus = 4;
    Json parsed = Json::parse(JournalLine(entry));
    EXPECT_EQ(parsed["time"], "2026-12-09T12:16:05.042Z");
    EXPECT_EQ(parsed["exit_status"], 4);
    for (const char *absent : {"cwd", "ORL_APP_ID", "ORL_APP_INSTALL_PATH", "extract_name",
                               "install_dir", "fault", "report", "custom_file"})
        EXPECT_EQ(parsed[absent], nullptr) << absent;

    entry.exitStatus.reset();
    entry.endingSignal = "SIGSEGV";
    EXPECT_EQ(Json::parse(JournalLine(entry))["exit_status"], "SIGSEGV");
    entry.endingSignal.clear();
    EXPECT_EQ(Json::parse(JournalLine(entry))["exit_status"], nullptr);
}

} // namespace
} // namespace stubsetup
