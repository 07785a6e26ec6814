#!/usr/bin/python3
"""Builds the signature database "definitions.bin" from its source text, and
lists a database back as the same text.

  defbuilder.py build SOURCE OUT [--key TEXT] [--stamp SECONDS]
  defbuilder.py list DATABASE [--key TEXT]

The database is a keyed record container: each section is one block of
packed records, compressed with zlib (level 6), padded and enciphered with
Blowfish (ECB, each 8-byte block as two little-endian halves). The Blowfish
start tables are read from foundation/blowfish_tables.cpp, so the program and
this tool share one copy of them. The key is the key text in the ANSI code
page, at most 15 characters, NUL-padded to 16 bytes; without --key the
application's key text is used.

Source text: one record per line; '#' starts a comment line; blank lines are
ignored. A line is a record kind followed by name=value pairs (any order).
Values are numbers (decimal or 0x hex), words, or "quoted" texts with the
escapes \\\\ \\" \\n \\r \\t \\0 and \\xNN. Text fields (names, keys, patterns)
are stored with a terminating NUL; data fields (data, good, content) are
stored as exactly the bytes given. A pair that is left out is an absent field.

  stamp value=SECONDS                     creation time kept in the directory
  program number=N risk=R name=".." description=".." url=".."
  registry program=N flags=F root=R key=".." value=".." extra=".." data=".."
      flags: '|'-joined detectable, subkeys, find, contains, or numbers;
      value="$" with data="file.exe" names a known autorun file;
      a record with extra= is never matched
  guarded program=N root=R type=T absent=0|1 key=".." value=".." good=".."
  file program=N detectable=0|1 location=L size=S md5=HEX32 name=".." content=".."
      location 0: name is a bare file name, looked up by name for processes
      and modules; 1-15: name is a pattern inside a quick-scan location:
      1 Windows, 2 system, 3 Program Files, 4 desktop, 5 application data,
      6 common files, 7 favorites, 8 temporary files, 9 start menu,
      10 profile, 11 and 12 startup, 13 Downloaded Program Files,
      14 root of the Windows drive, 15 common desktop
  cookie program=N pattern=".."
  host program=N address=A.B.C.D name=".."       name "*" matches any name
  digest program=N md5=HEX32
  roots: HKCR, HKCU, HKLM, HKU or a number

Ordering: programs keep their order (their number is their position); file
records with a location come first in source order, then those without one
sorted by name in byte order; digests are sorted by their bytes. Listing a
database prints the canonical form of its records, which builds the same
database again."""

import os
import re
import struct
import sys
import time
import zlib

APP_KEY_TEXT = "pvrt82m6kd3.47h"
DEFAULT_KEY_TEXT = "marigold lid==="

SECTIONS = [(1, "program"), (17, "registry"), (18, "guarded"), (33, "file"),
            (49, "cookie"), (65, "host"), (81, "digest")]
DIRECTORY_ID = 0x8FFF
ROOTS = {"HKCR": 0x80000000, "HKCU": 0x80000001, "HKLM": 0x80000002, "HKU": 0x80000003}
FLAGS = [("detectable", 0x8000), ("subkeys", 0x0001), ("find", 0x0004), ("contains", 0x0008)]

# ------------------------------------------------------------------ Blowfish


def _load_tables():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "foundation", "blowfish_tables.cpp")
    with open(path, "r", encoding="ascii") as f:
        text = f.read()
    words = [int(w, 16) for w in re.findall(r"0x([0-9A-Fa-f]{8})", text)]
    if len(words) != 18 + 4 * 256:
        raise ValueError("blowfish_tables.cpp: expected 1042 table words, found %d" % len(words))
    return words[:18], [words[18 + 256 * i:18 + 256 * (i + 1)] for i in range(4)]


