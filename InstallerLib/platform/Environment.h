#pragma once

#include <string>

namespace stubsetup::platform {

// True with the whole value when `name` is defined (even when empty); false
// with an empty value otherwise.
bool LookupEnvironment(const std::string &name, std::string &value);

} // namespace stubsetup::platform
