"""What the desktop tests share: a private home for each run, display
servers and window managers started and stopped by the test, the program's
run, and polling with a deadline instead of sleeps that guess."""

import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import xvfb

# ctest counts this exit status as a skipped test.
SKIPPED = 77
DEADLINE_SECONDS = 30


def require_tools(*tools):
    """Skips the test, loudly, when a tool it drives is not installed."""
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/setup test installs them)",
              file=sys.stderr)
        sys.exit(SKIPPED)


def wait_for(what, probe, seconds=DEADLINE_SECONDS):
    """Calls probe until it answers something true, and answers that."""
    deadline = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise AssertionError(f"gave up waiting for {what} after {seconds} s")
        time.sleep(0.05)


class Session:
    """A run of the update manager: private folders and the two variables."""

    def __init__(self, program):
        self.program = program
        self.root = tempfile.mkdtemp(prefix="stubsetup-desktop-")
        for folder in ("home", "data", "config", "cache", "runtime", "app"):
            os.mkdir(self.path(folder), 0o700)
        self.env = {
            "PATH": "/usr/bin:/bin",
            "HOME": self.path("home"),
            "XDG_DATA_HOME": self.path("data"),
            "XDG_CONFIG_HOME": self.path("config"),
            "XDG_CACHE_HOME": self.path("cache"),
            "XDG_RUNTIME_DIR": self.path("runtime"),
            "ORL_APP_ID": "Demo",
            "ORL_APP_INSTALL_PATH": self.path("app"),
        }
        # A sanitizer build reports through these.
        self.env.update({name: value for name, value in os.environ.items()
                         if re.match(r"(A|UB|L)SAN_OPTIONS$", name)})
        self._processes = []

    def path(self, name):
        return os.path.join(self.root, name)

    def report(self):
        """The installer report's text, or None when there is none."""
        path = self.path("data/Corvane/Updater/Install/Demo.irpt")
        if not os.path.exists(path):
            return None
        with open(path, encoding="utf-8") as report:
            return report.read()

    def expected_report(self, return_code, message):
        """The report's text from the tests' one builder, built beside the program."""
        builder = os.path.join(os.path.dirname(self.program), "print_report")
        return subprocess.run([builder, str(return_code), message], check=True,
                              capture_output=True, text=True).stdout

    def start(self, command, extra_env=None, **options):
        """Starts a helper process; it is ended when the session closes."""
        env = dict(self.env, **(extra_env or {}))
        process = subprocess.Popen(command, env=env, **options)
        self._processes.append(process)
        return process

    def start_program(self, arguments, extra_env=None):
        return self.start([self.program, *arguments], extra_env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)

    def run(self, command, extra_env=None):
        """Runs a command to its end and answers its standard output."""
        env = dict(self.env, **(extra_env or {}))
        return subprocess.run(command, env=env, check=True, capture_output=True, text=True,
                              timeout=DEADLINE_SECONDS).stdout

    def tell_ended(self):
        """Says which of its processes have ended, and with what, so that a
        failed wait shows whether the program was still there to wait for."""
        for process in self._processes:
            if process.poll() is None:
                continue
            try:
                _, errors = process.communicate(timeout=DEADLINE_SECONDS)
            except subprocess.TimeoutExpired:  # a detached child holds its pipe
                errors = "(not read)"
            print(f"{process.args[0]} ended with status {process.returncode}: {errors or ''}",
                  file=sys.stderr)

    def close(self):
        for process in reversed(self._processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


@contextlib.contextmanager
def session(program):
    current = Session(program)
    try:
        yield current
    except BaseException:
        current.tell_ended()
        raise
    finally:
        current.close()


def start_xvfb(current, screen=xvfb.DEFAULT_SCREEN):
    """Starts Xvfb for the session and answers its display's name."""
    _, display = xvfb.start(screen, launch=current.start)
    return display


WAYLAND_SOCKET = "stubsetup-wayland-0"
# What a client needs to reach the compositor. Widgets draw into shared
# memory; without the GPU buffer integration no EGL driver is loaded and
# unloaded behind the sanitizers' back.
WAYLAND_CLIENT_ENV = {"WAYLAND_DISPLAY": WAYLAND_SOCKET,
                      "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION": "none"}


def start_weston(current):
    """Starts weston's headless compositor for the session and answers its
    process once its socket is there."""
    log = current.path("weston.log")
    compositor = current.start(
        ["weston", "--backend=headless-backend.so", f"--socket={WAYLAND_SOCKET}", "--idle-time=0",
         "--no-config", f"--log={log}"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    socket = os.path.join(current.env["XDG_RUNTIME_DIR"], WAYLAND_SOCKET)
    wait_for("weston's socket", lambda: os.path.exists(socket))
    # The socket comes before the shell that gives windows their role; the
    # shell's own client is launched once it is loaded.
    wait_for("weston's desktop shell",
             lambda: os.path.exists(log) and "weston-desktop-shell'" in open(log).read())
    return compositor


def finish(process, seconds=DEADLINE_SECONDS):
    """Waits for the program's end; answers its exit status and standard error."""
    try:
        _, errors = process.communicate(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        _, errors = process.communicate()
        raise AssertionError(f"the program did not end: {errors}")
    return process.returncode, errors


def check(condition, message):
    if not condition:
        raise AssertionError(message)
