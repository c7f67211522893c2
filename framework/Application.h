#pragma once

#include <memory>
#include <string>

class QApplication;

namespace stubsetup {

struct DisplayTarget;

// Keeps the process's one QApplication available while it lives. The scope
// that started the application ends it, so that it goes before the process's
// exit handlers tear down Qt underneath it.
class ApplicationScope {
public:
    ~ApplicationScope();
    ApplicationScope(const ApplicationScope &) = delete;
    ApplicationScope &operator=(const ApplicationScope &) = delete;

private:
    friend std::unique_ptr<ApplicationScope> ensureApplication();

    ApplicationScope();
    bool start(const DisplayTarget &target);

    // QApplication refers to argc and argv for its whole life.
    std::string m_programName = "stubsetup";
    std::string m_platformOption = "-platform";
    std::string m_platform;
    int m_argumentCount = 0;
    char *m_arguments[4] = {};
    std::unique_ptr<QApplication> m_application; // null: started by someone else
};

// Makes the QApplication the first time, after checking that the configured
// display can be reached, and answers a scope that keeps it available; null
// when no display can be reached or the platform that started shows nothing
// (Qt's fallback, no screen), in which case nothing may be shown.
std::unique_ptr<ApplicationScope> ensureApplication();

} // namespace stubsetup
