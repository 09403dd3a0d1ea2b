"""Runs the conformance tables built for Windows (build/conformance-win64)
under 64-bit Wine: a fresh prefix, drive T: mapped to an empty Linux folder
for the find-file fixture, and the test program's exit code as ours."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from targets import wine_server  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine", required=True, help="the 64-bit Wine loader")
    parser.add_argument("--exe", required=True, help="conformance_tests.exe")
    parser.add_argument("gtest", nargs="*", help="arguments for the test program")
    args = parser.parse_args()
    if not os.path.exists(args.exe):
        print(f"{args.exe} is missing: build it with\n"
              "  cmake -S tests/conformance -B build/conformance-win64 && "
              "cmake --build build/conformance-win64", file=sys.stderr)
        return 1

    work = tempfile.mkdtemp(prefix="tovrik-conformance-")
    server = wine_server(args.wine)
    env = {**os.environ, "WINEPREFIX": os.path.join(work, "prefix"), "WINEARCH": "win64",
           "WINESERVER": server, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
           "HOME": os.path.join(work, "home")}
    env.pop("DISPLAY", None)
    try:
        os.makedirs(env["HOME"])
        os.makedirs(env["WINEPREFIX"])
        os.makedirs(os.path.join(work, "drive_t"))
        subprocess.run([server, "-p"], env=env, check=True, timeout=60)
        subprocess.run([args.wine, "wineboot", "-i"], env=env, check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.symlink(os.path.join(work, "drive_t"), os.path.join(env["WINEPREFIX"], "dosdevices", "t:"))
        # Into a file, not a pipe: Wine's services inherit the output.
        with tempfile.TemporaryFile() as output:
            done = subprocess.run([args.wine, args.exe, *args.gtest], env=env, stdout=output,
                                  stderr=subprocess.STDOUT, timeout=600)
            output.seek(0)
            sys.stdout.write(output.read().decode("cp1252", "replace"))
        return done.returncode
    finally:
        subprocess.run([server, "-k"], env=env, timeout=60)
        subprocess.run([server, "-w"], env=env, timeout=60)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
