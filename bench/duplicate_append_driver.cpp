// What the duplicate tool's OK does to the files, without the dialog:
// copy `program` to `output`, then append `file` to it.
#include "app/gui/platform/FileCopy.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s program file output\n", argv[0]);
        return 2;
    }
    using Status = stubsetup::platform::AppendOutcome::Status;
    if (!stubsetup::platform::copyFileWithMode(argv[1], argv[3]))
        return 1;
    return stubsetup::platform::appendFileContents(argv[2], argv[3]).status == Status::Appended ? 0
                                                                                                : 1;
}
