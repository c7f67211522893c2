"""At twice the scale (QT_SCALE_FACTOR=2) the progress dialog and the usage
window are twice as large on a real X server as at the normal scale.

Usage: hidpi_test.py PROGRAM"""

import subprocess
import sys

from desktop_support import check, finish, require_tools, session, start_xvfb, wait_for


def windows_named(current, env, title):
    try:
        return current.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                           env).split()
    except subprocess.CalledProcessError:  # none yet
        return []


def window_size(current, env, title):
    window = wait_for(f"a window named {title}", lambda: windows_named(current, env, title))[0]
    shell = current.run(["xdotool", "getwindowgeometry", "--shell", window], env)
    values = dict(line.split("=") for line in shell.split())
    return window, (int(values["WIDTH"]), int(values["HEIGHT"]))


def sizes_at(current, display, scale):
    env = {"DISPLAY": display, "QT_SCALE_FACTOR": scale}
    installer = current.start_program(["-component", "x", "-return", "2"], env)
    progress, progress_size = window_size(current, env, "stubsetup")
    current.run(["xdotool", "windowfocus", "--sync", progress, "key", "alt+u"], env)
    usage, usage_size = window_size(current, env, "About stubsetup")
    current.run(["xdotool", "windowfocus", "--sync", usage, "key", "Escape"], env)
    current.run(["xdotool", "windowfocus", "--sync", progress, "key", "Escape"], env)
    status, errors = finish(installer)
    check(status == 2, f"Escape ended the run with {status}: {errors}")
    return progress_size, usage_size


def main(program):
    require_tools("Xvfb", "xdotool")
    with session(program) as current:
        display = start_xvfb(current, "2560x1600x24")
        normal = sizes_at(current, display, "1")
        double = sizes_at(current, display, "2")
        for (width, height), (width2, height2) in zip(normal, double):
            # Each side is rounded once at either scale.
            check(abs(width2 - 2 * width) <= 1 and abs(height2 - 2 * height) <= 1,
                  f"{width2} x {height2} at twice the scale, {width} x {height} at the normal")
    print(f"hidpi: {normal} at the normal scale, {double} at twice the scale")


if __name__ == "__main__":
    main(sys.argv[1])
