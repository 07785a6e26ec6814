#!/usr/bin/python3
"""Writes the update-road test data into the folder given: signature
databases made by the definitions builder, as the update service offers them.

  old.bin       stamp 1600000000, the database in use before an update
  new.bin       stamp 1700000000, also detects the registry key
                HKCU\\Software\\CwUpdateRoad\\Marker (a program "Road Marker")
  wrongkey.bin  like new.bin, enciphered under another key text
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import defbuilder  # noqa: E402

COMMON = """program number=0 risk=3 name="Road Fixture"
registry program=0 flags=detectable root=HKCU key="Software\\\\CwUpdateRoad\\\\NeverPlanted"
guarded program=0 root=HKCU type=1 absent=0 key="Software\\\\CwUpdateRoad\\\\NeverPlanted" value="Guard" good="on\\0"
file program=0 detectable=1 location=0 name="cwupdateroad_never.exe"
cookie program=0 pattern="*@cwupdateroad-never*.txt"
host program=0 address=127.0.0.3 name="updateroad-never.example"
digest program=0 md5=00112233445566778899aabbccddeeff
"""

NEW = COMMON + """program number=1 risk=2 name="Road Marker"
registry program=1 flags=detectable root=HKCU key="Software\\\\CwUpdateRoad\\\\Marker"
"""


def write(out, name, source, stamp, key=defbuilder.APP_KEY_TEXT):
    src = os.path.join(out, name + ".src")
    with open(src, "w", encoding="latin-1", newline="\n") as f:
        f.write(source)
    defbuilder.build(src, os.path.join(out, name + ".bin"), key, stamp)


def main(out):
    os.makedirs(out, exist_ok=True)
    write(out, "old", COMMON, 1600000000)
    write(out, "new", NEW, 1700000000)
    write(out, "wrongkey", NEW, 1700000000, key="notthekey")
    with open(os.path.join(out, "stamp"), "wb"):
        pass


if __name__ == "__main__":
    main(sys.argv[1])
