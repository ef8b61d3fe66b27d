#!/usr/bin/env python3
"""Writes the example machine profiles in examples/machines/.

The raw SMBIOS tables are built structure by structure (types 0, 1, 11, 177, 208, 218, 127)
so that every byte of a profile can be traced to a line here. Run it from anywhere; it
rewrites the JSON files next to the other examples. The committed JSON is the product of this
script and is not edited by hand.
"""
import json
import struct
from pathlib import Path

MACHINES_DIR = Path(__file__).resolve().parent.parent / "examples" / "machines"


def structure(kind, handle, formatted, strings=()):
    """One SMBIOS structure: header, formatted area, string-set with its double NUL."""
    body = struct.pack("<BBH", kind, 4 + len(formatted), handle) + formatted
    if strings:
        return body + b"".join(s.encode("ascii") + b"\0" for s in strings) + b"\0"
    return body + b"\0\0"


def bios_information(handle, vendor, version, date):
    # Vendor, version, start segment, release date, ROM size, characteristics.
    formatted = struct.pack("<BBHBBQ", 1, 2, 0xE000, 3, 0x3F, 0x0B_F9_98_80)
    return structure(0, handle, formatted, (vendor, version, date))


def system_information(handle, maker, product, serial, family):
    uuid = bytes(range(0x10, 0x20))
    # Manufacturer, product, version, serial, UUID, wake-up type, SKU, family.
    formatted = struct.pack("<BBBB", 1, 2, 3, 4) + uuid + struct.pack("<BBB", 6, 5, 6)
    return structure(1, handle, formatted, (maker, product, "Rev A", serial, "SKU-00", family))


def oem_strings(handle, strings):
    return structure(11, handle, struct.pack("<B", len(strings)), strings)


def feature_words(handle, first, second):
    return structure(0xB1, handle, struct.pack("<II", first, second))


def system_id_record(handle, system_id):
    # Byte 6 holds the ID when it fits in a byte; 0xFE sends the reader to the word at 8.
    if system_id < 0xFE:
        formatted = struct.pack("<BBBBH", 0x01, 0x02, system_id, 0x00, 0)
    else:
        formatted = struct.pack("<BBBBH", 0x01, 0x02, 0xFE, 0x00, system_id)
    return structure(0xD0, handle, formatted)


def token_table(handle, tokens):
    header = struct.pack("<BBBBBBB", 0x5A, 0x01, 0xB2, 0x00, 0xB3, 0x00, 0x01)
    entries = b"".join(struct.pack("<HHH", *token) for token in tokens)
    return structure(0xDA, handle, header + entries + struct.pack("<HHH", 0xFFFF, 0, 0))


def end_of_table(handle):
    return structure(127, handle, b"")


def table_hex(structures):
    return " ".join(s.hex().upper() for s in structures)


def bios_function(fclass, selector, status=0, results=(0, 0, 0), args=None):
    function = {"class": fclass, "selector": selector, "status": status, "results": list(results)}
    if args is not None:
        function["args"] = list(args)
    return function


def token_read(location, value):
    return bios_function(0, 0, 0, (value, 0, 0), args=(location,))


def entry_table(kinds):
    """Class 4, selector 200: the count first (argument 1 is 0), then one kind per entry."""
    rows = [bios_function(4, 200, 0, (kind, 0, 0), args=(1, i)) for i, kind in enumerate(kinds)]
    return rows + [bios_function(4, 200, 0, (len(kinds), 0, 0), args=(0,))]


def capability_probe(existing, missing):
    rows = [bios_function(c, s, 0) for c, s in existing]
    return rows + [bios_function(c, s, -2) for c, s in missing]


VEXA = "Vexa Computer Corp."  # the maker as its firmware names itself


def platform_d_laptop():
    tables = [
        bios_information(0x0000, VEXA, "A07", "03/14/2011"),
        system_information(0x0100, VEXA, "Lumabook 5330", "VX5330-88123", "Lumabook"),
        oem_strings(0x0B00, ["Vexa System 533", "1[0215]", "Board 5A22"]),
        feature_words(0xB100, 0x002A, 0x0000_0001),
        system_id_record(0xD000, 533),
        token_table(0xDA00, [(0x01FB, 0x0400, 0x0001), (0x017C, 0x0410, 0x0003)]),
        end_of_table(0x7F00),
    ]
    functions = capability_probe(
        existing=[(4, 1), (4, 2), (8, 1), (17, 0), (17, 1), (17, 6), (17, 7), (17, 10), (17, 12)],
        missing=[(4, 7), (17, 2)],
    )
    functions += [bios_function(17, 11, 0, (0x15, 0, 0))]
    functions += entry_table([3, 2, 4])
    functions += [token_read(0x0400, 0x0001), token_read(0x0410, 0x0003)]
    return {
        "schema": 1,
        "os": {"major": 10, "minor": 0},
        "power": {"acLineStatus": 1},
        "wmi": {
            "smbios": [table_hex(tables)],
            "bios": {"transferSize": 44, "functions": functions},
        },
        "devices": {
            "PCI": [
                "PCI\\VEN_8086&DEV_0104&SUBSYS_5A221F7A&REV_09\\3&11583659&0&00",
                "PCI\\VEN_14E4&DEV_1673&SUBSYS_5A221F7A&REV_10\\4&2D81A1C4&0&00E1",
                "PCI\\VEN_14E4&DEV_432B&SUBSYS_7C071F7A&REV_01\\4&1B2F4E6A&0&00E4",
            ],
            "USB": [
                "USB\\ROOT_HUB20\\4&3A5C29B1&0",
                "USB\\VID_2E9C&PID_4B20\\352099001761481",
                "USB\\VID_2E9C&PID_4B20&MI_00\\6&2C5E1A3&0&0000",
            ],
        },
    }


