"""A QA robot drives the progress dialog through the accessibility bus, as
it would on a desktop: in a private D-Bus session with AT-SPI, it reads the
dialog's tree, finds the message field by its name, replaces its text and
presses OK through the button's action; the report then holds that text.

Usage: accessibility_test.py PROGRAM"""

import os
import shutil
import subprocess
import sys
import tempfile

from desktop_support import (SKIPPED, check, finish, require_tools, session, start_xvfb,
                             wait_for)

PRIVATE_BUS = "STUBSETUP_TEST_PRIVATE_BUS"


def enable_accessibility():
    """What a screen reader does: tell toolkits on the bus to take part."""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled",
                                         GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


def descendants(node):
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield child
            yield from descendants(child)


def find_dialog(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is None or application.name != "stubsetup":
            continue
        for window in descendants(application):
            if window.name == "stubsetup" and window.getRole() in (pyatspi.ROLE_FRAME,
                                                                   pyatspi.ROLE_DIALOG):
                return window
    return None


def named(dialog, role, name):
    found = [node for node in descendants(dialog) if node.getRole() == role and node.name == name]
    check(len(found) == 1, f"{len(found)} nodes of role {role} named {name!r}")
    return found[0]


def press(button):
    action = button.queryAction()
    names = [action.getName(index) for index in range(action.nActions)]
    check("Press" in names, f"the button's actions are {names}")
    action.doAction(names.index("Press"))


def drive(program):
    import pyatspi
    enable_accessibility()
    with session(program) as current:
        display = start_xvfb(current)
        installer = current.start_program(
            ["-component", "x", "-return", "1", "-message", "Before", "-display", "Robot Run"],
            {"DISPLAY": display,
             "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]})
        dialog = wait_for("the progress dialog on the accessibility bus",
                          lambda: find_dialog(pyatspi))

        for name in ("Application install path", "Component Name", "Installing File",
                     "Corvane Updater Return Code"):
            named(dialog, pyatspi.ROLE_TEXT, name)
        named(dialog, pyatspi.ROLE_LABEL, "Robot Run")
        for name in ("Usage", "Duplicate & Grow", "Cancel"):
            named(dialog, pyatspi.ROLE_PUSH_BUTTON, name)

        message = named(dialog, pyatspi.ROLE_TEXT, "Installer Message")
        text = message.queryText()
        check(text.getText(0, -1) == "Before", f"the message reads {text.getText(0, -1)!r}")
        message.queryEditableText().setTextContents("From the robot")
        press(named(dialog, pyatspi.ROLE_PUSH_BUTTON, "OK"))

        status, errors = finish(installer)
        check(status == 0, f"exit status {status}: {errors}")
        check(current.report() == current.expected_report(1, "From the robot"),
              f"report: {current.report()}")
    print("accessibility: the robot replaced the message and pressed OK")


def main(program):
    require_tools("dbus-run-session", "Xvfb")
    try:
        import pyatspi  # noqa: F401 (only its presence is checked here)
    except ImportError:
        print("SKIPPED: python3-pyatspi not installed (scripts/setup test installs it)",
              file=sys.stderr)
        sys.exit(SKIPPED)
    if os.environ.get(PRIVATE_BUS):
        drive(program)
        return
    # The accessibility bus starts on demand inside a session bus of our own,
    # whose services see private folders only.
    home = tempfile.mkdtemp(prefix="stubsetup-bus-")
    try:
        environment = {"PATH": "/usr/bin:/bin", PRIVATE_BUS: "1", "HOME": home,
                       "XDG_CONFIG_HOME": f"{home}/config", "XDG_DATA_HOME": f"{home}/data",
                       "XDG_CACHE_HOME": f"{home}/cache", "XDG_RUNTIME_DIR": home}
        environment.update({name: value for name, value in os.environ.items()
                            if name.endswith("SAN_OPTIONS")})
        status = subprocess.run(["dbus-run-session", "--", sys.executable, "-B",
                                 os.path.abspath(__file__), program], env=environment).returncode
    finally:
        shutil.rmtree(home, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main(sys.argv[1])
