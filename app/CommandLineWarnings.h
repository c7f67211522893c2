#pragma once

#include <string>
#include <vector>

namespace stubsetup {

// The options the run reads; every other name is stored and never used.
bool IsOptionTheRunReads(const std::string &name);

// What a user should hear about arguments that the run will not take the way
// they were probably meant: unknown switches, bare words that name no
// option, and a negative number that was read as a switch. One line each,
// without the program's prefix; the arguments are used as they always are.
// Options given twice and empty values are not surprises.
std::vector<std::string> SurprisingArguments(const std::vector<std::string> &arguments);

} // namespace stubsetup
