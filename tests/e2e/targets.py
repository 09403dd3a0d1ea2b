"""The two targets the scenarios run against, behind one interface: the
host program over a registry file and a folder as drive C:, and tovrik.exe
under Wine in a fresh prefix on a private X display."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field

import desktop
from scenarios import FIELD_IDS, INFO_PAGE, SETTINGS_PAGE, TABS, TITLE

SETTINGS_ROOT = "HKEY_CURRENT_USER\\America Online"
RUN_TIMEOUT = 90  # WinExec under Wine alone may wait 30 s for a client


@dataclass
class Control:
    parent: str
    cls: str
    id: int
    style: int
    visible: bool
    enabled: bool
    text: str


@dataclass
class SheetView:
    """What a sheet showed at one moment: its caption, its tabs, the
    controls of the page showing and of the frame, and the focus."""
    caption: str
    tabs: list = field(default_factory=list)  # (text, selected)
    page: list = field(default_factory=list)  # Controls of the page showing
    frame: list = field(default_factory=list)  # the sheet's own buttons
    focus: tuple = None  # (control id, selection start, selection end)


@dataclass
class Outcome:
    exit_code: int
    started: list  # command lines the client got
    sheets: list  # SheetViews, in the order they were seen
    complaints: list = field(default_factory=list)  # what the sheet's driver could not do
    messages: list = field(default_factory=list)  # the host program's other lines on standard error


def regedit4(values, replace=False):
    """REGEDIT4 text that holds `values` (subkey path -> default value);
    with `replace`, the editor drops what the settings root held first."""
    lines = ["REGEDIT4", ""] + ([f"[-{SETTINGS_ROOT}]", ""] if replace else [])
    for subkey in sorted(values, key=str.upper):
        text = values[subkey].replace("\\", "\\\\").replace('"', '\\"')
        lines += [f"[{SETTINGS_ROOT}\\{subkey}]", f'@="{text}"', ""]
    return "\r\n".join(lines) + "\r\n"


def _unquote(text):
    return re.sub(r"\\(.)", r"\1", text)


def parse_regedit4(text):
    """The default values under the settings root in REGEDIT4 text, by
    subkey path in upper case (key names ignore case)."""
    values = {}
    key = None
    lines = iter(text.splitlines())
    for line in lines:
        header = re.fullmatch(r"\[(.*)\]", line.strip())
        if header:
            key = header.group(1)
            continue
        while line.endswith("\\") and line.lstrip().startswith("@=hex"):
            line = line[:-1] + next(lines, "").strip()
        if key is None or not key.upper().startswith(SETTINGS_ROOT.upper() + "\\"):
            continue
        subkey = key[len(SETTINGS_ROOT) + 1:].upper()
        quoted = re.fullmatch(r'@="((?:[^"\\]|\\.)*)"', line.strip())
        binary = re.fullmatch(r"@=hex\(1\):([0-9a-fA-F,\s]*)", line.strip())
        if quoted:
            values[subkey] = _unquote(quoted.group(1))
        elif binary:
            data = bytes(int(b, 16) for b in binary.group(1).replace(" ", "").split(",") if b)
            values[subkey] = data.split(b"\0")[0].decode("cp1252")
    return values


def _copy_executable(source, destination):
    os.makedirs(os.path.dirname(destination), exist_ok=True)
    shutil.copy2(source, destination)


def program_and_rest(command_line):
    """A client command line cut after the program's path."""
    end = command_line.upper().find(".EXE") + 4
    return command_line[:end], command_line[end:]


def _read_lines(path, encoding):
    try:
        with open(path, encoding=encoding, newline="") as log:
            return [line.rstrip("\r\n") for line in log.read().splitlines()]
    except FileNotFoundError:
        return []


