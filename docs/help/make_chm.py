#!/usr/bin/env python3
"""Compiles the help pages of docs/help into tessel.chm with chmcmd.

The pages are kept in the tree as they read in a browser: UTF-8, pictures
taken from ../screenshots. The compiled file wants its own layout and text:
the pages are staged in one folder with the pictures they show in
screenshots/ beside them, and the project, contents and index files go in as
Shift-JIS, the code page of a Japanese help file (the viewer reads the names
of the contents and index, and the window's caption, in that code page).

chmcmd reports a missing file as a warning and still succeeds; here any
warning or error fails the build, so a broken link never ships.

Usage: make_chm.py CHMCMD HELP_DIR STAGE_DIR OUTPUT_CHM
"""
import re
import shutil
import subprocess
import sys
from pathlib import Path

PROJECT = "tessel.hhp"
SHIFT_JIS_FILES = (".hhp", ".hhc", ".hhk")
PICTURE_LINK = re.compile(r'(src|href)="\.\./screenshots/([^"]+)"')


def stage(help_dir: Path, stage_dir: Path) -> None:
    if stage_dir.exists():
        shutil.rmtree(stage_dir)
    (stage_dir / "screenshots").mkdir(parents=True)
    for source in sorted(help_dir.iterdir()):
        if source.suffix in SHIFT_JIS_FILES:
            (stage_dir / source.name).write_bytes(source.read_text("utf-8").encode("cp932"))
        elif source.suffix in (".html", ".css"):
            text = source.read_text("utf-8")
            for _, picture in PICTURE_LINK.findall(text):
                shutil.copyfile(help_dir.parent / "screenshots" / picture, stage_dir / "screenshots" / picture)
            (stage_dir / source.name).write_text(PICTURE_LINK.sub(r'\1="screenshots/\2"', text), "utf-8")


def compile_chm(chmcmd: str, stage_dir: Path) -> Path:
    run = subprocess.run([chmcmd, "--verbosity", "1", PROJECT], cwd=stage_dir, capture_output=True, text=True,
                         errors="replace")
    report = run.stdout + run.stderr
    problems = [line for line in report.splitlines() if re.match(r"\s*(warning|error)", line, re.IGNORECASE)]
    if run.returncode != 0 or problems:
        sys.exit("chmcmd failed:\n" + "\n".join(problems or [report]))
    return stage_dir / "tessel.chm"


def main() -> None:
    chmcmd = sys.argv[1]
    help_dir, stage_dir, output = (Path(argument).resolve() for argument in sys.argv[2:5])
    stage(help_dir, stage_dir)
    chm = compile_chm(chmcmd, stage_dir)
    if not chm.is_file():
        sys.exit("chmcmd wrote no tessel.chm")
    output.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(chm, output)


if __name__ == "__main__":
    main()
