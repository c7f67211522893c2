/* The writer's yardstick: the bytes writeXml produced, written line by line
 * with one write(2) each, as the per-line flush demands. The lines are split
 * before the clock starts. */
#include "BenchClock.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char *readWhole(const char *path, size_t *size)
{
    const int fd = open(path, O_RDONLY);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        return NULL;
    char *bytes = malloc((size_t)status.st_size);
    *size = 0;
    for (ssize_t count; bytes && *size < (size_t)status.st_size; *size += (size_t)count)
        if ((count = read(fd, bytes + *size, (size_t)status.st_size - *size)) <= 0)
            break;
    close(fd);
    return bytes;
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    size_t size = 0;
    char *bytes = readWhole(argv[1], &size);
    if (!bytes)
        return 1;
    size_t lineCount = 0;
    for (size_t i = 0; i < size; ++i)
        lineCount += bytes[i] == '\n';
    size_t *lineEnds = malloc((lineCount + 1) * sizeof *lineEnds);
    size_t line = 0;
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] == '\n')
            lineEnds[line++] = i + 1;

    const BenchClock clock = benchStart();
    const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0)
        return 1;
    size_t begin = 0;
    for (line = 0; line < lineCount; begin = lineEnds[line++])
        if (write(out, bytes + begin, lineEnds[line] - begin) < 0)
            return 1;
    if (close(out) != 0)
        return 1;
    benchReport(clock);
    free(lineEnds);
    free(bytes);
    return 0;
}
