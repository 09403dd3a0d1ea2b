"""Runs every scenario of the table against one target, one test each.

  test_scenarios.py host --program build/host/tovrik --client build/host/stand_in_client
  test_scenarios.py wine --wine /usr/lib/wine/wine64 --bits 64 --program build/win64/tovrik.exe
                         --client stand_in_client.exe --probe sheet_probe.exe --screenshots DIR
  test_scenarios.py host-wine --wine /usr/lib/wine/wine64 --bits 64 --program build/host/tovrik
                              --client stand_in_client.exe

A machine that cannot execute programs of the Wine loader's kind at all
(the kernel refuses them: "Exec format error") skips the Wine run with exit
code 77; any other failure of Wine fails it.
"""

import argparse
import atexit
import errno
import getpass
import os
import pwd
import re
import signal
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
import targets  # noqa: E402
from scenarios import FIELD_IDS, INFO_PAGE, SCENARIOS, SETTINGS_PAGE, TABS, TITLE, expand  # noqa: E402

WS_GROUP, WS_TABSTOP, ES_AUTOHSCROLL = 0x00020000, 0x00010000, 0x0080
IDOK, IDCANCEL, ID_APPLY = 1, 2, 0x3021
SS_TYPEMASK, SS_BLACKFRAME = 0x1F, 0x07


def windows_user_name():
    """The screen name a copy takes while it has none stored: the login name
    when it fits the 12-byte field, else nothing."""
    try:
        name = pwd.getpwuid(os.getuid()).pw_name
    except KeyError:  # a user id without an entry, as in some containers
        name = getpass.getuser()
    return name if len(name) <= 11 else ""


class ScenarioTest(unittest.TestCase):
    target = None
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.user = windows_user_name()
        cls.target.start()

    @classmethod
    def tearDownClass(cls):
        cls.target.stop()

    def expand(self, text):
        return expand(text, self.user)

    def run_scenario(self, scenario):
        if scenario.without_wine and not self.target.can_withhold_wine:
            self.skipTest("only where the host program starts a Windows client through Wine")
        try:
            self.target.prepare(scenario, self.expand)
            for number, run in enumerate(scenario.runs, 1):
                with self.subTest(run=number, copy=run.copy):
                    self.check_run(run, scenario.without_wine)
            after = scenario.seed if scenario.after is None else scenario.after
            self.assertEqual(self.target.registry(),
                             {key.upper(): self.expand(value) for key, value in after.items()},
                             "the settings after the runs")
        finally:
            self.target.finish()

    def check_run(self, run, without_wine=False):
        outcome = self.target.run(run, 0 if without_wine else len(run.started))
        self.assertEqual(outcome.exit_code, 0, "exit code")
        self.assertEqual(outcome.complaints, [], "the sheet could be driven as the scenario says")
        if run.sheet is None:
            self.assertEqual(outcome.sheets, [], "no window may appear")
        if without_wine:
            self.assertEqual(outcome.started, [], "nothing started without Wine")
            self.assertEqual(len(outcome.messages), len(run.started), "one line for each start")
            for message, line in zip(outcome.messages, run.started):
                program, _ = targets.program_and_rest(line)
                self.assertRegex(message, "^tovrik: " + re.escape(program) +
                                 r" is a Windows program: Wine is needed\b.*\bTOVRIK_WINE\b")
        else:
            self.assertEqual(outcome.started, [self.target.as_seen_by_client(self.expand(line))
                                               for line in run.started], "command lines the client got")
        # The host's sheet is seen only through what it saves and starts.
        if run.sheet and outcome.sheets:
            self.check_settings_page(outcome.sheets[0], run.sheet)
            if "info_page" in run.sheet.actions:
                self.check_info_page(outcome.sheets[1])

    def check_frame(self, view, selected_tab):
        self.assertEqual(view.caption, TITLE)
        self.assertEqual(view.tabs, [(text, i == selected_tab) for i, text in enumerate(TABS)])
        buttons = {c.id: c for c in view.frame if c.cls.upper() == "BUTTON"}
        for button, enabled in ((IDOK, True), (IDCANCEL, True), (ID_APPLY, False)):
            self.assertTrue(buttons[button].visible, f"button {button} visible")
            self.assertEqual(buttons[button].enabled, enabled, f"button {button} enabled")

    def check_page(self, view, layout, fields):
        """The page's controls in template order, with their texts."""
        self.assertEqual([(c.cls.upper(), c.id) for c in view.page],
                         [(cls.upper(), control_id) for cls, control_id, _ in layout])
        for control, (_, _, pattern) in zip(view.page, layout):
            for name, value in fields.items():
                pattern = pattern.replace("{" + name + "}", re.escape(value))
            self.assertRegex(control.text, re.compile("^" + pattern + "$", re.DOTALL))

    def check_settings_page(self, view, sheet):
        self.check_frame(view, 0)
        fields = {"keyword": sheet.keyword, "name": self.expand(sheet.name), "path": sheet.path}
        self.check_page(view, SETTINGS_PAGE, fields)
        for control in view.page:
            if control.cls.upper() == "EDIT":
                wanted = WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL
                self.assertEqual(control.style & wanted, wanted, f"styles of field {control.id}")
        # The keyword field has the focus with its text selected.
        self.assertEqual(view.focus, (FIELD_IDS["keyword"], 0, len(sheet.keyword)))

    def check_info_page(self, view):
        self.check_frame(view, 1)
        self.check_page(view, INFO_PAGE, {})
        separator = view.page[7]
        self.assertEqual(separator.style & SS_TYPEMASK, SS_BLACKFRAME)
        self.assertFalse(any(c.style & WS_TABSTOP for c in view.page), "no tab stop on the page")


