#!/usr/bin/env python3
"""The programs a learner looks at load no network client: in a program tree
installed by `cmake --install`, ldd lists libpq (or libpqxx) for the sender
velmora-send and for nothing else.

    network_client_check.py BUILD
"""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

SENDER = Path("bin/velmora-send")
CLIENT_LIBRARIES = ("libpq.so", "libpqxx")


def linked(program: Path) -> list[str]:
    ldd = subprocess.run(["ldd", str(program)], capture_output=True, text=True, check=True)
    return [line.split()[0] for line in ldd.stdout.splitlines() if line.strip()]


def main() -> int:
    build = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["cmake", "--install", build, "--prefix", folder], check=True,
                       stdout=subprocess.DEVNULL)
        root = Path(folder)
        programs = sorted(p.relative_to(root) for p in root.rglob("*")
                          if p.is_file() and os.access(p, os.X_OK)
                          and p.read_bytes()[:4] == b"\x7fELF")
        problems = []
        if Path("Velmora") not in programs or SENDER not in programs:
            problems.append(f"the tree is not laid out as expected: {programs}")
        for program in programs:
            clients = [lib for lib in linked(root / program)
                       if lib.startswith(CLIENT_LIBRARIES)]
            if program == SENDER and not clients:
                problems.append(f"{program} does not link libpq: is this check still looking?")
            elif program != SENDER and clients:
                problems.append(f"{program} links {', '.join(clients)}")
        print(f"{len(programs)} programs: {', '.join(map(str, programs))}")
        for p in problems:
            print(p)
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
