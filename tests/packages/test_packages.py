"""The packages, proven from what they hold: the Debian package of the host
build (its fields, its files, lintian's verdict, and the program unpacked
from it running the scenario table), and the zip of each Windows build
(its two files, and its tovrik.exe passing the image test the build's own
tovrik.exe passes).

  test_packages.py --host-build build/host [--windows-build build/win32 ...]

Each build folder must hold the package cpack made there.
"""

import argparse
import glob
import gzip
import json
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unittest
import zipfile

sys.dont_write_bytecode = True  # keep the source folder clean
HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
import desktop  # noqa: E402
import targets  # noqa: E402
from test_manual_page import render  # noqa: E402

VERSION = "1.0"
SETTINGS = "HKEY_CURRENT_USER\\America Online"


def only_file(pattern):
    found = glob.glob(pattern)
    if len(found) != 1:
        raise FileNotFoundError(f"want one {pattern}, found {found or 'none'}: run cpack there first")
    return found[0]


def image_test_on(host_build, built_exe, other_exe):
    """The host build's test that reads `built_exe` with the image test, as
    a command and its folder, made to read `other_exe` in its place; or
    None when the host build has no such test."""
    listing = subprocess.run(["ctest", "--test-dir", host_build, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True)
    built = os.path.realpath(built_exe)

    def swapped(argument):
        # The path may stand alone or after "--option=".
        option, equals, path = argument.rpartition("=")
        return option + equals + other_exe if os.path.realpath(path) == built else argument

    for test in json.loads(listing.stdout)["tests"]:
        command = test.get("command") or []
        if not any(os.path.basename(part) == "test_pe_image.py" for part in command):
            continue
        changed = [command[0]] + [swapped(part) for part in command[1:]]
        if changed != command:
            folder = next((p["value"] for p in test.get("properties", []) if p["name"] == "WORKING_DIRECTORY"),
                          host_build)
            return changed, folder
    return None


class DebianPackageTest(unittest.TestCase):
    host_build = None

    @classmethod
    def setUpClass(cls):
        cls.deb = only_file(os.path.join(cls.host_build, "tovrik_*.deb"))
        cls.root = tempfile.mkdtemp(prefix="tovrik-deb-")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)
        cls.program = os.path.join(cls.root, "usr", "bin", "tovrik")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", self.deb, name], capture_output=True, text=True,
                              check=True).stdout.strip()

    def test_control_fields(self):
        self.assertEqual(self.field("Package"), "tovrik")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Section"), "utils")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^<>@\s]+@[^<>@\s]+>$")
        self.assertRegex(self.field("Description"), r"^\S.{9,79}\n( \S.{0,78}\n?)+$", "synopsis and text")
        # dpkg-shlibdeps found the C library, the one shared library left.
        self.assertRegex(self.field("Depends"), r"^libc6 \(>= [0-9.]+\)$")

    def test_files_their_modes_and_owners(self):
        with tempfile.TemporaryFile() as data:
            subprocess.run(["dpkg-deb", "--fsys-tarfile", self.deb], stdout=data, check=True)
            data.seek(0)
            with tarfile.open(fileobj=data) as tar:
                members = {m.name.lstrip("."): m for m in tar.getmembers() if not m.isdir()}
                folders = [m for m in tar.getmembers() if m.isdir()]
        self.assertEqual(sorted(members), [
            "/usr/bin/tovrik",
            "/usr/share/doc/tovrik/README.md",
            "/usr/share/doc/tovrik/changelog.gz",
            "/usr/share/doc/tovrik/copyright",
            "/usr/share/lintian/overrides/tovrik",
            "/usr/share/man/man1/tovrik.1.gz",
        ])
        for name, member in members.items():
            self.assertTrue(member.isfile(), name)
            self.assertEqual(member.mode, 0o755 if name == "/usr/bin/tovrik" else 0o644, name)
        for member in [*members.values(), *folders]:
            self.assertEqual((member.uname, member.gname), ("root", "root"), member.name)
        for folder in folders:
            self.assertEqual(folder.mode, 0o755, folder.name)

    def test_documents_are_those_of_the_source_tree(self):
        doc = os.path.join(self.root, "usr", "share", "doc", "tovrik")
        for packed, source in ((os.path.join(doc, "README.md"), "README.md"),
                               (os.path.join(self.root, "usr", "share", "man", "man1", "tovrik.1.gz"),
                                "docs/tovrik.1"),
                               (os.path.join(doc, "changelog.gz"), "packaging/debian/changelog")):
            opener = gzip.open if packed.endswith(".gz") else open
            with opener(packed, "rb") as got, open(os.path.join(SOURCE, source), "rb") as want:
                self.assertEqual(got.read(), want.read(), source)
        changelog = subprocess.run(["dpkg-parsechangelog", "-l", os.path.join(SOURCE, "packaging/debian/changelog"),
                                    "-S", "Version"], capture_output=True, text=True, check=True)
        self.assertEqual(changelog.stdout.strip(), VERSION, "the changelog's latest version")
        with open(os.path.join(SOURCE, "docs", "tovrik.1"), encoding="utf-8") as page:
            self.assertIn(f'"tovrik {VERSION}"', page.readline(), "the version the manual page names")

    def test_installed_manual_page_renders_without_warnings(self):
        code, warnings = render(os.path.join(self.root, "usr", "share", "man", "man1", "tovrik.1.gz"), 80)
        self.assertEqual((code, warnings), (0, ""))

    def test_lintian_finds_nothing_the_overrides_do_not_explain(self):
        done = subprocess.run(["lintian", "--display-info", "--fail-on", "error,warning", self.deb],
                              capture_output=True, text=True)
        tags = [line for line in done.stdout.splitlines() if line[:2] in ("E:", "W:", "I:")]
        self.assertEqual((done.returncode, tags), (0, []), done.stderr)

    def test_the_unpacked_program_runs_the_scenario_table(self):
        # Configured copies, scripted first runs and the search of drive C:.
        done = subprocess.run([sys.executable, os.path.join(SOURCE, "tests", "e2e", "test_scenarios.py"), "host",
                               "--program", self.program,
                               "--client", os.path.join(self.host_build, "stand_in_client")],
                              capture_output=True, text=True, timeout=300)
        self.assertEqual(done.returncode, 0, done.stderr[-4000:])

    def test_a_link_to_the_unpacked_program_is_a_copy_of_its_own(self):
        work = tempfile.mkdtemp(prefix="tovrik-deb-run-")
        try:
            client = os.path.join(work, "drive_c", "AOL30", "WAOL.EXE")
            os.makedirs(os.path.dirname(client))
            shutil.copy2(os.path.join(self.host_build, "stand_in_client"), client)
            registry = os.path.join(work, "user.reg")
            with open(registry, "w", encoding="cp1252", newline="") as seed:
                seed.write(targets.regedit4({"Path": "C:\\AOL30\\WAOL.EXE", "STOCKS\\Name": "Reader7",
                                             "STOCKS\\Keyword": "Stocks"}))
            log = os.path.join(work, "client.log")
            env = {**os.environ, "TOVRIK_DRIVE_C": os.path.join(work, "drive_c"),
                   "TOVRIK_REGISTRY": registry, "STAND_IN_CLIENT_LOG": log}
            for name in ("STOCKS", "NEWS"):
                os.symlink(self.program, os.path.join(work, name))

            def started():
                with open(log, encoding="cp1252") if os.path.exists(log) else open(os.devnull) as lines:
                    return lines.read().splitlines()

            def run(name, script):
                before = len(started())
                done = subprocess.run([os.path.join(work, name)], input=script, env=env, capture_output=True,
                                      text=True, timeout=60)
                self.assertEqual((done.returncode, done.stderr), (0, ""), name)
                # The client runs on after the copy has ended.
                desktop.wait_until(lambda: len(started()) > before, 10, what=f"the client {name} starts")

            run("STOCKS", "")  # configured: no sheet, the client at once
            run("NEWS", "name=Reader8\nkeyword=Top News\nok\n")  # the first run, from a script
            run("NEWS", "")
            self.assertEqual(started(), ["C:\\AOL30\\WAOL.EXE -nReader7 -sStocks",
                                     "C:\\AOL30\\WAOL.EXE -nReader8 -sTop News",
                                     "C:\\AOL30\\WAOL.EXE -nReader8 -sTop News"])
            with open(registry, encoding="cp1252", newline="") as settings:
                saved = targets.parse_regedit4(settings.read())
            self.assertEqual((saved["NEWS\\NAME"], saved["NEWS\\KEYWORD"]), ("Reader8", "Top News"))
        finally:
            shutil.rmtree(work, ignore_errors=True)


