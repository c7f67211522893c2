"""With WAYLAND_DISPLAY set and no DISPLAY, a countdown runs on Qt's Wayland
platform (weston's headless backend stands in for a desktop) and ends with
status 0 and the report written. The client's own protocol log shows the
window's title and a picture going to the compositor, so the run did not
end up on an invisible platform.

Usage: wayland_test.py PROGRAM"""

import os
import re
import subprocess
import sys

from desktop_support import check, finish, require_tools, session, wait_for

SOCKET = "stubsetup-wayland-0"


def main(program):
    require_tools("weston")
    with session(program) as current:
        current.start(["weston", "--backend=headless-backend.so", f"--socket={SOCKET}",
                       "--idle-time=0", "--no-config"],
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = os.path.join(current.env["XDG_RUNTIME_DIR"], SOCKET)
        wait_for("weston's socket", lambda: os.path.exists(socket))

        installer = current.start_program(
            ["-component", "x", "-sleep", "1", "-return", "3", "-message", "Done"],
            # Widgets draw into shared memory; without the GPU buffer integration
            # no EGL driver is loaded and unloaded behind the sanitizers' back.
            {"WAYLAND_DISPLAY": SOCKET, "WAYLAND_DEBUG": "client",
             "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION": "none"})
        status, errors = finish(installer)
        check(status == 0, f"exit status {status}: {errors[-2000:]}")
        check(current.report() == current.expected_report(3, "Done"),
              f"report: {current.report()}")
        check(re.search(r'xdg_toplevel@\d+\.set_title\("stubsetup"\)', errors),
              "no Wayland window titled stubsetup")
        check(re.search(r"wl_surface@\d+\.attach\(wl_buffer@\d+", errors),
              "nothing was drawn on the Wayland surface")
    print("wayland: the countdown ran on Wayland and wrote the report")


if __name__ == "__main__":
    main(sys.argv[1])
