/* The store's yardstick: the same number of report rewrites done by hand in
 * C, each a write to a fresh temporary file, an fsync, a rename over the
 * report and an fsync of its folder; the same durable work a save does,
 * minus the XML tree. */
#include "BenchClock.h"

#include <fcntl.h>
#include <libgen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int syncFolder(const char *path)
{
    char copy[4096];
    snprintf(copy, sizeof copy, "%s", path);
    const int folder = open(dirname(copy), O_RDONLY | O_DIRECTORY);
    const int ok = folder >= 0 && fsync(folder) == 0;
    if (folder >= 0)
        close(folder);
    return ok;
}

static int rewrite(const char *path, int returnCode)
{
    char temporary[4096];
    snprintf(temporary, sizeof temporary, "%s.XXXXXX", path);
    const int fd = mkstemp(temporary);
    if (fd < 0)
        return 0;
    char report[256];
    const int length = snprintf(report, sizeof report,
                                "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<InstallerResult>\n"
                                "<ReturnCode>%d</ReturnCode>\n<UserMessage>Retry</UserMessage>\n"
                                "</InstallerResult>\n",
                                returnCode);
    const int ok = write(fd, report, (size_t)length) == length && fsync(fd) == 0;
    if (close(fd) != 0 || !ok || rename(temporary, path) != 0) {
        unlink(temporary);
        return 0;
    }
    return syncFolder(path);
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const int sets = atoi(argv[2]);
    const BenchClock clock = benchStart();
    for (int index = 0; index < sets; ++index)
        if (!rewrite(argv[1], index))
            return 1;
    benchReport(clock);
    return 0;
}