class Blowfish:
    def __init__(self, key):
        p, s = _load_tables()
        self.p = list(p)
        self.s = [list(box) for box in s]
        j = 0
        for i in range(18):
            data = 0
            for _ in range(4):
                data = ((data << 8) | key[j]) & 0xFFFFFFFF
                j = (j + 1) % len(key)
            self.p[i] ^= data
        left = right = 0
        for i in range(0, 18, 2):
            left, right = self.encrypt_block(left, right)
            self.p[i], self.p[i + 1] = left, right
        for box in self.s:
            for i in range(0, 256, 2):
                left, right = self.encrypt_block(left, right)
                box[i], box[i + 1] = left, right

    def encrypt_block(self, left, right):
        p, s0, s1, s2, s3 = self.p, self.s[0], self.s[1], self.s[2], self.s[3]
        for i in range(16):
            left ^= p[i]
            right ^= ((((s0[left >> 24] + s1[(left >> 16) & 0xFF]) & 0xFFFFFFFF) ^ s2[(left >> 8) & 0xFF])
                      + s3[left & 0xFF]) & 0xFFFFFFFF
            left, right = right, left
        left, right = right, left
        right ^= p[16]
        left ^= p[17]
        return left, right

    def decrypt_block(self, left, right):
        p, s0, s1, s2, s3 = self.p, self.s[0], self.s[1], self.s[2], self.s[3]
        for i in range(17, 1, -1):
            left ^= p[i]
            right ^= ((((s0[left >> 24] + s1[(left >> 16) & 0xFF]) & 0xFFFFFFFF) ^ s2[(left >> 8) & 0xFF])
                      + s3[left & 0xFF]) & 0xFFFFFFFF
            left, right = right, left
        left, right = right, left
        right ^= p[1]
        left ^= p[0]
        return left, right

    def _ecb(self, data, fn):
        out = bytearray(data)
        for at in range(0, len(data) - len(data) % 8, 8):
            left, right = struct.unpack_from("<II", data, at)
            struct.pack_into("<II", out, at, *fn(left, right))
        return bytes(out)

    def encrypt(self, data):
        return self._ecb(data, self.encrypt_block)

    def decrypt(self, data):
        return self._ecb(data, self.decrypt_block)


def make_key(text):
    raw = text.encode("latin-1")[:15]
    return raw + bytes(16 - len(raw))

# ------------------------------------------------------------ packed records


def pack_record(fields):
    """fields: list of bytes or None (absent)."""
    count = len(fields)
    offset = 2 + 2 * count
    table, body = [], b""
    for f in fields:
        if f is None or len(f) == 0:
            table.append(0xFFFF)
        else:
            table.append(offset + len(body))
            body += f
    total = 2 + 2 * count + len(body)
    if total > 0xFFFF:
        raise ValueError("record longer than 65,535 bytes")
    return struct.pack("<H%dH" % count, total, *table) + body


def unpack_record(rec):
    total = struct.unpack_from("<H", rec, 0)[0]
    slots = (total - 2) // 2
    count = slots
    for i in range(slots):
        off = struct.unpack_from("<H", rec, 2 + 2 * i)[0]
        if off != 0xFFFF:
            count = (off - 2) // 2
            break
    offs = [struct.unpack_from("<H", rec, 2 + 2 * i)[0] for i in range(count)]
    fields = []
    for i, off in enumerate(offs):
        if off == 0xFFFF:
            fields.append(None)
            continue
        end = total
        for nxt in offs[i + 1:]:
            if nxt != 0xFFFF:
                end = nxt
                break
        fields.append(bytes(rec[off:end]))
    return fields


def split_records(block):
    out, pos = [], 0
    while pos + 2 <= len(block):
        length = struct.unpack_from("<H", block, pos)[0]
        if length < 2 or pos + length > len(block):
            break
        out.append(block[pos:pos + length])
        pos += length
    return out

# ------------------------------------------------------------ the container


def write_container(path, blocks, key, stamp):
    """blocks: list of (id, data bytes, record count)."""
    cipher = Blowfish(key)
    body, entries = b"", []
    for block_id, data, count in blocks:
        if data:
            z = zlib.compress(data, 6)
            pad = 16 - len(z) % 8
            stored = cipher.encrypt(z + bytes(pad - 4) + struct.pack("<I", pad))
            unpacked = len(data)
        else:
            stored, unpacked = b"", 0
        entries.append(struct.pack("<HIIII", block_id, len(body), len(stored), unpacked, count))
        body += stored
    entries.append(struct.pack("<HIIII", DIRECTORY_ID, len(body), 18 * (len(entries) + 1), stamp, 0))
    with open(path, "wb") as f:
        f.write(body + b"".join(entries))


