/* Calls the installer interface from C through the shared library.
 * Usage: installerlib_c_interface_test PRINT_REPORT (the tests' builder of
 * the expected report) */
#define _POSIX_C_SOURCE 200809L

#include <stubsetup/InstallerLib.h>

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

static int failures = 0;

static void check(int condition, const char *what)
{
    if (!condition) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

static void checkInstallPath(void)
{
    char buffer[32];
    uint32_t size = sizeof buffer;
    setenv("ORL_APP_INSTALL_PATH", "/opt/apps/demo", 1);
    check(GetAppInstallPath(&size, buffer) == 1, "install path is read");
    check(size == 14 && strcmp(buffer, "/opt/apps/demo") == 0, "install path and its length");
    size = 14;
    check(GetAppInstallPath(&size, buffer) == 0 && size == 15, "too small a buffer asks for 15");
    check(GetAppInstallPath(NULL, buffer) == 0, "a null size is refused");
    unsetenv("ORL_APP_INSTALL_PATH");
    size = sizeof buffer;
    check(GetAppInstallPath(&size, buffer) == 0 && size == 0, "no variable, no path");
}

static void checkVersion(void)
{
    char expected[32];
    snprintf(expected, sizeof expected, "%d.%d.%d", STUBSETUP_INSTALLERLIB_VERSION_MAJOR,
             STUBSETUP_INSTALLERLIB_VERSION_MINOR, STUBSETUP_INSTALLERLIB_VERSION_MICRO);
    check(strcmp(GetInstallerLibVersion(), expected) == 0, "the library is the header's version");
}

static int readFile(const char *path, char *content, size_t capacity)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return 0;
    const size_t length = fread(content, 1, capacity - 1, file);
    content[length] = '\0';
    fclose(file);
    return 1;
}

static void checkReport(const char *dataHome, const char *printReport)
{
    char command[1024];
    char path[512];
    char expected[512];
    char content[512];
    snprintf(path, sizeof path, "%s/expected", dataHome);
    snprintf(command, sizeof command, "'%s' 2 Retry >'%s'", printReport, path);
    check(system(command) == 0 && readFile(path, expected, sizeof expected), "expected report");
    snprintf(path, sizeof path, "%s/Corvane/Updater/Install/Demo.irpt", dataHome);
    unsetenv("ORL_APP_ID");
    check(SetInstallerExitInfo(2, "Retry") == 0, "no id, no report");
    check(access(path, F_OK) != 0, "no report file without an id");
    setenv("ORL_APP_ID", "Demo", 1);
    check(SetInstallerExitInfo(2, "Retry") == 1, "report is written");
    check(readFile(path, content, sizeof content) && strcmp(content, expected) == 0,
          "report holds the five lines");
}

static int countEntries(const char *folder)
{
    DIR *listing = opendir(folder);
    int count = 0;
    if (listing == NULL)
        return -1;
    for (struct dirent *entry; (entry = readdir(listing)) != NULL;)
        count += entry->d_name[0] != '.' || strlen(entry->d_name) > 2;
    closedir(listing);
    return count;
}

/* A host under a file-size limit keeps its signal dispositions and hears
 * EFBIG; the report and its folder stay as they were. */
static void checkFileSizeLimit(const char *dataHome)
{
    char folder[512];
    char message[300];
    int status = 0;
    snprintf(folder, sizeof folder, "%s/Corvane/Updater/Install", dataHome);
    memset(message, 'm', sizeof message - 1);
    message[sizeof message - 1] = '\0';
    const pid_t child = fork();
    if (child == 0) {
        const struct rlimit limit = {64, 64};
        signal(SIGXFSZ, SIG_DFL);
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(SetInstallerExitInfo(3, message) == 0 && errno == EFBIG ? 0 : 1);
    }
    check(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0,
          "a file-size limit fails with EFBIG instead of killing the host");
    check(countEntries(folder) == 1, "a file-size limit leaves nothing beside the report");
}

int main(int argc, char **argv)
{
    char home[] = "/tmp/installerlib_c.XXXXXX";
    char command[64];
    if (argc != 2 || mkdtemp(home) == NULL)
        return 2;
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", home, 1);
    checkVersion();
    checkInstallPath();
    checkReport(home, argv[1]);
    checkFileSizeLimit(home);
    snprintf(command, sizeof command, "rm -rf '%s'", home);
    if (system(command) != 0)
        fprintf(stderr, "could not remove %s\n", home);
    printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
