#!/usr/bin/env python3
"""Checks the Debian package as a distribution would: exactly the files it
should hold, owned by root with the right modes, its dependencies, lintian with
no error or warning, the desktop entry and the AppStream data validated.

    check_package.py DEB TREE PROGRAM...

PROGRAM... are the build's programs in its program tree TREE: each one is
expected under /usr/lib/velmora at the same place.
"""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

APP_ID = "example.velmora.Velmora"
PROGRAMS_DIR = "usr/lib/velmora"
# Everything else the package holds, with its mode.
FILES = {
    "usr/bin/velmora": "-rwxr-xr-x",
    "usr/bin/velmora-class": "-rwxr-xr-x",
    "usr/bin/velmora-send": "-rwxr-xr-x",
    # The class's web service, off until enabled, and its settings.
    "lib/systemd/system/velmora-class.service": "-rw-r--r--",
    "etc/default/velmora-class": "-rw-r--r--",
    f"usr/share/applications/{APP_ID}.desktop": "-rw-r--r--",
    f"usr/share/applications/{APP_ID}.ClassReport.desktop": "-rw-r--r--",
    f"usr/share/metainfo/{APP_ID}.metainfo.xml": "-rw-r--r--",
    "usr/share/icons/hicolor/scalable/apps/velmora.svg": "-rw-r--r--",
    **{f"usr/share/icons/hicolor/{n}x{n}/apps/velmora.png": "-rw-r--r--"
       for n in (32, 48, 64, 128, 256)},
    "usr/share/man/man1/velmora.1.gz": "-rw-r--r--",
    "usr/share/man/man1/velmora-class.1.gz": "-rw-r--r--",
    "usr/share/man/man1/velmora-send.1.gz": "-rw-r--r--",
    "usr/share/doc/velmora/copyright": "-rw-r--r--",
    "usr/share/doc/velmora/changelog.gz": "-rw-r--r--",
    # The web edition, for a school's web server.
    **{f"usr/share/velmora/web/{name}": "-rw-r--r--"
       for name in ("index.html", "velmora.css", "velmora-page.js", "velmora-zip.js", "velmora-files.js",
                    "velmora-class.js",
                    "velmora.js", "velmora.wasm", "velmora.data", "sw.js", "version.txt",
                    "IPA_Font_License.txt")},
    "usr/share/velmora/web/ipag.ttf": "lrwxrwxrwx",
}
# Declared by hand beside those found from the programs' libraries.
DEPENDS = ("fonts-ipafont-gothic", "libsdl2-2.0-0", "libsdl2-ttf-2.0-0", "libsqlite3-0", "libc6",
           "libpq5", "libcpp-httplib0.11")


def run(*args: str) -> subprocess.CompletedProcess:
    return subprocess.run(args, capture_output=True, text=True, check=False)


def main() -> int:
    deb, tree, programs = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3:]
    problems = []
    expected = dict(FILES)
    expected.update({f"{PROGRAMS_DIR}/{os.path.relpath(p, tree)}": "-rwxr-xr-x"
                     for p in programs})

    listing = run("dpkg-deb", "--contents", str(deb))
    if listing.returncode != 0:
        print(f"dpkg-deb --contents {deb} failed:\n{listing.stderr}")
        return 1
    held = {}
    for line in listing.stdout.splitlines():
        mode, owner, *_, path = line.split(" -> ")[0].split()
        path = path.removeprefix("./")
        if owner != "root/root":
            problems.append(f"{path} is owned by {owner}")
        if mode.startswith("d"):
            if mode != "drwxr-xr-x":
                problems.append(f"folder {path} has mode {mode}")
        else:
            held[path] = mode
    for path in sorted(expected.keys() - held.keys()):
        problems.append(f"missing: {path}")
    for path in sorted(held.keys() - expected.keys()):
        problems.append(f"not expected: {path}")
    for path in sorted(expected.keys() & held.keys()):
        if held[path] != expected[path]:
            problems.append(f"{path} has mode {held[path]}, not {expected[path]}")

    fields = dict(re.findall(r"^(\w[\w-]*): (.*)$",
                             run("dpkg-deb", "--field", str(deb)).stdout, re.M))
    name = f"{fields.get('Package')}_{fields.get('Version')}_{fields.get('Architecture')}.deb"
    if deb.name != name:
        problems.append(f"{deb.name} is named for {name}")
    depends = {d.split()[0] for d in fields.get("Depends", "").split(", ")}
    problems += [f"Depends lacks {d}: {fields.get('Depends')}" for d in DEPENDS
                 if d not in depends]

    lintian = run("lintian", "--tag-display-limit", "0", str(deb))
    found = [line for line in lintian.stdout.splitlines() if re.match(r"[EW]: ", line)]
    if found or lintian.returncode not in (0, 2):
        problems.append("lintian:\n" + (lintian.stdout + lintian.stderr).strip())

    with tempfile.TemporaryDirectory(prefix="velmora-package-") as root:
        run("dpkg-deb", "-x", str(deb), root)
        share = Path(root) / "usr/share"
        for check in (("desktop-file-validate", share / f"applications/{APP_ID}.desktop"),
                      ("desktop-file-validate",
                       share / f"applications/{APP_ID}.ClassReport.desktop"),
                      ("appstreamcli", "validate", "--no-net",
                       share / f"metainfo/{APP_ID}.metainfo.xml")):
            done = run(*map(str, check))
            # desktop-file-validate prints hints and warnings and still ends with 0.
            if done.returncode != 0 or (check[0] == "desktop-file-validate" and done.stdout):
                problems.append(f"{check[0]}:\n{(done.stdout + done.stderr).strip()}")
        # What a learner starts loads no network client.
        for path in sorted(p for p in held if p.startswith(PROGRAMS_DIR)):
            libraries = run("ldd", str(Path(root) / path)).stdout
            if re.search(r"^\s*libpq", libraries, re.M):
                problems.append(f"{path} links the PostgreSQL client:\n{libraries.strip()}")

    for p in problems:
        print(p)
    print(f"{deb.name}: {len(held)} files, " + (f"{len(problems)} problems" if problems
                                                 else "as expected"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
