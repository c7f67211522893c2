// Our side of the store figure: sets on a report, each one a full atomic save
// (temporary file, write, fsync, rename).
#include "BenchClock.h"

#include "InstallerLib/InstallerReport.h"

#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const int sets = std::atoi(argv[2]);
    stubsetup::InstallerReport report(argv[1]);
    const BenchClock clock = benchStart();
    for (int index = 0; index < sets; ++index)
        if (!report.returnCode().set(index))
            return 1;
    benchReport(clock);
    return 0;
}