class WindowsZipTest(unittest.TestCase):
    host_build = None
    windows_builds = []

    def test_each_zip_holds_the_program_and_a_readme(self):
        for build in self.windows_builds:
            with self.subTest(build=build):
                archive = only_file(os.path.join(build, "tovrik-*.zip"))
                folder = os.path.basename(archive)[:-len(".zip")]
                self.assertRegex(folder, rf"^tovrik-{VERSION}-win(32|64)$")
                with zipfile.ZipFile(archive) as zipped:
                    self.assertEqual(sorted(zipped.namelist()), [f"{folder}/README.txt", f"{folder}/tovrik.exe"])
                    readme = zipped.read(f"{folder}/README.txt")
                    exe = zipped.read(f"{folder}/tovrik.exe")
                with open(os.path.join(build, "tovrik.exe"), "rb") as built:
                    self.assertEqual(exe, built.read(), "the zip holds the program the build made")
                # Plain text for Notepad: ASCII, every line ended by CR LF.
                text = readme.decode("ascii")
                self.assertEqual(text.count("\n"), text.count("\r\n"))
                self.assertTrue(text.startswith(f"tovrik {VERSION}\r\n"))

    def test_each_zipped_program_passes_the_builds_image_test(self):
        for build in self.windows_builds:
            with self.subTest(build=build):
                archive = only_file(os.path.join(build, "tovrik-*.zip"))
                unpacked = tempfile.mkdtemp(prefix="tovrik-zip-")
                try:
                    with zipfile.ZipFile(archive) as zipped:
                        zipped.extractall(unpacked)
                    zipped_exe = glob.glob(os.path.join(unpacked, "*", "tovrik.exe"))[0]
                    exe = os.path.join(build, "tovrik.exe")
                    found = image_test_on(self.host_build, exe, zipped_exe)
                    self.assertIsNotNone(found, f"no test of {self.host_build} reads {exe} with test_pe_image.py")
                    command, folder = found
                    done = subprocess.run(command, cwd=folder, capture_output=True, text=True, timeout=120)
                    self.assertEqual(done.returncode, 0, done.stderr[-4000:])
                finally:
                    shutil.rmtree(unpacked, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--host-build", required=True)
    parser.add_argument("--windows-build", action="append", default=[])
    options, rest = parser.parse_known_args()
    DebianPackageTest.host_build = WindowsZipTest.host_build = os.path.abspath(options.host_build)
    WindowsZipTest.windows_builds = [os.path.abspath(build) for build in options.windows_build]
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
