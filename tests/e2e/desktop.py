"""The X side of the Wine runs: a private Xvfb display, finding and driving
windows with xdotool, and pictures of a window saved as PNG."""

import os
import select
import subprocess
import time


def wait_until(condition, timeout, interval=0.05, what="condition"):
    """Polls `condition` until it gives something true; fails at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise TimeoutError(f"gave up waiting for {what} after {timeout} s")
        time.sleep(interval)


class Display:
    """An Xvfb server on a display number of its own choosing."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = b""
            deadline = time.monotonic() + 30
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(left, 0))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not report its display")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def _xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env={**os.environ, "DISPLAY": self.name},
                              capture_output=True, text=True, timeout=30)

    def find_window(self, title):
        """The id of the mapped window titled exactly `title`, or None."""
        found = self._xdotool("search", "--onlyvisible", "--name", "^" + _regex_escape(title) + "$")
        ids = found.stdout.split()
        return ids[0] if found.returncode == 0 and ids else None

    def press(self, window, *keys):
        """Keys to `window`: with no window manager it gets the focus first."""
        self._xdotool("windowfocus", "--sync", window)
        for key in keys:
            self._xdotool("key", "--clearmodifiers", key)

    def type(self, window, text):
        self._xdotool("windowfocus", "--sync", window)
        self._xdotool("type", "--delay", "20", text)

    def capture(self, window):
        """The window's pixels as PNG, taken by ImageMagick's import, once two
        pictures in a row agree (the page has finished painting). The PNG
        carries no time of its own, so that equal pixels give equal bytes."""
        previous = [None]

        def settled():
            picture = subprocess.run(["import", "-display", self.name, "-window", window,
                                      "-define", "png:exclude-chunks=date,time", "png:-"],
                                     capture_output=True, timeout=30).stdout
            same = picture and picture == previous[0]
            previous[0] = picture
            return same

        wait_until(settled, 10, interval=0.2, what="the window to finish painting")
        return previous[0]


def _regex_escape(text):
    return "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in text)
