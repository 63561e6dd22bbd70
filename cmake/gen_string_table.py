#!/usr/bin/env python3
"""Generates a string table of the suite from its UTF-8 text table.

The text table has one line per string resource:
  ID <TAB> NAME <TAB> TEXT        NAME is "-" when code refers to the id by number only
  ID <TAB> NAME <TAB> =OTHER_ID   the same text under a second id
TEXT escapes: \\n new line, \\r carriage return, \\\\ backslash. Blanks at either end belong to the text.
Lines starting with # are comments.

Outputs (all from the one source, so the resource string table and the
portable code can never disagree):
  --ids   C++ header with the named identifiers in namespace --namespace
  --table C++ include with every string in --encoding (Shift-JIS unless told), sorted by id
  --rc    resource script with the STRINGTABLE (UTF-8, code page 65001)
"""
import argparse
import os
import sys


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"n": "\n", "r": "\r", "\\": "\\"}.get(nxt, "\\" + nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def load(path):
    rows, names = {}, {}
    aliases = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t", 2)
            if len(parts) != 3:
                sys.exit(f"{path}:{number}: expected ID<TAB>NAME<TAB>TEXT")
            ident, name, text = int(parts[0]), parts[1], parts[2]
            if ident in rows or ident in aliases:
                sys.exit(f"{path}:{number}: id {ident} given twice")
            if name != "-":
                if name in names:
                    sys.exit(f"{path}:{number}: name {name} given twice")
                names[name] = ident
            if text.startswith("="):
                aliases[ident] = int(text[1:])
            else:
                rows[ident] = unescape(text)
    seen = {}
    for ident, text in rows.items():
        if text in seen:
            sys.exit(f"{path}: text of {ident} repeats {seen[text]}; write it once and alias it")
        seen[text] = ident
    for ident, target in aliases.items():
        if target not in rows:
            sys.exit(f"{path}: alias {ident} names {target}, which has no text")
        rows[ident] = rows[target]
    return rows, names


def c_bytes(text, encoding):
    data = text.encode(encoding)
    return "".join(f"\\{b:03o}" if b < 0x20 or b >= 0x7F or chr(b) in "\\\"?" else chr(b) for b in data)


def rc_text(text):
    return text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n").replace("\r", "\\r")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("--ids", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("--rc", required=True)
    parser.add_argument("--namespace", required=True)
    parser.add_argument("--encoding", default="cp932")
    args = parser.parse_args()
    rows, names = load(args.source)
    source = os.path.basename(args.source)

    with open(args.ids, "w", encoding="utf-8") as f:
        f.write(f"// Generated from {source} by gen_string_table.py.\n#pragma once\n#include <cstdint>\n\n")
        f.write(f"namespace {args.namespace} {{\n\n")
        for name, ident in sorted(names.items(), key=lambda item: item[1]):
            f.write(f"inline constexpr uint16_t {name} = {ident};\n")
        f.write(f"\n}}  // namespace {args.namespace}\n")

    with open(args.table, "w", encoding="utf-8") as f:
        f.write(f"// Generated from {source} by gen_string_table.py: id, {args.encoding} bytes.\n")
        for ident in sorted(rows):
            f.write(f'{{{ident}, "{c_bytes(rows[ident], args.encoding)}"}},\n')

    with open(args.rc, "w", encoding="utf-8") as f:
        f.write(f"// Generated from {source} by gen_string_table.py.\n#pragma code_page(65001)\n")
        f.write("STRINGTABLE\nBEGIN\n")
        for ident in sorted(rows):
            f.write(f'  {ident}, "{rc_text(rows[ident])}"\n')
        f.write("END\n")


if __name__ == "__main__":
    main()
