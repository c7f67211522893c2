#include "framework/Application.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cstring>
#include <initializer_list>
#include <memory>

// Every case starts the application in a forked child: a wrong decision
// aborts the process, which shows as a signal instead of an exit code.
namespace stubsetup {
namespace {

struct Variable {
    const char *name;
    const char *value;
};

void configureDisplay(std::initializer_list<Variable> variables)
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(name);
    for (const Variable &variable : variables)
        setenv(variable.name, variable.value, 1);
}

[[noreturn]] void exitWhetherStarted(std::initializer_list<Variable> variables)
{
    configureDisplay(variables);
    _exit(ensureApplication() ? 0 : 1);
}

const auto started = testing::ExitedWithCode(0);
const auto refused = testing::ExitedWithCode(1);

TEST(ApplicationTest, StartsOnTrustedPlatformsAndRefusesUnreachableOnesWithoutAborting)
{
    EXPECT_EXIT(exitWhetherStarted({{"QT_QPA_PLATFORM", "offscreen"}}), started, "");
    EXPECT_EXIT(exitWhetherStarted({{"DISPLAY", ":97"}}), refused, "");
    EXPECT_EXIT(exitWhetherStarted({{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":97"}}), refused, "");
    EXPECT_EXIT(exitWhetherStarted({{"WAYLAND_DISPLAY", "stubsetup-none"}}), refused, "");
    // A platform that cannot be loaded would abort Qt without the fallback.
    EXPECT_EXIT(exitWhetherStarted({{"QT_QPA_PLATFORM", "stubsetup-none"}}), refused, "");
}

TEST(ApplicationTest, EndsWithTheScopeThatStartedIt)
{
    const auto startTwiceEndInTurn = [] {
        configureDisplay({{"QT_QPA_PLATFORM", "offscreen"}});
        std::unique_ptr<ApplicationScope> first = ensureApplication();
        const QCoreApplication *application = QCoreApplication::instance();
        std::unique_ptr<ApplicationScope> second = ensureApplication();
        const bool shared = second != nullptr;
        second.reset();
        const bool outlivesSecond = QCoreApplication::instance() == application;
        first.reset();
        _exit(application && shared && outlivesSecond && !QCoreApplication::instance() ? 0 : 1);
    };
    EXPECT_EXIT(startTwiceEndInTurn(), started, "");
}

TEST(ApplicationTest, KeepsTheHostProgramsLocale)
{
    const auto startInCLocale = [] {
        configureDisplay({{"QT_QPA_PLATFORM", "offscreen"}, {"LANG", "C.UTF-8"}});
        unsetenv("LC_ALL");
        std::setlocale(LC_ALL, "C");
        const bool startedHere = ensureApplication() != nullptr;
        _exit(startedHere && std::strcmp(std::setlocale(LC_ALL, nullptr), "C") == 0 ? 0 : 1);
    };
    EXPECT_EXIT(startInCLocale(), started, "");
}

} // namespace
} // namespace stubsetup