class Target:
    """What both targets share: a work folder, shortcut copies made on
    demand, and one client log per run."""

    name = None
    # What the client's log is written in: a Linux client gets host text,
    # UTF-8; a Windows client writes its ANSI command line, code page 1252.
    client_text = "utf-8"
    # Whether a scenario can take Wine away from the client: only where the
    # host program starts a Windows client through Wine.
    can_withhold_wine = False

    def __init__(self, program, client):
        self.program = program
        self.client = client
        self.work = None
        self.runs = 0

    def start(self):
        self.work = tempfile.mkdtemp(prefix=f"tovrik-e2e-{self.name}-")
        os.makedirs(os.path.join(self.work, "links"))

    def stop(self):
        """Ends all the target started; safe to call more than once."""
        work, self.work = self.work, None
        if work and not os.environ.get("TOVRIK_E2E_KEEP"):
            shutil.rmtree(work, ignore_errors=True)

    def copy_path(self, copy):
        path = os.path.join(self.work, "links", copy)
        if not os.path.exists(path):
            _copy_executable(self.program, path)
        return path

    def next_log(self):
        self.runs += 1
        return os.path.join(self.work, f"client-{self.runs}.log")

    def as_seen_by_client(self, command_line):
        """The command line the client gets for the one the product builds."""
        return command_line

    @staticmethod
    def write_seed(path, scenario, expand, replace=False):
        with open(path, "w", encoding="cp1252", newline="") as out:
            out.write(regedit4({key: expand(value) for key, value in scenario.seed.items()}, replace))


class HostTarget(Target):
    """The host program: settings in a REGEDIT4 file, drive C: a folder, the
    sheet driven by script lines on standard input."""

    name = "host"

    def prepare(self, scenario, expand):
        self.registry_file = os.path.join(self.work, "user.reg")
        if os.path.exists(self.registry_file):
            os.remove(self.registry_file)
        if scenario.seed:
            self.write_seed(self.registry_file, scenario, expand)
        self.prepare_drive(scenario)
        for folder in scenario.hidden:
            # The attribute word Wine keeps beside a file, which the layer reads.
            os.setxattr(self._posix(folder), "user.DOSATTRIB", b"0x2")

    def prepare_drive(self, scenario):
        self.drive = os.path.join(self.work, "drive_c")
        shutil.rmtree(self.drive, ignore_errors=True)
        os.makedirs(self.drive)
        for client in scenario.clients:
            _copy_executable(self.client, self._posix(client))

    def finish(self):
        pass

    def _posix(self, dos_path):
        assert dos_path[:3].upper() == "C:\\"
        return os.path.join(self.drive, *dos_path[3:].split("\\"))

    def environment(self):
        """The run's environment, and where the client's log is read."""
        log = self.next_log()
        return {**os.environ, "TOVRIK_DRIVE_C": self.drive, "STAND_IN_CLIENT_LOG": log}, log

    def run(self, run, expected_starts):
        script = ""
        for action in run.sheet.actions if run.sheet else ():
            if action in ("ok", "cancel"):
                script += action + "\n"
            elif action == "info_page":
                # By its tab's text, so a wrong tab is reported.
                script += f"page={TABS[1]}\n"
            elif action[0] in FIELD_IDS:
                script += f"{action[0]}={action[1]}\n"
        env, log = self.environment()
        env["TOVRIK_REGISTRY"] = self.registry_file
        env.pop("HOST_COMMAND_LINE", None)
        # Into a file, not a pipe: a client the program starts inherits its
        # standard error and may hold a pipe open long after it has ended.
        with tempfile.TemporaryFile() as errors:
            done = subprocess.run([self.copy_path(run.copy)], input=script, encoding="utf-8", env=env,
                                  stdout=subprocess.DEVNULL, stderr=errors, timeout=RUN_TIMEOUT, cwd=self.work)
            errors.seek(0)
            stderr = errors.read().decode("utf-8", "replace")
        # The script's reports say what it could not find or do; text cut
        # at a typing limit is the sheet working as it should.
        complaints = [line for line in stderr.splitlines()
                      if line.startswith("sheet:") and "characters given" not in line]
        messages = [line for line in stderr.splitlines() if line.startswith("tovrik:")]
        # The client runs on after the shortcut has ended.
        try:
            desktop.wait_until(lambda: len(_read_lines(log, self.client_text)) >= expected_starts, 10,
                               what="the client to record its command line")
        except TimeoutError:
            pass
        return Outcome(done.returncode, _read_lines(log, self.client_text), [], complaints, messages)

    def registry(self):
        try:
            with open(self.registry_file, encoding="cp1252", newline="") as settings:
                return parse_regedit4(settings.read())
        except FileNotFoundError:
            return {}


