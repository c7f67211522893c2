#pragma once

// The journal as a tester reads it back: one JSON object a line.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace stubsetup::test {

using Json = nlohmann::ordered_json;

// Every line of `text`, parsed. Text that does not end with a line feed, or
// a line that is not one whole JSON object, fails the test.
inline std::vector<Json> JournalLines(const std::string &text)
{
    EXPECT_TRUE(text.empty() || text.back() == '\n') << text;
    std::vector<Json> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(Json::parse(line, nullptr, false));
        EXPECT_TRUE(lines.back().is_object()) << line;
    }
    return lines;
}

} // namespace stubsetup::test
