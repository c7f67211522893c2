#pragma once

// Names for the checker's own test: the Qt user interface's folder.

namespace stubsetup {

int showPlanted();
int ShowPlanted(); // breaks

} // namespace stubsetup
