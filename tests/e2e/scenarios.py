"""The end-to-end scenarios: one table, run against the host program and
against tovrik.exe under Wine. Each row seeds the registry and drive C:,
runs shortcut copies in turn and says what each run must show and start,
and what the registry holds afterwards."""

from dataclasses import dataclass, field

TITLE = "Vivodo DIZ Eduda Dad"
DEFAULT_ADDRESS = "http://vurezez.example/"

# Stands for the Windows user name, which a copy takes as its screen name
# while none is stored, when it fits in 11 characters (else: none). In a
# command line, " -n{user}" stands for the whole switch.
USER = "{user}"


def expand(text, user):
    """`text` with the user-name placeholder filled in for this machine."""
    if not user:
        text = text.replace(" -n" + USER, "")
    return text.replace(USER, user)


@dataclass(frozen=True)
class Sheet:
    """A settings sheet that a run must show: the three fields as it opens,
    then what the user does, in order:
      (FIELD, TEXT)       go to the field "keyword", "name" or "path" with
                          Tab and type TEXT; the field's whole text is
                          selected, so TEXT replaces it ("" clears it)
      ("screenshot", NAME) save a picture of the page showing (Windows only)
      "info_page"         change to the information page from the keyboard
      "ok" / "cancel"     Enter / Escape: the sheet closes
    """
    path: str
    name: str = USER
    keyword: str = DEFAULT_ADDRESS
    actions: tuple = ("ok",)


@dataclass(frozen=True)
class Run:
    """One start of a copy. Without a sheet, no window may appear. `started`
    is every command line the client gets from this run, as the product
    builds it."""
    copy: str
    sheet: Sheet = None
    started: tuple = ()


@dataclass(frozen=True)
class Scenario:
    """Registry texts are the default values of subkeys of HKCU\\America
    Online, by subkey path: "Path" and "<COPY>\\Name", "<COPY>\\Keyword".
    `after` is the whole of that tree after the runs; None: as seeded.
    `without_wine`: the client is a Windows program and no Wine loader can
    be had, so each start the runs list fails and says so on standard
    error; only a target whose host starts the client through Wine can
    take Wine away."""
    name: str
    runs: tuple
    seed: dict = field(default_factory=dict)
    clients: tuple = ()  # stand-in WAOL.EXE files placed on drive C:
    hidden: tuple = ()  # folders of drive C: given the hidden attribute
    after: dict = None
    without_wine: bool = False


AOL25 = "C:\\AOL25\\WAOL.EXE"
AOL30 = "C:\\AOL30\\WAOL.EXE"
PROGRAM_FILES = "C:\\Program Files\\AOL\\WAOL.EXE"
FRANCAIS = "C:\\Programme Français\\WAOL.EXE"


def configured(copy, keyword, name="Reader7", path=AOL25):
    """The settings of a copy that shows no sheet, and the shared path
    (None: no path stored, so the copy searches drive C:)."""
    values = {copy + "\\Name": name, copy + "\\Keyword": keyword}
    return {"Path": path, **values} if path else values


