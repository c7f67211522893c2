#include "app/UserInterface.h"

#include "ShownBoxAnswerer.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <memory>

// The module's framework is its own, out of reach of this program, so boxes
// are answered as a tester would: on screen, through the modal loop.
namespace stubsetup {
namespace {

// As in the program, the module is never unloaded.
CreateUserInterfaceFunction loadFactory()
{
    void *module = dlopen(STUBSETUP_GUI_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<CreateUserInterfaceFunction>(
                        dlsym(module, kCreateUserInterfaceSymbol))
                  : nullptr;
}

TEST(UserInterfaceModuleTest, ShowsMessagesUnderTheProgramsCaption)
{
    const CreateUserInterfaceFunction create = loadFactory();
    ASSERT_NE(create, nullptr) << dlerror();
    const std::unique_ptr<UserInterface> ui(create("stubsetup"));
    ASSERT_NE(ui, nullptr);

    const std::pair<const char *, MessageStyle> messages[] = {
        {"Unable to get application installation directory.  Fatal error", MessageStyle::Plain},
        {"Gr\xc3\xb6\xc3\x9f"
         "e",
         MessageStyle::Exclamation},
        {"Unable to set installer exit information!", MessageStyle::ExclamationSystemModal},
    };
    for (const auto &[text, style] : messages) {
        test::ShownBoxAnswerer answerer;
        answerer.arm();
        ui->showMessage(text, style, "");
        ASSERT_TRUE(answerer.shown().has_value()) << text;
        EXPECT_EQ(answerer.shown()->text, QString::fromUtf8(text));
        EXPECT_EQ(answerer.shown()->caption, "stubsetup");
        EXPECT_EQ(answerer.shown()->icon, QMessageBox::Warning);
        EXPECT_EQ(bool(answerer.shown()->flags & Qt::WindowStaysOnTopHint),
                  style == MessageStyle::ExclamationSystemModal);
    }
}

TEST(UserInterfaceModuleTest, FactoryAnswersNullWhenNoDisplayCanBeReached)
{
    // A fresh process: this one may have started its application already.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto createWithDeadDisplay = [] {
        unsetenv("QT_QPA_PLATFORM");
        unsetenv("WAYLAND_DISPLAY");
        setenv("DISPLAY", ":97", 1);
        const CreateUserInterfaceFunction create = loadFactory();
        _exit(create && !create("stubsetup") ? 0 : 1);
    };
    EXPECT_EXIT(createWithDeadDisplay(), testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace stubsetup
