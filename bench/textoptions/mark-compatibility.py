#!/usr/bin/env python3
"""Gives a PDF's ligature glyphs the text of the Unicode ligature characters.

    mark-compatibility.py IN.pdf OUT.pdf

groff draws "fi" and "fl" as ligature glyphs, and pdftotext spells those out by their glyph
names, so its text never shows U+FB01. Many PDFs in the wild carry a ToUnicode map that says
U+FB01 instead. This adds such a map to every simple font whose encoding names them: fi, fl,
ff, ffi and ffl read as U+FB00-U+FB04. (Glyphs mapped to non-breaking spaces would not help:
pdftotext writes those as plain spaces.) Needs qpdf 11 (JSON version 2).
"""

import base64
import json
import subprocess
import sys
import tempfile

TEXT_OF_GLYPH = {"/ff": 0xFB00, "/fi": 0xFB01, "/fl": 0xFB02, "/ffi": 0xFB03, "/ffl": 0xFB04}


def codes_of(encoding):
    """Code -> Unicode text for the ligatures an encoding's differences name."""
    names = {}
    code = 0
    for item in encoding.get("/Differences", []):
        if isinstance(item, int):
            code = item
            continue
        names[code] = item
        code += 1
    return {code: TEXT_OF_GLYPH[name] for code, name in names.items() if name in TEXT_OF_GLYPH}


def cmap(mapping):
    entries = "".join(f"<{code:02X}> <{text:04X}>\n" for code, text in sorted(mapping.items()))
    return ("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
            "/CMapName /Orvanta-Ligatures def\n/CMapType 2 def\n"
            "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
            f"{len(mapping)} beginbfchar\n{entries}endbfchar\n"
            "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n")


def main(source, target):
    dump = json.loads(subprocess.run(["qpdf", "--json=2", "--json-key=qpdf", source],
                                     check=True, capture_output=True).stdout)
    header, objects = dump["qpdf"]
    next_id = header["maxobjectid"] + 1
    changes = {}
    for key, entry in objects.items():
        font = entry.get("value")
        if not isinstance(font, dict) or font.get("/Type") != "/Font" or "/ToUnicode" in font:
            continue
        encoding = font.get("/Encoding")
        if isinstance(encoding, str) and encoding.endswith(" R"):
            encoding = objects.get(f"obj:{encoding}", {}).get("value")
        if not isinstance(encoding, dict):
            continue
        mapping = codes_of(encoding)
        if not mapping:
            continue
        data = base64.b64encode(cmap(mapping).encode()).decode()
        changes[f"obj:{next_id} 0 R"] = {"stream": {"dict": {}, "data": data}}
        changes[key] = {"value": dict(font, **{"/ToUnicode": f"{next_id} 0 R"})}
        next_id += 1
    header = dict(header, maxobjectid=next_id - 1)
    with tempfile.NamedTemporaryFile("w", suffix=".json") as patch:
        json.dump({"qpdf": [header, changes]}, patch)
        patch.flush()
        subprocess.run(["qpdf", "--deterministic-id", source, target,
                        f"--update-from-json={patch.name}"], check=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