SCENARIOS = (
    # Configured copies: no window, the stored settings as switches.
    Scenario(
        "configured copy with screen name and keyword",
        seed=configured("STOCKS", "News"),
        clients=(AOL25,),
        runs=(Run("STOCKS.EXE", started=(AOL25 + " -nReader7 -sNews",)),),
    ),
    Scenario(
        "configured copy with an empty stored screen name",
        seed=configured("STOCKS", "Stocks", name=""),
        clients=(AOL25,),
        runs=(Run("STOCKS.EXE", started=(AOL25 + " -sStocks",)),),
    ),
    Scenario(
        "client under a folder with a space, values with spaces",
        seed=configured("STOCKS", "Top News", name="Reader 7", path=PROGRAM_FILES),
        clients=(PROGRAM_FILES,),
        runs=(Run("STOCKS.EXE", started=(PROGRAM_FILES + " -nReader 7 -sTop News",)),),
    ),
    Scenario(
        "four letters and a colon make a web address",
        seed=configured("STOCKS", "news:abc"),
        clients=(AOL25,),
        runs=(Run("STOCKS.EXE", started=(AOL25 + " -nReader7 -unews:abc",)),),
    ),
    Scenario(
        "a short keyword and an https address take the keyword switch",
        seed={**configured("STOCKS", "PC"), **configured("SECURE", "https://www.vurezez.example/", path=None)},
        clients=(AOL25,),
        runs=(Run("STOCKS.EXE", started=(AOL25 + " -nReader7 -sPC",)),
              Run("SECURE.EXE", started=(AOL25 + " -nReader7 -shttps://www.vurezez.example/",))),
    ),
    Scenario(
        "a copy named Path keeps its settings beside the shared path",
        seed=configured("Path", "News"),
        clients=(AOL25,),
        runs=(Run("PATH.EXE", started=(AOL25 + " -nReader7 -sNews",)),),
    ),
    Scenario(
        "letters outside ASCII in the copy's name and every setting reach the client as they are",
        seed=configured("Café", "Café €’", name="José", path=FRANCAIS),
        clients=(FRANCAIS,),
        runs=(Run("Café.exe", started=(FRANCAIS + " -nJosé -sCafé €’",)),),
    ),
    Scenario(
        "copies whose names differ only in case share their settings",
        seed=configured("STOCKS", "News"),
        clients=(AOL25,),
        runs=(Run("stocks.exe", started=(AOL25 + " -nReader7 -sNews",)),),
    ),

    # First runs: the sheet, then the settings saved on OK only.
    Scenario(
        "first run accepted with the values offered, then a run without window",
        clients=(PROGRAM_FILES,),
        runs=(
            Run("STOCKS.EXE",
                sheet=Sheet(path=PROGRAM_FILES,
                            actions=(("screenshot", "settings-page"), "info_page",
                                     ("screenshot", "info-page"), "ok")),
                started=(PROGRAM_FILES + " -n{user} -u" + DEFAULT_ADDRESS,)),
            Run("STOCKS.EXE", started=(PROGRAM_FILES + " -n{user} -u" + DEFAULT_ADDRESS,)),
        ),
        after={"Path": PROGRAM_FILES, "STOCKS\\Name": USER, "STOCKS\\Keyword": DEFAULT_ADDRESS},
    ),
    Scenario(
        "first run with a keyword typed into the focused field",
        seed={"Path": AOL25, "NEWS\\Name": "Reader7"},
        clients=(AOL25,),
        runs=(
            Run("NEWS.EXE",
                sheet=Sheet(path=AOL25, name="Reader7", actions=(("keyword", "Top News"), "ok")),
                started=(AOL25 + " -nReader7 -sTop News",)),
            Run("NEWS.EXE", started=(AOL25 + " -nReader7 -sTop News",)),
        ),
        after={"Path": AOL25, "NEWS\\Name": "Reader7", "NEWS\\Keyword": "Top News"},
    ),
    Scenario(
        "first run: a client found under a folder outside ASCII, a keyword of such letters typed",
        seed={"NEWS\\Name": "José"},
        clients=(FRANCAIS,),
        runs=(
            Run("NEWS.EXE",
                sheet=Sheet(path=FRANCAIS, name="José", actions=(("keyword", "Café €"), "ok")),
                started=(FRANCAIS + " -nJosé -sCafé €",)),
        ),
        after={"Path": FRANCAIS, "NEWS\\Name": "José", "NEWS\\Keyword": "Café €"},
    ),
    Scenario(
        "typing stops at 48 characters of keyword",
        seed={"Path": AOL25, "NEWS\\Name": "Reader7"},
        clients=(AOL25,),
        runs=(Run("NEWS.EXE",
                  sheet=Sheet(path=AOL25, name="Reader7",
                              actions=(("keyword", "K" * 40 + "0123456789ABCDEF"), "ok")),
                  started=(AOL25 + " -nReader7 -s" + "K" * 40 + "01234567",)),),
        after={"Path": AOL25, "NEWS\\Name": "Reader7", "NEWS\\Keyword": "K" * 40 + "01234567"},
    ),
    Scenario(
        "first run with the keyword cleared: no keyword switch, the sheet again next time",
        seed={"Path": AOL25, "NEWS\\Name": "Reader7"},
        clients=(AOL25,),
        runs=(
            Run("NEWS.EXE", sheet=Sheet(path=AOL25, name="Reader7", actions=(("keyword", ""), "ok")),
                started=(AOL25 + " -nReader7",)),
            Run("NEWS.EXE", sheet=Sheet(path=AOL25, name="Reader7", actions=("cancel",))),
        ),
        after={"Path": AOL25, "NEWS\\Name": "Reader7", "NEWS\\Keyword": ""},
    ),
    Scenario(
        "typing stops at 10 characters of screen name, reached with Tab",
        seed={"Path": AOL25},
        clients=(AOL25,),
        runs=(Run("NEWS.EXE", sheet=Sheet(path=AOL25, actions=(("name", "Reader7890AB"), "ok")),
                  started=(AOL25 + " -nReader7890 -u" + DEFAULT_ADDRESS,)),),
        after={"Path": AOL25, "NEWS\\Name": "Reader7890", "NEWS\\Keyword": DEFAULT_ADDRESS},
    ),
    Scenario(
        "first run with the screen name cleared: no name switch, now or later",
        seed={"Path": AOL25},
        clients=(AOL25,),
        runs=(
            Run("NEWS.EXE", sheet=Sheet(path=AOL25, actions=(("name", ""), "ok")),
                started=(AOL25 + " -u" + DEFAULT_ADDRESS,)),
            Run("NEWS.EXE", started=(AOL25 + " -u" + DEFAULT_ADDRESS,)),
        ),
        after={"Path": AOL25, "NEWS\\Name": "", "NEWS\\Keyword": DEFAULT_ADDRESS},
    ),
    Scenario(
        "first run cancelled: nothing written, nothing started, the sheet again next time",
        clients=(AOL25,),
        runs=(
            Run("STOCKS.EXE", sheet=Sheet(path=AOL25, actions=(("keyword", "Stocks"), "cancel"))),
            Run("STOCKS.EXE", sheet=Sheet(path=AOL25, actions=("cancel",))),
        ),
        after={},
    ),

    # The search of drive C: when no client path is stored.
    Scenario(
        "a client in a plain folder is found and not written back",
        seed=configured("STOCKS", "News", path=None),
        clients=("C:\\AOL30\\WAOL.EXE",),
        runs=(Run("STOCKS.EXE", started=("C:\\AOL30\\WAOL.EXE -nReader7 -sNews",)),),
    ),
    Scenario(
        "a client in a hidden folder is not found",
        seed=configured("STOCKS", "News", path=None),
        clients=("C:\\AOLA\\WAOL.EXE", "C:\\AOLB\\WAOL.EXE"),
        hidden=("C:\\AOLB",),
        runs=(Run("STOCKS.EXE", started=("C:\\AOLA\\WAOL.EXE -nReader7 -sNews",)),),
    ),
    Scenario(
        "the last client in walk order wins",
        seed=configured("STOCKS", "News", path=None),
        clients=("C:\\AOLA\\WAOL.EXE", "C:\\AOLB\\WAOL.EXE"),
        runs=(Run("STOCKS.EXE", started=("C:\\AOLB\\WAOL.EXE -nReader7 -sNews",)),),
    ),
    Scenario(
        "a folder's files and folders are walked in listing order",
        seed=configured("STOCKS", "News", path=None),
        # OLD lists before WAOL.EXE, so the client beside it is met last.
        clients=("C:\\AOL\\OLD\\WAOL.EXE", "C:\\AOL\\WAOL.EXE"),
        runs=(Run("STOCKS.EXE", started=("C:\\AOL\\WAOL.EXE -nReader7 -sNews",)),),
    ),
    Scenario(
        "a client found, started from the sheet's OK, then at once",
        clients=(AOL30,),
        runs=(
            Run("STOCKS.EXE", sheet=Sheet(path=AOL30, actions=(("keyword", "Stocks"), ("name", "Reader7"), "ok")),
                started=(AOL30 + " -nReader7 -sStocks",)),
            Run("STOCKS.EXE", started=(AOL30 + " -nReader7 -sStocks",)),
        ),
        after={"Path": AOL30, "STOCKS\\Name": "Reader7", "STOCKS\\Keyword": "Stocks"},
    ),
    Scenario(
        "no Wine for a Windows client: nothing started, a line says why, the settings saved",
        clients=(AOL30,),
        without_wine=True,
        runs=(
            Run("STOCKS.EXE", sheet=Sheet(path=AOL30, actions=(("keyword", "Stocks"), "ok")),
                started=(AOL30 + " -n{user} -sStocks",)),
            Run("STOCKS.EXE", started=(AOL30 + " -n{user} -sStocks",)),
        ),
        after={"Path": AOL30, "STOCKS\\Name": USER, "STOCKS\\Keyword": "Stocks"},
    ),
    Scenario(
        "the sheet of a first run offers the client found",
        clients=("C:\\AOL30\\WAOL.EXE",),
        runs=(Run("STOCKS.EXE", sheet=Sheet(path="C:\\AOL30\\WAOL.EXE", actions=("cancel",))),),
    ),
    Scenario(
        "no client anywhere: nothing started, exit code 0 all the same",
        seed=configured("STOCKS", "News", path=None),
        runs=(Run("STOCKS.EXE"),),
    ),

    # Copies side by side.
    Scenario(
        "two copies with their own keywords share one client path",
        seed={**configured("STOCKS", "Stocks"), **configured("NEWS", "News", path=None)},
        clients=(AOL25,),
        runs=(Run("STOCKS.EXE", started=(AOL25 + " -nReader7 -sStocks",)),
              Run("NEWS.EXE", started=(AOL25 + " -nReader7 -sNews",))),
    ),
    Scenario(
        "a new copy offers the path another copy saved, and keeps the other's settings",
        seed=configured("STOCKS", "Stocks"),
        clients=(AOL25, "C:\\AOL30\\WAOL.EXE"),
        runs=(
            Run("NEWS.EXE", sheet=Sheet(path=AOL25, actions=(("keyword", "News"), "ok")),
                started=(AOL25 + " -n{user} -sNews",)),
            Run("STOCKS.EXE", started=(AOL25 + " -nReader7 -sStocks",)),
        ),
        after={**configured("STOCKS", "Stocks"), "NEWS\\Name": USER, "NEWS\\Keyword": "News"},
    ),
)


