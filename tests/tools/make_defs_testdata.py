#!/usr/bin/python3
"""Writes the signature-database test data into the folder given: a fixture
database built by the definitions builder with the application's key text,
and its source. The engine tests plant what the fixture names and scan."""

import hashlib
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import defbuilder  # noqa: E402

ALPHA = b"fixture alpha\r\n"
BETA = b"fixture beta\r\n"

SOURCE = """# Fixture of the engine tests.
stamp value=1234567890
program number=0 risk=7 name="Fixture Alpha" description="Planted by the engine tests" url="http://alpha.example/"
program number=1 risk=2 name="Fixture Beta"
registry program=1 flags=detectable root=HKCU key="Software\\\\CwScanFixture\\\\Beta" value="Marker" data="42"
registry program=0 flags=0 root=HKCU key="Software\\\\CwScanFixture\\\\Alpha"
guarded program=1 root=HKCU type=1 absent=1 key="Software\\\\CwScanFixture\\\\Beta" value="Guard" good="on\\0"
file program=1 detectable=1 location=8 md5=%(alpha)s name="cwscan-fixture\\\\*.bin"
file program=0 detectable=1 location=0 name="cwfixture_b.exe"
file program=0 detectable=1 location=0 size=15 name="cwfixture_a.exe"
cookie program=1 pattern="*@cwfixture*.txt"
host program=1 address=127.0.0.2 name="fixture.example"
digest program=1 md5=%(beta)s
digest program=0 md5=%(alpha)s
""" % {"alpha": hashlib.md5(ALPHA).hexdigest(), "beta": hashlib.md5(BETA).hexdigest()}


def main(out):
    os.makedirs(out, exist_ok=True)
    src = os.path.join(out, "fixture.src")
    with open(src, "w", encoding="latin-1", newline="\n") as f:
        f.write(SOURCE)
    defbuilder.build(src, os.path.join(out, "fixture.bin"), defbuilder.APP_KEY_TEXT, None)
    with open(os.path.join(out, "alpha.bin"), "wb") as f:
        f.write(ALPHA)
    with open(os.path.join(out, "stamp"), "wb") as f:
        f.write(b"")


if __name__ == "__main__":
    main(sys.argv[1])