def wine_server(loader):
    """The Wine server that goes with a loader: Debian keeps one of each
    width beside its loaders (wine with wineserver32, wine64 with
    wineserver64); elsewhere a plain wineserver sits beside the loader."""
    folder, name = os.path.split(loader)
    width = "64" if name.endswith("64") else "32"
    for candidate in (f"wineserver{width}", "wineserver"):
        if os.path.exists(os.path.join(folder, candidate)):
            return os.path.join(folder, candidate)
    return shutil.which("wineserver") or "wineserver"


class WinePrefix:
    """A fresh Wine prefix of one width for a whole run, with its own server,
    an empty home and a private X display. Files placed on its drive C: go
    again when it is cleared."""

    def __init__(self, loader, bits):
        self.loader = loader
        self.server = wine_server(loader)
        self.bits = bits
        self.display = None
        self.made = []

    def start(self, work):
        home = os.path.join(work, "home")  # C:\users\<user> links point here
        os.makedirs(home)
        self.path = os.path.join(work, "prefix")
        self.display = desktop.Display()
        self.env = {**os.environ, "WINEPREFIX": self.path, "WINEARCH": f"win{self.bits}",
                    "WINESERVER": self.server, "WINEDEBUG": "-all",
                    "WINEDLLOVERRIDES": "mscoree,mshtml=", "HOME": home, "DISPLAY": self.display.name}
        self.env.pop("HOST_COMMAND_LINE", None)
        try:
            # One server for every run keeps each start well under a second.
            os.makedirs(self.path)
            started = time.monotonic()
            subprocess.run([self.server, "-p"], env=self.env, check=True, timeout=60)
            self.wine("wineboot", "-i", timeout=300)
            print(f"Wine prefix made in {time.monotonic() - started:.1f} s", file=sys.stderr)
        except BaseException:
            self.stop()
            raise

    def stop(self):
        display, self.display = self.display, None
        try:
            if display:
                subprocess.run([self.server, "-k"], env=self.env, timeout=60)
                subprocess.run([self.server, "-w"], env=self.env, timeout=60)
        finally:
            if display:
                display.stop()

    def wine(self, *arguments, timeout=60, check=True):
        # Into a file, not a pipe: the Wine services the first call starts
        # inherit its output and would hold a pipe open for good.
        with tempfile.TemporaryFile() as output:
            done = subprocess.run([self.loader, *arguments], env=self.env, stdout=output,
                                  stderr=subprocess.STDOUT, timeout=timeout)
            output.seek(0)
            done.stdout = output.read().decode("cp1252", "replace")
        if check and done.returncode != 0:
            raise RuntimeError(f"wine {' '.join(arguments)} failed: {done.stdout}")
        return done

    def posix(self, dos_path):
        assert dos_path[:3].upper() == "C:\\"
        return os.path.join(self.path, "drive_c", *dos_path[3:].split("\\"))

    def place(self, source, dos_path):
        """Copies `source` to `dos_path`, noting the first folder made for it
        so that it goes again when the prefix is cleared."""
        path = self.posix(dos_path)
        folder = os.path.dirname(path)
        while not os.path.exists(os.path.dirname(folder)):
            folder = os.path.dirname(folder)
        if not os.path.exists(folder):
            self.made.append(folder)
        else:
            self.made.append(path)
        _copy_executable(source, path)

    def clear(self):
        for path in reversed(self.made):
            if os.path.isdir(path):
                shutil.rmtree(path, ignore_errors=True)
            elif os.path.exists(path):
                os.remove(path)
        self.made = []


class InWinePrefix:
    """A target whose runs share one WinePrefix, `self.prefix`, made when
    the target starts and cleared after every scenario."""

    def start(self):
        super().start()
        try:
            self.prefix.start(self.work)
        except BaseException:
            super().stop()
            raise

    def stop(self):
        try:
            self.prefix.stop()
        finally:
            super().stop()

    def finish(self):
        self.prefix.clear()