def _test_name(number, scenario):
    return f"test_{number:02d}_" + re.sub(r"\W+", "_", scenario.name.lower()).strip("_")


for _number, _scenario in enumerate(SCENARIOS, 1):
    setattr(ScenarioTest, _test_name(_number, _scenario),
            lambda self, scenario=_scenario: self.run_scenario(scenario))


SKIPPED = 77


def refused_by_kernel(program):
    """Whether the kernel refuses to execute `program` for its format, as a
    kernel without 32-bit x86 support refuses every 32-bit program."""
    try:
        subprocess.run([program, "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
    except OSError as error:
        return error.errno == errno.ENOEXEC
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("target", choices=("host", "wine", "host-wine"))
    parser.add_argument("--program", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--probe")
    parser.add_argument("--wine", default="wine", help="the Wine loader that runs the program or the client")
    parser.add_argument("--bits", type=int, choices=(32, 64), default=32,
                        help="the width of the Windows program, and so of the prefix")
    parser.add_argument("--screenshots", default=os.path.join(os.getcwd(), "screenshots"))
    options, rest = parser.parse_known_args()
    for path in (options.program, options.client, options.probe):
        if path and not os.path.isfile(path):
            parser.error(f"{path} is missing: build it first")
    if options.target != "host" and refused_by_kernel(options.wine):
        print(f"SKIPPED: this machine cannot execute {options.bits}-bit programs: the kernel refuses "
              f"{options.wine} (Exec format error)")
        sys.exit(SKIPPED)
    if options.target == "host":
        ScenarioTest.target = targets.HostTarget(options.program, options.client)
    elif options.target == "host-wine":
        ScenarioTest.target = targets.HostWineTarget(options.program, options.client, options.wine,
                                                     options.bits)
    else:
        if not options.probe:
            parser.error("the wine target needs --probe")
        ScenarioTest.target = targets.WineTarget(options.program, options.client, options.probe,
                                                 options.screenshots, options.wine, options.bits)
    # Xvfb and the wine server go also when the run is stopped from outside.
    atexit.register(ScenarioTest.target.stop)
    for stop_signal in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(stop_signal, _stop_and_exit)
    unittest.main(argv=[sys.argv[0], "-v", *rest])


def _stop_and_exit(number, _frame):
    ScenarioTest.target.stop()
    os._exit(128 + number)


if __name__ == "__main__":
    main()
