"""A QA robot drives the progress dialog through the accessibility bus, as
it would on a desktop: in a private D-Bus session with AT-SPI, accessibility
is switched on and the dialog driven by README's own snippets, as they
stand there; the report then holds the return code and message they chose.
Before that, the bus shows each label related to what it labels, from both
ends. The desktop is X11 (Xvfb) or Wayland (weston's headless backend).

Usage: accessibility_test.py PROGRAM x11|wayland"""

import os
import shutil
import subprocess
import sys
import tempfile

from desktop_support import (SKIPPED, WAYLAND_CLIENT_ENV, check, finish, require_tools, session,
                             start_weston, start_xvfb, wait_for)

PRIVATE_BUS = "STUBSETUP_TEST_PRIVATE_BUS"
# Each desktop: its server, and the Qt platform plug-in the program must run on.
SERVERS = {"x11": "Xvfb", "wayland": "weston"}
PLUGINS = {"x11": "/platforms/libqxcb.so", "wayland": "/platforms/libqwayland-generic.so"}


README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")


def readme_snippet(language, after):
    """The first fenced block of `language` after the README line `after`."""
    with open(README, encoding="utf-8") as readme:
        text = readme.read()
    start = text.index("```" + language + "\n", text.index(after)) + len(language) + 4
    return text[start:text.index("```", start)]


def enable_accessibility():
    """What a screen reader does, as README shows it."""
    snippet = readme_snippet("sh", "Qt takes part in AT-SPI only when")
    subprocess.run(["sh", "-c", snippet], check=True, stdout=subprocess.DEVNULL)


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


def described(node):
    return f"{node.getRoleName()} {node.name!r}"


def related(node, relation_type):
    """Descriptions of the nodes `node` has a relation of the type to."""
    return sorted(described(relation.getTarget(index))
                  for relation in node.getRelationSet()
                  if relation.getRelationType() == relation_type
                  for index in range(relation.getNTargets()))


def check_labels(pyatspi, dialog):
    """Each label is the label for what it labels, which is labelled by it."""
    code_label = named(dialog, pyatspi.ROLE_LABEL, "Corvane Updater Return Code:")
    code = named(dialog, pyatspi.ROLE_TEXT, "Corvane Updater Return Code")
    box = code.parent
    check(box.getRole() == pyatspi.ROLE_COMBO_BOX, f"the code's field is in a {described(box)}")
    check(related(code_label, pyatspi.RELATION_LABEL_FOR) == sorted([described(box),
                                                                     described(code)]),
          f"the code's label is the label for {related(code_label, pyatspi.RELATION_LABEL_FOR)}")
    for field in (box, code):
        check(related(field, pyatspi.RELATION_LABELLED_BY) == [described(code_label)],
              f"{described(field)} is labelled by "
              f"{related(field, pyatspi.RELATION_LABELLED_BY)}")

    time_label = named(dialog, pyatspi.ROLE_LABEL, "Time Remaining:")
    countdown = [node for node in descendants(dialog)
                 if related(node, pyatspi.RELATION_LABELLED_BY) == [described(time_label)]]
    check([described(node) for node in countdown] == ["label '0 seconds'"],
          f"labelled by the time label: {[described(node) for node in countdown]}")
    check(related(time_label, pyatspi.RELATION_LABEL_FOR) == ["label '0 seconds'"],
          f"the time label is the label for {related(time_label, pyatspi.RELATION_LABEL_FOR)}")
    named(dialog, pyatspi.ROLE_PROGRESS_BAR, "Installation progress")


def start_desktop(current, platform):
    """Starts the desktop's server; answers what a program needs to reach it."""
    if platform == "wayland":
        start_weston(current)
        return dict(WAYLAND_CLIENT_ENV)
    return {"DISPLAY": start_xvfb(current)}


def platform_plugin(process):
    """The Qt platform plug-in the running program loaded, or None."""
    with open(f"/proc/{process.pid}/maps", encoding="utf-8") as maps:
        mapped = maps.read()
    return next((plugin for plugin in PLUGINS.values() if plugin in mapped), None)


def drive(program, platform):
    import pyatspi
    enable_accessibility()
    with session(program) as current:
        installer = current.start_program(
            ["-component", "x", "-return", "1", "-message", "Before", "-display", "Robot Run"],
            dict(start_desktop(current, platform),
                 DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"]))
        dialog = wait_for("the progress dialog on the accessibility bus",
                          lambda: find_dialog(pyatspi))
        check(platform_plugin(installer) == PLUGINS[platform],
              f"the program runs on {platform_plugin(installer)}")
        check_labels(pyatspi, dialog)

        for name in ("Application install path", "Component Name", "Installing File",
                     "Corvane Updater Return Code"):
            named(dialog, pyatspi.ROLE_TEXT, name)
        named(dialog, pyatspi.ROLE_LABEL, "Robot Run")
        for name in ("Usage", "Duplicate & Grow", "Cancel"):
            named(dialog, pyatspi.ROLE_PUSH_BUTTON, name)

        message = named(dialog, pyatspi.ROLE_TEXT, "Installer Message")
        text = message.queryText()
        check(text.getText(0, -1) == "Before", f"the message reads {text.getText(0, -1)!r}")
        # README's robot, as written: the code it sets is read back at once.
        exec(readme_snippet("python", "Then, with the dialog open"), {})

        status, errors = finish(installer)
        check(status == 0, f"exit status {status}: {errors}")
        check(current.report() == current.expected_report(3, "Checked by QA"),
              f"report: {current.report()}")
    print(f"accessibility on {platform}: labels are related to their fields; README's robot "
          "chose the return code and message and pressed OK")


def main(program, platform):
    require_tools("dbus-run-session", "gdbus", SERVERS[platform])
    try:
        import pyatspi  # noqa: F401 (only its presence is checked here)
    except ImportError:
        print("SKIPPED: python3-pyatspi not installed (scripts/setup test installs it)",
              file=sys.stderr)
        sys.exit(SKIPPED)
    if os.environ.get(PRIVATE_BUS):
        drive(program, platform)
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
                                 os.path.abspath(__file__), program, platform],
                                env=environment).returncode
    finally:
        shutil.rmtree(home, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main(*sys.argv[1:3])
