#include "framework/Application.h"

#include "framework/DisplayCheck.h"

#include <QApplication>

#include <clocale>

namespace stubsetup {

namespace {

// Where Qt goes when the display vanished between the check and start-up:
// a fallback keeps Qt from aborting, and ending up there counts as failure,
// as a dialog there would wait for someone who cannot see it.
constexpr char kFallbackPlatform[] = "offscreen";

// Qt reads the process locale into the C library's global state; the process
// hosting this code formats its own texts and keeps the locale it chose.
class LocaleKeeper {
public:
    LocaleKeeper() : m_locale(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleKeeper() { std::setlocale(LC_ALL, m_locale.c_str()); }
    LocaleKeeper(const LocaleKeeper &) = delete;
    LocaleKeeper &operator=(const LocaleKeeper &) = delete;

private:
    std::string m_locale;
};

} // namespace

ApplicationScope::ApplicationScope() = default;

ApplicationScope::~ApplicationScope() = default;

bool ApplicationScope::start(const DisplayTarget &target)
{
    m_platform = target.platformEntry + ';' + kFallbackPlatform;
    m_arguments[0] = m_programName.data();
    m_arguments[1] = m_platformOption.data();
    m_arguments[2] = m_platform.data();
    m_argumentCount = 3;

    const LocaleKeeper locale;
    m_application = std::make_unique<QApplication>(m_argumentCount, m_arguments);
    // A platform may start without a screen (a frame buffer that cannot be
    // opened); Qt would abort at the first window.
    return QGuiApplication::platformName() == QString::fromStdString(target.platform) &&
           !QGuiApplication::screens().isEmpty();
}

std::unique_ptr<ApplicationScope> ensureApplication()
{
    std::unique_ptr<ApplicationScope> scope(new ApplicationScope);
    if (QCoreApplication::instance()) {
        const bool widgets = qobject_cast<QApplication *>(QCoreApplication::instance());
        return widgets ? std::move(scope) : nullptr;
    }
    const EnvironmentLookup environment = processEnvironment();
    const DisplayTarget target = chooseDisplayTarget(environment);
    const DisplayReach reach(target, environment);
    if (!reach.reached() || !scope->start(target))
        return nullptr;
    return scope;
}

} // namespace stubsetup