def read_container(path, key):
    with open(path, "rb") as f:
        raw = f.read()
    if len(raw) < 18:
        raise ValueError("not a record container: too short")
    own = struct.unpack_from("<HIIII", raw, len(raw) - 18)
    size = own[2]
    if size == 0 or size % 18 or size > len(raw):
        raise ValueError("not a record container: damaged directory")
    cipher = Blowfish(key)
    blocks = {}
    for at in range(len(raw) - size, len(raw) - 18, 18):
        block_id, offset, stored, unpacked, count = struct.unpack_from("<HIIII", raw, at)
        data = raw[offset:offset + stored]
        if unpacked:
            plain = cipher.decrypt(data)
            pad = struct.unpack_from("<I", plain, len(plain) - 4)[0]
            if not 9 <= pad <= 16:
                raise ValueError("block %d does not decipher (wrong key?)" % block_id)
            data = zlib.decompress(plain[:len(plain) - pad])
        blocks[block_id] = data
    return own[3], blocks

# -------------------------------------------------------------- source text


TOKEN = re.compile(r'\s*([A-Za-z][A-Za-z0-9]*)=("(?:[^"\\]|\\.)*"|\S+)')


def unquote(text, line_no):
    out = bytearray()
    i = 1
    while i < len(text) - 1:
        c = text[i]
        if c == "\\":
            e = text[i + 1]
            if e == "x":
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            mapped = {"\\": 0x5C, '"': 0x22, "n": 0x0A, "r": 0x0D, "t": 0x09, "0": 0x00}.get(e)
            if mapped is None:
                raise ValueError("line %d: unknown escape \\%s" % (line_no, e))
            out.append(mapped)
            i += 2
            continue
        out.append(ord(c))
        i += 1
    return bytes(out)


def quote(data):
    out = ['"']
    for b in data:
        if b == 0x5C:
            out.append("\\\\")
        elif b == 0x22:
            out.append('\\"')
        elif b == 0x0A:
            out.append("\\n")
        elif b == 0x0D:
            out.append("\\r")
        elif b == 0x09:
            out.append("\\t")
        elif b == 0x00:
            out.append("\\0")
        elif 0x20 <= b < 0x7F:
            out.append(chr(b))
        else:
            out.append("\\x%02x" % b)
    out.append('"')
    return "".join(out)


def number(text, line_no):
    try:
        return int(text, 0)
    except ValueError:
        raise ValueError("line %d: %r is not a number" % (line_no, text))


def parse_line(line, line_no):
    kind, _, rest = line.strip().partition(" ")
    pairs, pos, rest = {}, 0, rest.rstrip()
    while pos < len(rest):
        m = TOKEN.match(rest, pos)
        if not m:
            raise ValueError("line %d: cannot read %r" % (line_no, rest[pos:]))
        name, value = m.group(1), m.group(2)
        if name in pairs:
            raise ValueError("line %d: %s given twice" % (line_no, name))
        pairs[name] = value
        pos = m.end()
    return kind, pairs


class Source:
    def __init__(self):
        self.stamp = None
        self.records = {kind: [] for _, kind in SECTIONS}


def text_field(pairs, name, line_no):
    if name not in pairs:
        return None
    value = pairs.pop(name)
    if not value.startswith('"'):
        raise ValueError("line %d: %s needs a quoted text" % (line_no, name))
    return unquote(value, line_no) + b"\0"


def data_field(pairs, name, line_no):
    if name not in pairs:
        return None
    value = pairs.pop(name)
    if not value.startswith('"'):
        raise ValueError("line %d: %s needs a quoted text" % (line_no, name))
    return unquote(value, line_no)


def int_field(pairs, name, line_no, default=None):
    if name not in pairs:
        if default is None:
            raise ValueError("line %d: %s is missing" % (line_no, name))
        return default
    return number(pairs.pop(name), line_no)


def root_field(pairs, line_no):
    value = pairs.pop("root", None)
    if value is None:
        raise ValueError("line %d: root is missing" % line_no)
    return ROOTS[value] if value in ROOTS else number(value, line_no)


