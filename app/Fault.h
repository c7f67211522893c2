#pragma once

#include <string>

namespace stubsetup {

// How an installer misbehaves on request (-fault): each kind acts where the
// report would be handed over, after the custom file and the dialog.
enum class Fault {
    None,
    NoReport,   // ends as usual, with nothing handed over
    Crash,      // dies of SIGSEGV, the report untouched
    CrashAfter, // hands the report over, then dies of SIGSEGV
    Hang,       // waits until a signal ends it
    HardHang,   // waits, deaf to SIGTERM, SIGINT and SIGHUP
    BadReport,  // saves the report cut inside its message
};

// The kind `name` names; false, `fault` untouched, for an unknown name.
bool FaultNamed(const std::string &name, Fault &fault);

// The name -fault gives the kind; empty for None.
const char *FaultName(Fault fault);

// Every kind's name, for a line that lists them: "noreport, crash, ...".
std::string KnownFaultNames();

} // namespace stubsetup
