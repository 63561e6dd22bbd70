#!/usr/bin/env python3
"""Checks the help as the viewer will meet it: every topic the contents and
index name is a page of docs/help, every local link and picture of a page
resolves, every page can be reached from the contents, and the compiled
tessel.chm holds every page and picture.

Usage: check_help.py HELP_DIR TESSEL_CHM
"""
import re
import subprocess
import sys
from pathlib import Path

TOPIC = re.compile(r'<param\s+name="Local"\s+value="([^"]+)"', re.IGNORECASE)
LINK = re.compile(r'(?:src|href)="([^"]+)"', re.IGNORECASE)
EXTERNAL = re.compile(r"^[a-z]+:", re.IGNORECASE)


def local_target(page: Path, link: str):
    if EXTERNAL.match(link) or link.startswith("#"):
        return None
    return (page.parent / link.split("#")[0]).resolve()


def main() -> int:
    help_dir, chm = Path(sys.argv[1]).resolve(), Path(sys.argv[2])
    faults = []
    pages = sorted(help_dir.glob("*.html"))
    contents = set()
    for sitemap in ("tessel.hhc", "tessel.hhk"):
        for topic in TOPIC.findall((help_dir / sitemap).read_text("utf-8")):
            page = topic.split("#")[0]
            if not (help_dir / page).is_file():
                faults.append(f"{sitemap} names {topic}, which is not in docs/help")
            if sitemap == "tessel.hhc":
                contents.add(page)
    stored = set()
    for page in pages:
        if page.name not in contents:
            faults.append(f"{page.name} cannot be reached from the contents")
        for link in LINK.findall(page.read_text("utf-8")):
            target = local_target(page, link)
            if target is None:
                continue
            if not target.is_file():
                faults.append(f"{page.name} links to {link}, which does not exist")
            elif target.parent == help_dir:
                stored.add("/" + target.name)
            else:
                stored.add("/screenshots/" + target.name)
    stored.update("/" + page.name for page in pages)
    if not chm.is_file():
        faults.append(f"{chm} was not made")
    else:
        listing = subprocess.run(["chmls", "-n", "list", str(chm)], capture_output=True, text=True,
                                 errors="replace").stdout
        names = {line.strip() for line in listing.splitlines()}
        faults += [f"tessel.chm lacks {name}" for name in sorted(stored - names)]
    for fault in faults:
        print(fault)
    print(f"{len(pages)} pages, {len(stored)} files expected in the help file, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