def md5_field(pairs, line_no, required=True):
    value = pairs.pop("md5", None)
    if value is None:
        if required:
            raise ValueError("line %d: md5 is missing" % line_no)
        return bytes(16)
    if not re.fullmatch(r"[0-9A-Fa-f]{32}", value):
        raise ValueError("line %d: md5 needs 32 hexadecimal digits" % line_no)
    return bytes.fromhex(value)


def flags_field(pairs, line_no):
    value = pairs.pop("flags", "0")
    flags = 0
    for part in value.split("|"):
        named = dict(FLAGS).get(part)
        flags |= named if named is not None else number(part, line_no)
    return flags


def parse_source(text):
    src = Source()
    for line_no, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        kind, pairs = parse_line(line, line_no)
        n = line_no
        if kind == "stamp":
            src.stamp = int_field(pairs, "value", n)
        elif kind == "program":
            num = int_field(pairs, "number", n)
            if num != len(src.records["program"]):
                raise ValueError("line %d: program number %d out of order (expected %d)"
                                 % (n, num, len(src.records["program"])))
            src.records["program"].append([struct.pack("<I", int_field(pairs, "risk", n)),
                                           text_field(pairs, "name", n), text_field(pairs, "description", n),
                                           text_field(pairs, "url", n)])
        elif kind == "registry":
            program = int_field(pairs, "program", n)
            flags = flags_field(pairs, n)
            root = root_field(pairs, n)
            src.records["registry"].append([struct.pack("<HII", flags, root, program),
                                            text_field(pairs, "key", n), text_field(pairs, "value", n),
                                            text_field(pairs, "extra", n), data_field(pairs, "data", n)])
        elif kind == "guarded":
            program = int_field(pairs, "program", n)
            root = root_field(pairs, n)
            fixed = struct.pack("<IIIH", root, program, int_field(pairs, "type", n), int_field(pairs, "absent", n, 0))
            src.records["guarded"].append([fixed, text_field(pairs, "key", n), text_field(pairs, "value", n),
                                           data_field(pairs, "good", n)])
        elif kind == "file":
            fixed = struct.pack("<HHII", int_field(pairs, "detectable", n), int_field(pairs, "location", n),
                                int_field(pairs, "program", n), int_field(pairs, "size", n, 0))
            fixed += md5_field(pairs, n, required=False)
            src.records["file"].append([fixed, text_field(pairs, "name", n), data_field(pairs, "content", n)])
        elif kind == "cookie":
            src.records["cookie"].append([struct.pack("<I", int_field(pairs, "program", n)),
                                          text_field(pairs, "pattern", n)])
        elif kind == "host":
            program = int_field(pairs, "program", n)
            address = pairs.pop("address", "")
            parts = address.split(".")
            if len(parts) != 4 or not all(p.isdigit() and int(p) < 256 for p in parts):
                raise ValueError("line %d: address needs the form a.b.c.d" % n)
            src.records["host"].append([struct.pack("<I4B", program, *[int(p) for p in parts]),
                                        text_field(pairs, "name", n)])
        elif kind == "digest":
            src.records["digest"].append([struct.pack("<I", int_field(pairs, "program", n)) + md5_field(pairs, n)])
        else:
            raise ValueError("line %d: unknown record kind %r" % (n, kind))
        if pairs:
            raise ValueError("line %d: unknown field(s) %s" % (line_no, ", ".join(sorted(pairs))))
    return src


def order_records(src):
    files = src.records["file"]
    located = [r for r in files if struct.unpack_from("<H", r[0], 2)[0] != 0]
    unlocated = [r for r in files if struct.unpack_from("<H", r[0], 2)[0] == 0]
    unlocated.sort(key=lambda r: r[1] or b"")
    src.records["file"] = located + unlocated
    src.records["digest"].sort(key=lambda r: r[0][4:20])


def build(source_path, out_path, key_text, stamp):
    with open(source_path, "r", encoding="latin-1") as f:
        src = parse_source(f.read())
    order_records(src)
    if stamp is None:
        stamp = src.stamp if src.stamp is not None else int(os.environ.get("SOURCE_DATE_EPOCH", time.time()))
    blocks = []
    for block_id, kind in SECTIONS:
        recs = [pack_record(fields) for fields in src.records[kind]]
        blocks.append((block_id, b"".join(recs), len(recs)))
    write_container(out_path, blocks, make_key(key_text), stamp & 0xFFFFFFFF)

