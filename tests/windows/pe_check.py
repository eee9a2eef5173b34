#!/usr/bin/env python3
"""Reads a built velkor.exe back: its machine, the DLLs it imports (no mingw runtime DLL),
and its resources: the string tables in English and Russian as the resource script words
them, both version blocks, the four genre page files byte for byte, and the application
manifest that declares the program aware of long paths.
Usage: pe_check.py EXE i686|x86_64 RES_DIR"""
import re
import sys
import xml.etree.ElementTree as ElementTree

import pefile

exe, arch, res = sys.argv[1:4]
pe = pefile.PE(exe)
failures = []


def expect(what, actual, wanted):
    if actual != wanted:
        failures.append(f"{what}: {actual!r}, wanted {wanted!r}")


expect("machine", pe.FILE_HEADER.Machine, {"i686": 0x14C, "x86_64": 0x8664}[arch])
expect("subsystem", pe.OPTIONAL_HEADER.Subsystem, 3)  # console
imports = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
expect("imports", imports, ["kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "user32.dll"])

# Every resource by (type, name, language) -> bytes.
resources = {}
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    for name in kind.directory.entries:
        for lang in name.directory.entries:
            data = lang.data.struct
            key = (kind.id, str(name.name) if name.name else name.id, lang.id)
            resources[key] = pe.get_data(data.OffsetToData, data.Size)

# The string tables: the first block (IDs 0 to 15) and the second, per language, against
# the quoted texts of the resource script.
script = open(f"{res}/velkor.rc", encoding="utf-8").read()
ids = dict(re.findall(r"#define (IDS_\w+) (\d+)", open(f"{res}/resource.h").read()))
unescape = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"'}
for lang, block in zip((1033, 1049), re.findall(r"STRINGTABLE\s*BEGIN(.*?)END", script, re.S)):
    wanted = {int(ids[name]): re.sub(r"\\(.)", lambda m: unescape[m.group(1)], text)
              for name, text in re.findall(r'(IDS_\w+)\s+"((?:[^"\\]|\\.)*)"', block)}
    found = {}
    for bundle in sorted({i // 16 + 1 for i in wanted}):
        data, at = resources.get((6, bundle, lang), b""), 0
        for index in range(16):
            if at + 2 > len(data):
                break
            units = int.from_bytes(data[at:at + 2], "little")
            if units:
                found[(bundle - 1) * 16 + index] = data[at + 2:at + 2 + 2 * units].decode("utf-16-le")
            at += 2 + 2 * units
    expect(f"string table {lang}", found, wanted)

# The version blocks: fixed part and strings, per language.
comments = {1033: "This program requires Unicode support", 1049: "Для работы программы требуется поддержка Unicode"}
for lang, block, translation in ((1033, "040904b0", 0x409), (1049, "041904b0", 0x419)):
    data = resources.get((16, 1, lang), b"")
    text = data.decode("utf-16-le", errors="replace")
    fixed = data.find(b"\xbd\x04\xef\xfe")
    words = [int.from_bytes(data[fixed + 4 * i:fixed + 4 * i + 4], "little") for i in range(13)] if fixed >= 0 else []
    expect(f"version {lang} fixed part", words[2:13] if words else None,
           [0x30000, 0x7, 0x30000, 0x7, 0x3F, 0, 0x40004, 1, 0, 0, 0])
    for key, value in (("ProductName", "Velkor"), ("FileDescription", "Velkor + ID3v1"), ("FileVersion", "3.0.0.7"),
                       ("ProductVersion", "3.00"), ("Comments", comments[lang]), (block, "")):
        if key not in text or (value and value not in text[text.find(key):]):
            failures.append(f"version {lang}: {key} {value!r} missing")
    key = data.find("Translation".encode("utf-16-le"))
    if key < 0 or data.find(translation.to_bytes(2, "little") + (1200).to_bytes(2, "little"), key) < 0:
        failures.append(f"version {lang}: translation {translation:#x}, 1200 missing")

# The genre page: type 23 (RT_HTML), names and languages, byte for byte.
for name, lang, file in (("ID3GENRES.HTML", 1033, "id3genres.html"), ("ID3GENRES.HTML", 1049, "id3genres.ru.html"),
                         ("ID3GENRES.CSS", 0, "id3genres.css"), ("ID3GENRES.JS", 0, "id3genres.js")):
    if resources.get((23, name, lang)) != open(f"{res}/{file}", "rb").read():
        failures.append(f"RT_HTML {name} {lang} differs from {file}")

# The manifest (type 24, RT_MANIFEST, ID 1): long paths, as whoever starts the program.
manifests = [data for (kind, name, _), data in resources.items() if (kind, name) == (24, 1)]
expect("manifests", len(manifests), 1)
if manifests:
    root = ElementTree.fromstring(manifests[0])
    settings = "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
    aware = root.find(settings + "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}longPathAware")
    expect("longPathAware", None if aware is None else aware.text, "true")
    level = root.find(".//{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")
    expect("requestedExecutionLevel", None if level is None else level.get("level"), "asInvoker")

for failure in failures:
    print(f"{exe}: {failure}")
print(f"{exe}: {'FAILED' if failures else 'resources, imports and machine as wanted'}")
sys.exit(1 if failures else 0)
