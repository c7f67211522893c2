#pragma once

// Names for the checker's own test: the run sequence's folder.

namespace stubsetup {

int RunPlanted();
int runPlanted(); // breaks
int main();

} // namespace stubsetup
