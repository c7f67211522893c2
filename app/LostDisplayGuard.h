#pragma once

#include <iosfwd>

namespace stubsetup {

// Qt ends the process by itself when its connection to the display breaks:
// with exit(1) on X11, and on Wayland (through the user-interface module)
// with quick_exit(1). While a guard lives, that is while a step's window is
// up, such an ending becomes the step's own: "stubsetup: <failure>: lost the
// connection to the display" on `errors` and the exit status `status`, with
// no report written. One guard at a time.
class LostDisplayGuard {
public:
    LostDisplayGuard(const char *failure, int status, std::ostream &errors);
    ~LostDisplayGuard();
    LostDisplayGuard(const LostDisplayGuard &) = delete;
    LostDisplayGuard &operator=(const LostDisplayGuard &) = delete;

private:
    static void endForLostDisplay();

    const char *m_failure;
    int m_status;
    std::ostream &m_errors;
};

} // namespace stubsetup