# What the sheet shows: its tabs, and each page's controls in template order
# as (class, id, pattern of the text). {keyword}, {name} and {path} are the
# fields as the sheet opens; the maker's own lines are checked by shape.
TABS = ("Zodovi 95", "Vurezez Edidadaz")
FIELD_IDS = {"keyword": 614, "name": 601, "path": 608}  # in tab order
SETTINGS_PAGE = (
    ("Button", -1, "America Online"),
    ("Static", -1, "Screen Name:"),
    ("Static", -1, "Initial Keyword or URL:"),
    ("Edit", 614, "{keyword}"),
    ("Edit", 601, "{name}"),
    ("Static", -1, "Path to America Online"),
    ("Edit", 608, "{path}"),
    ("Static", -1, "Zodovi95 {13}\\S.*\n\nEnter your favorite keword or URL and press OK to create "
                   "a short cut to sign you one immediately to America Online\\."),
)
INFO_PAGE = (
    ("Static", -1, "Vurezez Edidadaz"),
    ("Static", -1, ".+"),
    ("Static", -1, ".+"),
    ("Static", -1, "Email: \\S+@\\S+"),
    ("Static", -1, "Fax: .+"),
    ("Static", -1, "Your comments are important for us to maintain a high quality of products\\. "
                   "Keep those cards and letter coming\\."),
    ("Static", -1, "Zodovi95 1\\.0\n\n.+\n.+"),
    ("Static", -1, ""),
    ("Button", -1, "  For more info:  "),
    ("Static", -1, "http:.+"),
)
