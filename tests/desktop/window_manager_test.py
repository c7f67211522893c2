"""Under a real window manager (openbox on Xvfb) the progress dialog is a
main window that taskbars and window lists show, with its class, title and
icon; the tool, the usage window and a message box are transient for the
window they belong to and centred on it. Read back with xprop, as a window
manager reads them.

Usage: window_manager_test.py PROGRAM"""

import os
import re
import subprocess
import sys

from desktop_support import (check, finish, require_tools, session, start_xvfb, wait_for)


class Desktop:
    def __init__(self, current, display):
        self.current = current
        self.env = {"DISPLAY": display}

    def run(self, *command):
        return self.current.run(list(command), self.env)

    def windows_named(self, title):
        try:
            found = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$")
        except subprocess.CalledProcessError:  # nothing found yet
            return []
        return [int(window) for window in found.split()]

    def new_window(self, title, known=()):
        """A new window with this title once openbox has taken it on: shown
        and in its window list (openbox shows a window before it lists it)."""
        def managed():
            listed = self.root_prop("_NET_CLIENT_LIST")
            return next((w for w in self.windows_named(title)
                         if w not in known and re.search(rf"\b{w:#x}\b", listed)), None)
        return wait_for(f"a window named {title} in openbox's window list", managed)

    def gone(self, window):
        wait_for(f"window {window:#x} to close",
                 lambda: window not in self.windows_named(".*"))

    def prop(self, window, name):
        """The property as xprop prints it, or None when it is not set."""
        line = self.run("xprop", "-id", str(window), name)
        return None if "not found" in line or "no such atom" in line else line

    def root_prop(self, name):
        return self.run("xprop", "-root", name)

    def transient_for(self, window):
        line = self.prop(window, "WM_TRANSIENT_FOR")
        return int(line.split("#")[-1], 16) if line else None

    def centre(self, window):
        x, y, width, height = self.geometry(window)
        return (x + width // 2, y + height // 2)

    def geometry(self, window):
        shell = self.run("xdotool", "getwindowgeometry", "--shell", str(window))
        values = dict(line.split("=") for line in shell.split())
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def click(self, window, x_fraction, y_fraction):
        _, _, width, height = self.geometry(window)
        self.run("xdotool", "mousemove", "--window", str(window), str(int(width * x_fraction)),
                 str(int(height * y_fraction)), "click", "1")

    def keys(self, window, *keys):
        self.run("xdotool", "windowactivate", "--sync", str(window))
        self.run("xdotool", "key", "--clearmodifiers", "--delay", "30", *keys)

    def type(self, window, text):
        self.run("xdotool", "windowactivate", "--sync", str(window))
        self.run("xdotool", "type", "--delay", "10", text)


def expect_owned_and_centred(desktop, window, owner, what):
    check(desktop.transient_for(window) == owner,
          f"{what} is transient for {desktop.transient_for(window)}, not {owner:#x}")
    (x, y), (owner_x, owner_y) = desktop.centre(window), desktop.centre(owner)
    # Halving odd sizes rounds.
    check(abs(x - owner_x) <= 1 and abs(y - owner_y) <= 1,
          f"{what} is centred at {(x, y)}, its owner at {(owner_x, owner_y)}")


def expect_fixed_frame(desktop, window, what):
    # openbox draws a maximise button whatever the hints say; the actions it
    # allows are what it honours.
    actions = desktop.prop(window, "_NET_WM_ALLOWED_ACTIONS") or ""
    check("_NET_WM_ACTION_MAXIMIZE" not in actions, f"{what} can be maximised: {actions}")


def main(program):
    require_tools("Xvfb", "openbox", "xprop", "xdotool")
    with session(program) as current:
        desktop = Desktop(current, start_xvfb(current))
        # openbox claims the screen before it has finished starting, and a
        # window mapped in between may never be managed: its startup command
        # is the sign that it is ready.
        ready = current.path("openbox-ready")
        current.start(["openbox", "--sm-disable", "--startup", f"touch {ready}"], desktop.env,
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("openbox to finish starting", lambda: os.path.exists(ready))

        installer = current.start_program(
            ["-component", "x", "-return", "2", "-message", "Typed over"], desktop.env)
        progress = desktop.new_window("stubsetup")

        # A main window (listed, as new_window waited for), in the taskbar,
        # with class, title and icon.
        check(desktop.transient_for(progress) is None, "the progress dialog is transient")
        check("SKIP_TASKBAR" not in (desktop.prop(progress, "_NET_WM_STATE") or ""),
              "the progress dialog skips the taskbar")
        check("_NET_WM_WINDOW_TYPE_NORMAL" in desktop.prop(progress, "_NET_WM_WINDOW_TYPE"),
              "the progress dialog is not a normal window")
        check(re.search(r'= "stubsetup"', desktop.prop(progress, "WM_CLASS") or ""),
              f"WM_CLASS is {desktop.prop(progress, 'WM_CLASS')}")
        check(desktop.prop(progress, "_NET_WM_NAME").endswith('= "stubsetup"\n'),
              "the title is not stubsetup")
        icon = desktop.prop(progress, "_NET_WM_ICON") or ""
        check(re.search(r"Icon \((\d+) x \1\)", icon), "no _NET_WM_ICON")
        expect_fixed_frame(desktop, progress, "the progress dialog")

        # The message is the fifth tab stop, the tool's button the seventh.
        desktop.keys(progress, *["Tab"] * 4, "ctrl+a")
        desktop.type(progress, "Pressed")
        desktop.keys(progress, "Tab", "Tab", "space")
        tool = desktop.new_window("Dialog")
        expect_owned_and_centred(desktop, tool, progress, "the tool")
        desktop.keys(tool, "Tab", "Tab", "ctrl+a")
        desktop.type(tool, "/nonexistent/copy")
        desktop.keys(tool, "Return")
        box = desktop.new_window("stubsetup", known=(progress,))
        expect_owned_and_centred(desktop, box, tool, "the message box")
        expect_fixed_frame(desktop, box, "the message box")
        desktop.keys(box, "Return")
        desktop.gone(box)
        desktop.keys(tool, "Escape")
        desktop.gone(tool)

        desktop.keys(progress, "alt+u")
        usage = desktop.new_window("About stubsetup")
        expect_owned_and_centred(desktop, usage, progress, "the usage window")
        desktop.keys(usage, "Escape")
        desktop.gone(usage)

        # Which button has the focus after a closed dialog is Qt's choice: OK
        # is clicked where its template puts it, 350, 195 of 382 x 210 units.
        desktop.click(progress, 350 / 382, 195 / 210)
        status, errors = finish(installer)
        check(status == 0, f"exit status {status}: {errors}")
        check(current.report() == current.expected_report(2, "Pressed"),
              f"report: {current.report()}")
    print("window manager: main window, transients and report as expected")


if __name__ == "__main__":
    main(sys.argv[1])
