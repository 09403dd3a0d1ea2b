"""The manual page held against the code: it renders without a warning,
and every environment variable the host layer reads has an entry of its
own under ENVIRONMENT.

  test_manual_page.py --page docs/tovrik.1 --sources host/src
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import unittest


def variables_read(folder):
    """The names given to getenv anywhere in the sources under `folder`."""
    names = set()
    for root, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), encoding="utf-8", errors="replace") as source:
                names.update(re.findall(r'\bgetenv\s*\(\s*"([^"]+)"', source.read()))
    return names


def environment_entries(page):
    """The words of each tag of the page's ENVIRONMENT section: the line
    after each .TP, with its font requests and punctuation taken off."""
    section = re.search(r"^\.SH ENVIRONMENT\n(.*?)^\.SH ", page, re.S | re.M)
    if not section:
        return set()
    tags = re.findall(r"^\.TP\n(.*)$", section.group(1), re.M)
    return {word for tag in tags for word in re.findall(r"[A-Z][A-Z0-9_]+", re.sub(r"^\.\w+", "", tag))}


def render(path, width):
    """The warnings `man` gives for the page, as lintian asks for them."""
    env = {**os.environ, "LC_ALL": "C.UTF-8", "MANROFFSEQ": "", "MANWIDTH": str(width)}
    done = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", path],
                          env=env, capture_output=True, text=True, check=False)
    return done.returncode, done.stderr


class ManualPageTest(unittest.TestCase):
    page = None
    sources = None

    @classmethod
    def setUpClass(cls):
        with open(cls.page, encoding="utf-8") as page:
            cls.text = page.read()

    def test_every_variable_the_code_reads_has_an_entry(self):
        read = variables_read(self.sources)
        # The scan itself: these two are read today and must be found.
        self.assertLessEqual({"TOVRIK_DRIVE_C", "TOVRIK_REGISTRY"}, read)
        missing = read - environment_entries(self.text)
        self.assertFalse(missing, f"read by the code, missing under ENVIRONMENT: {sorted(missing)}")

    def test_renders_without_warnings(self):
        for width in (80, 60):
            code, warnings = render(self.page, width)
            self.assertEqual(code, 0)
            self.assertEqual(warnings, "", f"at {width} columns")

    def test_a_broken_page_is_caught(self):
        # A request groff does not know must show as a warning, or the test
        # above proves nothing.
        with tempfile.NamedTemporaryFile("w", encoding="utf-8", prefix="tovrik-broken-", suffix=".1",
                                         delete=False) as page:
            page.write(self.text.replace(".SH NAME", ".SH NAME\n.XYZZY", 1))
        broken = page.name
        try:
            self.assertNotEqual(render(broken, 80)[1], "")
        finally:
            os.remove(broken)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--page", required=True)
    parser.add_argument("--sources", required=True)
    options, rest = parser.parse_known_args()
    ManualPageTest.page = options.page
    ManualPageTest.sources = options.sources
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