class WineTarget(InWinePrefix, Target):
    """tovrik.exe under Wine: one fresh prefix for the whole run, of the
    width of the program, its "America Online" key deleted and the
    scenario's clients removed after every scenario; the sheet found on
    Xvfb and driven with keys."""

    name = "wine"
    client_text = "cp1252"

    def __init__(self, program, client, probe, screenshots, loader, bits):
        super().__init__(program, client)
        self.prefix = WinePrefix(loader, bits)
        self.probe = probe
        self.screenshots = screenshots

    @property
    def display(self):
        return self.prefix.display

    @staticmethod
    def _dos(posix_path):
        return "Z:" + posix_path.replace("/", "\\")

    def prepare(self, scenario, expand):
        # One import clears what the last scenario left and seeds this one.
        seed = os.path.join(self.work, "seed.reg")
        self.write_seed(seed, scenario, expand, replace=True)
        self.prefix.wine("regedit", "/S", self._dos(seed))
        for client in scenario.clients:
            self.prefix.place(self.client, client)
        for folder in scenario.hidden:
            self.prefix.wine("attrib", "+h", folder)

    def as_seen_by_client(self, command_line):
        # Wine's WinExec quotes an unquoted program path with a space in it.
        program, rest = program_and_rest(command_line)
        return f'"{program}"{rest}' if " " in program else command_line

    def registry(self):
        # An export, in UTF-16: the console's output of `reg query` would be
        # in the OEM code page, which turns letters outside ASCII around.
        export = os.path.join(self.work, "export.reg")
        if os.path.exists(export):
            os.remove(export)
        done = self.prefix.wine("reg", "export", SETTINGS_ROOT, self._dos(export), "/y", check=False)
        if done.returncode != 0:
            return {}
        with open(export, encoding="utf-16") as exported:
            return parse_regedit4(exported.read())

    def look(self):
        """The sheet as the probe sees it from outside, or None."""
        done = self.prefix.wine(self.probe, TITLE, check=False)
        return parse_probe(done.stdout) if done.returncode == 0 else None

    def run(self, run, expected_starts):
        log = self.next_log()
        env = {**self.prefix.env, "STAND_IN_CLIENT_LOG": self._dos(log)}
        process = subprocess.Popen([self.prefix.loader, self.copy_path(run.copy)], env=env, cwd=self.work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        sheets = []
        try:
            if run.sheet:
                self._drive_sheet(run.sheet, sheets)
            else:
                deadline = time.monotonic() + RUN_TIMEOUT
                while process.poll() is None and time.monotonic() < deadline:
                    window = self.display.find_window(TITLE)
                    if window:
                        sheets.append(self.look() or SheetView(TITLE))
                        self.display.press(window, "Escape")
                    time.sleep(0.05)
            exit_code = process.wait(RUN_TIMEOUT)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
        return Outcome(exit_code, _read_lines(log, self.client_text), sheets)

    def _drive_sheet(self, sheet, sheets):
        window = desktop.wait_until(lambda: self.display.find_window(TITLE), 30, what="the sheet")

        def page_ready(tab, first_control):
            view = self.look()
            ready = (view and any(selected for _, selected in view.tabs[tab:tab + 1])
                     and len(view.page) > 0 and view.page[0].text == first_control)
            return view if ready else None

        sheets.append(desktop.wait_until(lambda: page_ready(0, SETTINGS_PAGE[0][2]), 15,
                                         what="the settings page"))
        fields = list(FIELD_IDS)
        focused = 0  # the sheet opens with the focus in the first field
        for action in sheet.actions:
            if action == "ok":
                self.display.press(window, "Return")
            elif action == "cancel":
                self.display.press(window, "Escape")
            elif action == "info_page":
                # Before the first field in tab order come the tabs.
                self.display.press(window, *["shift+Tab"] * (focused + 1), "Right")
                sheets.append(desktop.wait_until(lambda: page_ready(1, INFO_PAGE[0][2]), 15,
                                                 what="the information page"))
            elif action[0] == "screenshot":
                os.makedirs(self.screenshots, exist_ok=True)
                with open(os.path.join(self.screenshots, action[1] + ".png"), "wb") as out:
                    out.write(self.display.capture(window))
            elif action[0] in FIELD_IDS:
                # A field reached by Tab has its whole text selected, as
                # the first one has when the sheet opens.
                steps = fields.index(action[0]) - focused
                self.display.press(window, *(["Tab"] * steps if steps > 0 else ["shift+Tab"] * -steps))
                focused += steps
                if action[1]:
                    self._type_into(window, FIELD_IDS[action[0]], action[1])
                else:
                    self.display.press(window, "BackSpace")

    def _type_into(self, window, field_id, text):
        """Types `text` over the field's selected text. xdotool types a letter
        that the keyboard map lacks by mapping a spare key to it for the
        moment, which Wine may take up too late and drop the letter: for such
        text the field is read back, and typed again, whole, when it lost a
        letter."""
        for _ in range(3):
            self.display.type(window, text)
            if text.isascii():
                return

            def holds_text():
                view = self.look()
                return view and any(c.id == field_id and c.text == text for c in view.page)

            try:
                desktop.wait_until(holds_text, 5, what=f"the field to hold {text!r}")
                return
            except TimeoutError:
                self.display.press(window, "Home", "shift+End")
        raise AssertionError(f"the field {field_id} never held {text!r}")


class HostWineTarget(InWinePrefix, HostTarget):
    """The host program with a Windows client: drive C: is the drive_c of a
    fresh prefix named by WINEPREFIX, and the program starts the client
    through the Wine loader in TOVRIK_WINE. Every other run names drive C:
    by TOVRIK_DRIVE_C alone, so that the program itself must tell Wine the
    prefix. The client keeps its log on drive C:."""

    name = "host-wine"
    client_text = "cp1252"
    can_withhold_wine = True

    def __init__(self, program, client, loader, bits):
        super().__init__(program, client)
        self.prefix = WinePrefix(loader, bits)
        self.withhold_wine = False

    def prepare_drive(self, scenario):
        self.withhold_wine = scenario.without_wine
        for client in scenario.clients:
            self.prefix.place(self.client, client)

    def _posix(self, dos_path):
        return self.prefix.posix(dos_path)

    def environment(self):
        self.runs += 1
        log = f"C:\\client-{self.runs}.log"
        env = {**self.prefix.env, "TOVRIK_WINE": self.prefix.loader, "STAND_IN_CLIENT_LOG": log}
        env.pop("TOVRIK_DRIVE_C", None)
        if self.runs % 2 == 0:
            env["TOVRIK_DRIVE_C"] = os.path.join(env.pop("WINEPREFIX"), "drive_c")
        if self.withhold_wine:
            del env["TOVRIK_WINE"]
            env["PATH"] = os.path.join(self.work, "links")
        return env, self.prefix.posix(log)

    def as_seen_by_client(self, command_line):
        # Wine gives its program the path it was started with in quotes.
        program, rest = program_and_rest(command_line)
        return f'"{program}"{rest}'


def _unescape_probe(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t", "r": "\r"}.get(m.group(1), m.group(1)), text)


def parse_probe(output):
    """A SheetView from the probe's records (see win32/sheet_probe.c)."""
    view = None
    controls = []
    for line in output.splitlines():
        record = line.rstrip("\r").split("\t")
        if record[0] == "sheet":
            view = SheetView(caption=_unescape_probe(record[3]))
            sheet_handle = record[1]
        elif record[0] == "control" and len(record) >= 9:
            controls.append((record[1], Control(
                parent=record[2], cls=record[3], id=int(record[4]) if record[4] != "65535" else -1,
                style=int(record[5], 16), visible=record[6] == "visible", enabled=record[7] == "enabled",
                text=_unescape_probe(record[8]))))
        elif record[0] == "tab" and view:
            view.tabs.append((_unescape_probe(record[3]), record[2] == "selected"))
        elif record[0] == "focus" and view:
            view.focus = (int(record[1]), int(record[2]), int(record[3]))
    if view is None:
        return None
    # The page showing is the visible dialog among the sheet's children.
    pages = [handle for handle, c in controls if c.parent == sheet_handle and c.cls == "#32770" and c.visible]
    view.frame = [c for _, c in controls if c.parent == sheet_handle and c.cls != "#32770"]
    view.page = [c for _, c in controls if pages and c.parent == pages[0]]
    return view