def torvane_xp_laptop():
    tables = [
        bios_information(0x0000, VEXA, "T12", "09/02/2008"),
        system_information(0x0100, VEXA, "Torvane 629", "VX629-40217", "Torvane"),
        oem_strings(0x0B00, ["Vexa System Torvane", "1[0275]"]),
        feature_words(0xB100, 0x0004, 0x0000_0000),
        system_id_record(0xD000, 629),
        token_table(0xDA00, [(0x01FA, 0x0402, 0x0001)]),
        end_of_table(0x7F00),
    ]
    functions = capability_probe(
        existing=[(4, 1), (8, 1), (17, 0), (17, 1)],
        missing=[(4, 2), (4, 7), (17, 2), (17, 6), (17, 7), (17, 10), (17, 11), (17, 12)],
    )
    functions += [bios_function(4, 200, -2)]  # no entry table: the fixed four entries apply
    functions += [token_read(0x0402, 0x0000)]  # token present but not active
    winlogon = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"
    settings = "HKLM\\SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData"
    return {
        "schema": 1,
        "os": {"major": 5, "minor": 1},
        "power": {"acLineStatus": 0},
        "wmi": {
            "smbios": [table_hex(tables)],
            "bios": {"transferSize": 64, "functions": functions},
        },
        "devices": {
            "PCI": [
                "PCI\\VEN_8086&DEV_2A00&SUBSYS_6B031F7A&REV_0C\\3&21436425&0&00",
                "PCI\\VEN_8086&DEV_10F5&SUBSYS_6B031F7A&REV_03\\4&1C9F8A2E&0&00C8",
                "PCI\\VEN_14E4&DEV_4312&SUBSYS_7C021F7A&REV_01\\4&3B21D5A0&0&00E1",
            ],
            "USB": [
                "USB\\ROOT_HUB\\4&1E2D3C4B&0",
                "USB\\VID_2E9C&PID_4A11\\5&2A8C1F0&0&2",
            ],
        },
        "registry": {
            winlogon: {"GinaDLL": "qvgina.dll", "Userinit": "C:\\WINDOWS\\system32\\userinit.exe,"},
            settings: {
                "QVGinaEnabled": "1",
                "OrginalGINA": "C:\\WINDOWS\\system32\\lumafp.dll",
                "PrevGINA": "msgina.dll",
                "WlanChipType": "3",
            },
        },
    }


def other_maker_desktop():
    tables = [
        bios_information(0x0000, "Cobaltline Firmware", "2.04", "11/20/2010"),
        system_information(0x0100, "Northwind Systems", "Atrium D40", "NW-D40-7731", "Atrium"),
        oem_strings(0x0B00, ["Northwind", "1[0215]"]),
        feature_words(0xB100, 0x002A, 0x0000_0000),
        end_of_table(0x7F00),
    ]
    return {
        "schema": 1,
        "os": {"major": 6, "minor": 1},
        "power": {"acLineStatus": 255},
        "wmi": {"smbios": [table_hex(tables)]},
        "devices": {
            "PCI": [
                "PCI\\VEN_8086&DEV_10D3&SUBSYS_00008086&REV_00\\3&33FD14CA&0&C8",
            ],
            "USB": [],
        },
    }


PROFILES = {
    "platform-d-laptop.json": platform_d_laptop,
    "torvane-xp-laptop.json": torvane_xp_laptop,
    "other-maker-desktop.json": other_maker_desktop,
}


def to_json(profile):
    """Indented JSON with each BIOS function on one line, so a profile reads as a table."""
    functions = profile.get("wmi", {}).get("bios", {}).get("functions", [])
    one_line = [json.dumps(f) for f in functions]
    for i in range(len(functions)):
        functions[i] = f"@FUNCTION{i}@"
    text = json.dumps(profile, indent=2)
    for i, line in enumerate(one_line):
        text = text.replace(f'"@FUNCTION{i}@"', line)
    return text + "\n"


def main():
    MACHINES_DIR.mkdir(parents=True, exist_ok=True)
    for name, build in PROFILES.items():
        text = to_json(build())
        (MACHINES_DIR / name).write_text(text)
        print(f"wrote {MACHINES_DIR / name}")


if __name__ == "__main__":
    main()
