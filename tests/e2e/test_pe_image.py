"""The make-up of a built tovrik.exe, read back from the file itself: a GUI
program of the expected kind (PE32 for Windows 4.0, or PE32+ for 64-bit
Windows), imports from the system's own libraries only, the string table,
icon, version block and both dialog templates, all in U.S. English, and the
same resources as the compiled script the host build embeds.

  test_pe_image.py --exe build/win32/tovrik.exe --bits 32 --res build/host/tovrik.res
"""

import argparse
import struct
import sys
import unittest

import pefile

RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_DIALOG = 3, 6, 14, 16, 5
US_ENGLISH = 0x409
IDD_SETTINGS_PAGE, IDD_INFO_PAGE = 10000, 10001

# Machine, optional-header magic and subsystem version of each build.
KINDS = {
    32: (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], 0x10B, (4, 0)),
    64: (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], 0x20B, (5, 2)),
}


def image_resources(image):
    """{(type, name, language): data} of a PE image; names are ints or strings."""
    found = {}
    for kind in image.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                entry = language.data.struct
                key_name = str(name.name) if name.name is not None else name.id
                found[(kind.id, key_name, language.id)] = image.get_data(entry.OffsetToData, entry.Size)
    return found


def ordinal_or_text(data, at):
    """A name field of resource data (a type or name in a .res header; a
    menu, class or caption in a dialog template): an ordinal, as an int, or
    a UTF-16 string; with the offset after it."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def compiled_resources(data):
    """{(type, name, language): data} of a compiled resource file (.res)."""
    found = {}
    at = 0
    while at + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, at)
        kind, after = ordinal_or_text(data, at + 8)
        name, after = ordinal_or_text(data, after)
        after = (after + 3) & ~3
        _, _, language = struct.unpack_from("<IHH", data, after)
        if kind != 0:  # the empty entry that opens every file
            found[(kind, name, language)] = data[at + header_size:at + header_size + size]
        at = (at + header_size + size + 3) & ~3
    return found


def string_table(resources):
    """Every string of the string table, by id."""
    strings = {}
    for (kind, block, _), data in resources.items():
        if kind != RT_STRING:
            continue
        at = 0
        for index in range(16):
            length = struct.unpack_from("<H", data, at)[0]
            if length:
                strings[(block - 1) * 16 + index] = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            at += 2 + 2 * length
    return strings


def dialog_header(data):
    """Style, control count and caption of a dialog template."""
    style, _, count = struct.unpack_from("<IIH", data, 0)
    at = 18  # past the position and size
    _, at = ordinal_or_text(data, at)  # menu
    _, at = ordinal_or_text(data, at)  # class
    caption, _ = ordinal_or_text(data, at)
    return style, count, caption


def version_blocks(data, at=0):
    """A version resource block as (key, value, children), recursively."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    if kind == 1:
        value = value.decode("utf-16-le").rstrip("\0")
    children = []
    child = (value_at + value_size + 3) & ~3
    while child < end:
        children.append(version_blocks(data, child))
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children