# ------------------------------------------------------------------ listing


def text_pair(name, field):
    if field is None:
        return ""
    if field.endswith(b"\0"):
        field = field[:-1]
    return " %s=%s" % (name, quote(field))


def data_pair(name, field):
    return "" if field is None else " %s=%s" % (name, quote(field))


def field_at(fields, i):
    return fields[i] if i < len(fields) else None


def root_text(root):
    for name, value in ROOTS.items():
        if value == root:
            return name
    return "0x%08X" % root


def flags_text(flags):
    parts = []
    for name, bit in FLAGS:
        if flags & bit:
            parts.append(name)
            flags &= ~bit
    if flags:
        parts.append("0x%04X" % flags)
    return "|".join(parts) if parts else "0"


def list_database(path, key_text):
    stamp, blocks = read_container(path, make_key(key_text))
    lines = ["stamp value=%d" % stamp]
    for block_id, kind in SECTIONS:
        for i, rec in enumerate(split_records(blocks.get(block_id, b""))):
            f = unpack_record(rec)
            f0 = field_at(f, 0) or b""
            if kind == "program":
                (risk,) = struct.unpack_from("<I", f0)
                lines.append("program number=%d risk=%d%s%s%s" % (
                    i, risk, text_pair("name", field_at(f, 1)), text_pair("description", field_at(f, 2)),
                    text_pair("url", field_at(f, 3))))
            elif kind == "registry":
                flags, root, program = struct.unpack_from("<HII", f0)
                lines.append("registry program=%d flags=%s root=%s%s%s%s%s" % (
                    program, flags_text(flags), root_text(root), text_pair("key", field_at(f, 1)),
                    text_pair("value", field_at(f, 2)), text_pair("extra", field_at(f, 3)),
                    data_pair("data", field_at(f, 4))))
            elif kind == "guarded":
                root, program, vtype, absent = struct.unpack_from("<IIIH", f0)
                lines.append("guarded program=%d root=%s type=%d absent=%d%s%s%s" % (
                    program, root_text(root), vtype, absent, text_pair("key", field_at(f, 1)),
                    text_pair("value", field_at(f, 2)), data_pair("good", field_at(f, 3))))
            elif kind == "file":
                detectable, location, program, size = struct.unpack_from("<HHII", f0)
                digest = f0[12:28]
                md5 = "" if digest == bytes(16) else " md5=%s" % digest.hex()
                lines.append("file program=%d detectable=%d location=%d size=%d%s%s%s" % (
                    program, detectable, location, size, md5, text_pair("name", field_at(f, 1)),
                    data_pair("content", field_at(f, 2))))
            elif kind == "cookie":
                (program,) = struct.unpack_from("<I", f0)
                lines.append("cookie program=%d%s" % (program, text_pair("pattern", field_at(f, 1))))
            elif kind == "host":
                program, a, b, c, d = struct.unpack_from("<I4B", f0)
                lines.append("host program=%d address=%d.%d.%d.%d%s" % (
                    program, a, b, c, d, text_pair("name", field_at(f, 1))))
            elif kind == "digest":
                (program,) = struct.unpack_from("<I", f0)
                lines.append("digest program=%d md5=%s" % (program, f0[4:20].hex()))
    return "\n".join(lines) + "\n"


def main(argv):
    args, key_text, stamp = [], APP_KEY_TEXT, None
    i = 1
    while i < len(argv):
        if argv[i] == "--key":
            key_text = argv[i + 1]
            i += 2
        elif argv[i] == "--stamp":
            stamp = int(argv[i + 1], 0)
            i += 2
        else:
            args.append(argv[i])
            i += 1
    if not key_text:
        key_text = DEFAULT_KEY_TEXT
    try:
        if len(args) == 3 and args[0] == "build":
            build(args[1], args[2], key_text, stamp)
            return 0
        if len(args) == 2 and args[0] == "list":
            sys.stdout.buffer.write(list_database(args[1], key_text).encode("latin-1"))
            return 0
    except (ValueError, OSError, zlib.error, struct.error) as e:
        sys.stderr.write("defbuilder: %s\n" % e)
        return 1
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
