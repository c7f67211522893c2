"""With WAYLAND_DISPLAY set and no DISPLAY, a countdown runs on Qt's Wayland
platform (weston's headless backend stands in for a desktop) and ends with
status 0 and the report written. The client's own protocol log shows the
window's title and a picture going to the compositor, so the run did not
end up on an invisible platform. Then a dialog waits for its tester and the
compositor goes away: the run ends with status 2, says it lost the display
and writes no report.

Usage: wayland_test.py PROGRAM"""

import os
import re
import subprocess
import sys

from desktop_support import (DEADLINE_SECONDS, WAYLAND_CLIENT_ENV, check, finish, require_tools,
                             session, start_weston, wait_for)

CLIENT_ENV = dict(WAYLAND_CLIENT_ENV, WAYLAND_DEBUG="client")
TITLE_SET = r'xdg_toplevel@\d+\.set_title\("stubsetup"\)'


def read(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        return text.read()


def countdown_writes_the_report(current):
    installer = current.start_program(
        ["-component", "x", "-sleep", "1", "-return", "3", "-message", "Done"], CLIENT_ENV)
    status, errors = finish(installer)
    check(status == 0, f"exit status {status}: {errors[-2000:]}")
    check(current.report() == current.expected_report(3, "Done"),
          f"report: {current.report()}")
    check(re.search(TITLE_SET, errors), "no Wayland window titled stubsetup")
    check(re.search(r"wl_surface@\d+\.attach\(wl_buffer@\d+", errors),
          "nothing was drawn on the Wayland surface")


def lost_compositor_ends_with_status_2(current, compositor):
    os.remove(current.path("data/Corvane/Updater/Install/Demo.irpt"))
    # Standard error goes to a file, so that the window's title can be
    # waited for while the program runs.
    log = current.path("waiting-dialog.log")
    with open(log, "w", encoding="utf-8") as errors:
        installer = current.start([current.program, "-component", "x"], CLIENT_ENV,
                                  stdout=subprocess.DEVNULL, stderr=errors)
    wait_for("the waiting dialog's window", lambda: re.search(TITLE_SET, read(log)))
    compositor.terminate()
    status = installer.wait(timeout=DEADLINE_SECONDS)
    errors = read(log)
    check(status == 2, f"exit status {status}: {errors[-2000:]}")
    check("stubsetup: cannot open the progress dialog: lost the connection to the display\n"
          in errors, f"no line about the lost display: {errors[-2000:]}")
    check(current.report() is None, f"report: {current.report()}")


def main(program):
    require_tools("weston")
    with session(program) as current:
        compositor = start_weston(current)
        countdown_writes_the_report(current)
        lost_compositor_ends_with_status_2(current, compositor)
    print("wayland: the countdown ran on Wayland and wrote the report; a lost compositor "
          "ended the waiting dialog with status 2")


if __name__ == "__main__":
    main(sys.argv[1])
