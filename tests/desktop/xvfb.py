#!/usr/bin/env python3
"""The one way the tests and scripts start an X server.

Xvfb picks a free display itself (-displayfd) and names it only once it takes
connections, so nobody waits on a guess. It runs with -noreset: otherwise it
resets whenever its last client leaves, and a client that connects during
the reset is turned away, which on a busy machine fails the next step of a
test at random.

Imported, start() answers the server process and its display. Run as a
program, it prints the display (":N") on a line of its own and keeps the
server until its standard input ends, so a caller that dies takes the
server with it:

    xvfb.py [SCREEN]    (SCREEN as Xvfb's -screen 0 takes it, say 1280x1024x24)"""

import os
import select
import signal
import subprocess
import sys

DEFAULT_SCREEN = "1280x1024x24"
DEADLINE_SECONDS = 30


def start(screen=DEFAULT_SCREEN, launch=subprocess.Popen):
    """Starts Xvfb through launch (Popen or a look-alike) and answers the
    process and its display's name once the server takes connections."""
    reader, writer = os.pipe()
    try:
        process = launch(["Xvfb", "-displayfd", str(writer), "-noreset", "-nolisten", "tcp",
                          "-screen", "0", screen],
                         pass_fds=(writer,), stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    finally:
        os.close(writer)
    # The number arrives when the server is ready; the pipe closes unread
    # when it dies first.
    with os.fdopen(reader) as numbers:
        ready, _, _ = select.select([numbers], [], [], DEADLINE_SECONDS)
        number = numbers.readline().strip() if ready else ""
    if not number:
        if process.poll() is not None:
            raise RuntimeError(f"Xvfb ended with status {process.returncode} before it was ready")
        process.kill()
        process.wait()
        raise RuntimeError(f"Xvfb was not ready within {DEADLINE_SECONDS} s")
    return process, f":{number}"


def main(arguments):
    # A terminated helper still stops its server (through the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        process, display = start(*arguments[:1])
    except RuntimeError as error:
        sys.exit(f"xvfb.py: {error}")
    try:
        print(display, flush=True)
        sys.stdin.buffer.read()
    finally:
        process.terminate()
        process.wait()


if __name__ == "__main__":
    main(sys.argv[1:])