class PeImageTest(unittest.TestCase):
    exe = None
    bits = None
    res = None

    @classmethod
    def setUpClass(cls):
        with open(cls.exe, "rb") as image:
            cls.data = image.read()
        cls.image = pefile.PE(data=cls.data)
        cls.resources = image_resources(cls.image)

    def resource(self, kind, name):
        return self.resources[(kind, name, US_ENGLISH)]

    def test_gui_program_of_its_kind_under_64_kib(self):
        machine, magic, subsystem_version = KINDS[self.bits]
        header = self.image.OPTIONAL_HEADER
        self.assertEqual(self.image.FILE_HEADER.Machine, machine)
        self.assertEqual(header.Magic, magic, "PE32" if self.bits == 32 else "PE32+")
        self.assertEqual(header.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
        self.assertEqual((header.MajorSubsystemVersion, header.MinorSubsystemVersion), subsystem_version)
        self.assertLess(len(self.data), 64 * 1024)

    def test_imports_only_from_the_system_libraries(self):
        imports = {entry.dll.decode().upper(): [item.name.decode() if item.name else item.ordinal
                                                for item in entry.imports]
                   for entry in self.image.DIRECTORY_ENTRY_IMPORT}
        self.assertLessEqual(set(imports), {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "COMCTL32.DLL",
                                            "MSVCRT.DLL"})
        self.assertEqual(imports["COMCTL32.DLL"].count(17), 1, "InitCommonControls by ordinal 17")
        self.assertNotIn("InitCommonControls", imports["COMCTL32.DLL"])
        self.assertIn("PropertySheetA", imports["COMCTL32.DLL"])
        for library in ("USER32.DLL", "ADVAPI32.DLL"):
            self.assertIn(library, imports)

    def test_every_resource_is_us_english(self):
        for kind, name, language in self.resources:
            self.assertEqual(language, US_ENGLISH, f"resource {kind}/{name}")

    def test_string_table(self):
        self.assertEqual(string_table(self.resources), {
            200: "TOVRIK",
            201: "Vivodo DIZ Eduda Dad",
            250: "Couldn't register window classes.\nTry shutting down other applications before trying again.",
            251: "Couldn't create the windows.\nTry shutting down other applications before trying again.",
            252: "The file name of this shortcut is too long.\nRename it to a shorter name and try again.",
        })

    def test_both_dialog_templates(self):
        WS_CAPTION, DS_SETFONT = 0x00C00000, 0x40
        for dialog, controls, caption in ((IDD_SETTINGS_PAGE, 8, "Zodovi 95"),
                                          (IDD_INFO_PAGE, 10, "Vurezez Edidadaz")):
            style, count, text = dialog_header(self.resource(RT_DIALOG, dialog))
            self.assertEqual((count, text), (controls, caption), f"dialog {dialog}")
            self.assertEqual(style & (WS_CAPTION | DS_SETFONT), WS_CAPTION | DS_SETFONT, f"dialog {dialog}")

    def test_icon_group_holds_one_32_by_32_image_of_16_colours(self):
        groups = {name: data for (kind, name, _), data in self.resources.items() if kind == RT_GROUP_ICON}
        self.assertEqual(list(groups), ["TOVRIK"])
        group = groups["TOVRIK"]
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 1))
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        self.assertEqual((width, height, colours, planes, bits), (32, 32, 16, 1, 4))
        self.assertEqual(icon_id, 1)
        image = self.resource(RT_ICON, icon_id)
        self.assertEqual(len(image), size)
        header = struct.unpack_from("<IiiHH", image, 0)
        self.assertEqual(header, (40, 32, 64, 1, 4), "a 32x32 bitmap with its mask, 4 bits a pixel")

    def test_version_block(self):
        key, fixed, children = version_blocks(self.resource(RT_VERSION, 1))
        self.assertEqual(key, "VS_VERSION_INFO")
        fields = struct.unpack_from("<13I", fixed)
        self.assertEqual(fields[0], 0xFEEF04BD)
        self.assertEqual(fields[2:6], (0x40000, 0, 0x40000, 0), "file and product version 4.0.0.0")
        self.assertEqual(fields[6:], (0,) * 7, "mask, flags, system, type, subtype and date")

        blocks = {name: (value, grandchildren) for name, value, grandchildren in children}
        tables = blocks["StringFileInfo"][1]
        self.assertEqual([name for name, _, _ in tables], ["040904e4"])
        values = {name: value for name, value, _ in tables[0][2]}
        for name, text in {"Comments": "This is a test version", "CompanyName": "Vurezez Edidadaz",
                           "FileDescription": "Zudevod Urerov Ezeda Dud Adozede",
                           "FileVersion": "4, 0, 0, 0", "OriginalFilename": "tovrik.exe",
                           "ProductVersion": "1.00"}.items():
            self.assertEqual(values.get(name), text, name)
        for name in ("InternalName", "LegalCopyright"):
            self.assertTrue(values.get(name), name)
        self.assertIn("1.0", values.get("ProductName", ""))

        translation = blocks["VarFileInfo"][1]
        self.assertEqual(translation[0][0], "Translation")
        self.assertEqual(struct.unpack("<HH", translation[0][1]), (US_ENGLISH, 1252))

    def test_same_resources_as_the_host_build(self):
        """The Windows build's resource compiler and the host's read one
        script; what each made must not drift apart."""
        if not self.res:
            self.skipTest("no compiled resource file given (--res)")
        with open(self.res, "rb") as compiled:
            host = compiled_resources(compiled.read())
        self.assertEqual(sorted(self.resources, key=repr), sorted(host, key=repr))
        for key, data in host.items():
            self.assertEqual(self.resources[key], data, f"resource {key}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--bits", type=int, choices=sorted(KINDS), default=32)
    parser.add_argument("--res", help="the compiled resource script of the host build, to compare")
    options, rest = parser.parse_known_args()
    PeImageTest.exe, PeImageTest.bits, PeImageTest.res = options.exe, options.bits, options.res
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
