#include "app/InformationRequest.h"

#include "app/UsageDocument.h"

#include "app/StandardErrorUserInterface.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

namespace stubsetup {
namespace {

constexpr char kHelpArgument[] = "--help";
constexpr char kVersionArgument[] = "--version";

// The Linux command line as the manual page gives it; the usage window keeps
// its own document.
constexpr char kHelpText[] =
    "Usage: stubsetup [-display name] [-component name] [-revision rev] [-return N]\n"
    "                 [-message text] [-sleep N] [-quiet B] [-extractname path]\n"
    "                 [-extractcontents text] [-env B] [-appdir directory]\n"
    "                 [-fault kind]\n"
    "       stubsetup --help | --version\n"
    "\n"
    "Pretends to install a component for the Corvane update manager and stores a\n"
    "return code and message in its installer report. A switch takes the next\n"
    "argument as its value unless that is another switch; alone it means 1.\n"
    "Unknown options, words that name no option and values that are not numbers\n"
    "are ignored, each with a line on standard error; -return \" -5\" (with a\n"
    "leading blank) passes a negative code.\n"
    "\n"
    "Options (default in brackets):\n"
    "  -display name          header of the progress dialog\n"
    "                         [Corvane Updater Test Installer]\n"
    "  -component name        component to install; needed for the countdown []\n"
    "  -revision rev          accepted and ignored []\n"
    "  -return N              return code for the report: 0 Complete,\n"
    "                         1 CompleteAfterReboot, 2 IncompleteTryAgain,\n"
    "                         3 IncompleteRebootTryAgain, 4 IncompleteCannotSucceed [0]\n"
    "  -message text          message for the report []\n"
    "  -sleep N               seconds the progress dialog counts down [0]\n"
    "  -quiet B               1: no dialog, no message boxes but the fatal one [0]\n"
    "  -extractname path      file to create below the install directory [none]\n"
    "  -extractcontents text  contents of that file [Corvane Updater 4.0!]\n"
    "  -env B                 1: write the environment to env.txt (mode 0600) and\n"
    "                         open it with xdg-open [0]\n"
    "  -appdir directory      install directory [$ORL_APP_INSTALL_PATH]\n"
    "  -fault kind            misbehave where the report would be handed over, for\n"
    "                         testing the update manager [none]:\n"
    "                         noreport    exit 0, hand nothing over\n"
    "                         crash       die of SIGSEGV, hand nothing over\n"
    "                         crashafter  hand the report over, then die of SIGSEGV\n"
    "                         hang        wait until a signal ends the run\n"
    "                         hardhang    the same, ignoring SIGTERM, SIGINT, SIGHUP\n"
    "                         badreport   save the report cut inside its message\n"
    "  --help                 print this help and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "Environment:\n"
    "  ORL_APP_ID             application id; names the report\n"
    "                         $XDG_DATA_HOME/Corvane/Updater/Install/$ORL_APP_ID.irpt\n"
    "  ORL_APP_INSTALL_PATH   the application's install directory\n"
    "  XDG_DATA_HOME, HOME    where the report folder is [~/.local/share]\n"
    "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
    "                         the display for the progress dialog\n"
    "  STUBSETUP_JOURNAL      file every run appends one JSON line to, telling\n"
    "                         what it did (created with mode 0600)\n"
    "\n"
    "Exit status:\n"
    "  0  the return code and message were stored in the installer report\n"
    "  1  no install directory (neither -appdir nor ORL_APP_INSTALL_PATH)\n"
    "  2  the progress dialog was cancelled or could not be shown\n"
    "  3  the custom file could not be written\n"
    "  4  the installer report could not be written\n"
    "  5  the requested output (--help, --version) could not be written\n"
    "A failing run says why in one line on standard error.\n"
    "\n"
    "See stubsetup(1).\n";

} // namespace

InformationRequest AnswerInformationRequest(const std::vector<std::string> &arguments,
                                            std::ostream &out, std::ostream &errors)
{
    const auto request = std::find_if(arguments.begin(), arguments.end(), [](const auto &word) {
        return word == kHelpArgument || word == kVersionArgument;
    });
    if (request == arguments.end())
        return InformationRequest::None;
    errno = 0;
    if (*request == kHelpArgument)
        out << kHelpText;
    else
        out << kVersionText << '\n';
    if (out.flush())
        return InformationRequest::Answered;
    const int error = errno;
    errors << kDiagnosticPrefix << "cannot write the "
           << (*request == kHelpArgument ? "help" : "version")
           << " text: " << (error != 0 ? std::strerror(error) : "the output refused it") << '\n'
           << std::flush;
    return InformationRequest::NotWritten;
}

} // namespace stubsetup
