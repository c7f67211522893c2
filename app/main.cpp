#include "app/CInstallerApp.h"
#include "app/InformationRequest.h"
#include "app/UserInterfaceLoader.h"
#include "app/platform/Process.h"

#include <clocale>
#include <iostream>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    stubsetup::platform::PrepareSignalHandling();
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        switch (stubsetup::AnswerInformationRequest(arguments, std::cout, std::cerr)) {
        case stubsetup::InformationRequest::Answered:
            return 0;
        case stubsetup::InformationRequest::NotWritten:
            return static_cast<int>(stubsetup::RunResult::OutputNotWritten);
        case stubsetup::InformationRequest::None:
            break;
        }
        stubsetup::LazyUserInterface userInterface(std::cerr);
        stubsetup::CInstallerApp app(arguments, userInterface, std::cerr);
        return static_cast<int>(app.RunInstallation());
    } catch (const std::exception &error) {
        return static_cast<int>(stubsetup::EndBeforeRun(error, std::cerr));
    }
}
