#!/usr/bin/python3
"""Writes the start-up test data into the folder given: a signature database
that opens under the application's key text but holds no records."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import defbuilder  # noqa: E402


def main(out):
    os.makedirs(out, exist_ok=True)
    src = os.path.join(out, "norecords.src")
    with open(src, "w", encoding="latin-1", newline="\n") as f:
        f.write("# A database with its sections and no records.\nstamp value=1500000000\n")
    defbuilder.build(src, os.path.join(out, "norecords.bin"), defbuilder.APP_KEY_TEXT, None)
    with open(os.path.join(out, "stamp"), "w") as f:
        f.write("ok\n")


if __name__ == "__main__":
    main(sys.argv[1])
