"""The make-up of the built tovrik.exe, read back from the file itself: PE32
for the GUI subsystem 4.0, imports from the system's own libraries only,
and the string table, icon and version block, all in U.S. English.

  test_pe_image.py --exe build/win32/tovrik.exe
"""

import argparse
import struct
import sys
import unittest

RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_DIALOG = 3, 6, 14, 16, 5
US_ENGLISH = 0x409


class PeImage:
    """Just enough of a PE file: headers, sections, imports, resources."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directory_count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        for i in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, optional + optional_size + 40 * i)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def string_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """{library: [function name, or ordinal as an int]}."""
        rva, _ = self.directories[1]
        result = {}
        descriptor = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if name == 0:
                return result
            entries = []
            entry = self.offset(lookup or thunks)
            while True:
                value = struct.unpack_from("<I", self.data, entry)[0]
                if value == 0:
                    break
                entries.append(value & 0xFFFF if value & 0x80000000 else self.string_at(value + 2))
                entry += 4
            result[self.string_at(name)] = entries
            descriptor += 20

    def resources(self):
        """{(type, name): [(language, data)]}; names are ints or strings."""
        rva, _ = self.directories[2]
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if key & 0x80000000:
                    at = base + (key & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield key, target

        found = {}
        for kind, names in entries(0):
            for name, languages in entries(names & 0x7FFFFFFF):
                for language, leaf in entries(languages & 0x7FFFFFFF):
                    data_rva, size, _, _ = struct.unpack_from("<IIII", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.setdefault((kind, name), []).append((language, self.data[start:start + size]))
        return found


def string_table(resources):
    """Every string of the string table, by id."""
    strings = {}
    for (kind, block), items in resources.items():
        if kind != RT_STRING:
            continue
        for _, data in items:
            at = 0
            for index in range(16):
                length = struct.unpack_from("<H", data, at)[0]
                if length:
                    strings[(block - 1) * 16 + index] = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                at += 2 + 2 * length
    return strings


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

    @classmethod
    def setUpClass(cls):
        with open(cls.exe, "rb") as image:
            cls.data = image.read()
        cls.image = PeImage(cls.data)
        cls.resources = cls.image.resources()

    def test_32_bit_gui_program_for_windows_4_under_64_kib(self):
        self.assertEqual(self.image.machine, 0x14C)
        self.assertEqual(self.image.magic, 0x10B, "PE32")
        self.assertEqual(self.image.subsystem, 2, "the GUI subsystem")
        self.assertEqual(self.image.subsystem_version, (4, 0))
        self.assertLess(len(self.data), 64 * 1024)

    def test_imports_only_from_the_system_libraries(self):
        imports = {name.upper(): entries for name, entries in self.image.imports().items()}
        self.assertLessEqual(set(imports), {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "COMCTL32.DLL",
                                            "MSVCRT.DLL"})
        self.assertEqual(imports["COMCTL32.DLL"].count(17), 1, "InitCommonControls by ordinal 17")
        self.assertNotIn("InitCommonControls", imports["COMCTL32.DLL"])
        self.assertIn("PropertySheetA", imports["COMCTL32.DLL"])
        for library in ("USER32.DLL", "ADVAPI32.DLL"):
            self.assertIn(library, imports)

    def test_every_resource_is_us_english(self):
        for (kind, name), items in self.resources.items():
            self.assertEqual([language for language, _ in items], [US_ENGLISH], f"resource {kind}/{name}")
        for dialog in (10000, 10001):
            self.assertIn((RT_DIALOG, dialog), self.resources)

    def test_string_table(self):
        strings = string_table(self.resources)
        expected = {
            200: "TOVRIK",
            201: "Vivodo DIZ Eduda Dad",
            250: "Couldn't register window classes.\nTry shutting down other applications before trying again.",
            251: "Couldn't create the windows.\nTry shutting down other applications before trying again.",
        }
        for string_id, text in expected.items():
            self.assertEqual(strings.get(string_id), text, f"string {string_id}")

    def test_icon_group_holds_one_32_by_32_image_of_16_colours(self):
        groups = {name: items for (kind, name), items in self.resources.items() if kind == RT_GROUP_ICON}
        self.assertEqual(list(groups), ["TOVRIK"])
        group = groups["TOVRIK"][0][1]
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 1))
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        self.assertEqual((width, height, colours, planes, bits), (32, 32, 16, 1, 4))
        self.assertEqual(icon_id, 1)
        image = self.resources[(RT_ICON, icon_id)][0][1]
        self.assertEqual(len(image), size)
        header = struct.unpack_from("<IiiHH", image, 0)
        self.assertEqual(header, (40, 32, 64, 1, 4), "a 32x32 bitmap with its mask, 4 bits a pixel")

    def test_version_block(self):
        items = self.resources[(RT_VERSION, 1)]
        key, fixed, children = version_blocks(items[0][1])
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


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--exe", required=True)
    options, rest = parser.parse_known_args()
    PeImageTest.exe = options.exe
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
