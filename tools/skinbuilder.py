#!/usr/bin/python3
"""Builds the toolkit's skin files from text sources, and lists a skin file
back as source.

  skinbuilder.py build SOURCE OUT [--version 1.N]   source text -> packed skin file
  skinbuilder.py list SKIN OUTDIR                   skin file -> OUTDIR/skin.skin + images
  skinbuilder.py rc SKIN OUT.rc                     resource script: "SKIN" 187

A skin file is a u32 unpacked size followed by LZO1X data; unpacked, a 188-byte
header ("SKINTOOLS_SKIN_FILE", version), the object records, the image records
and the sound records. Records hold fixed little-endian fields whose presence
depends on the file version; LAYOUTS below gives them per type.

Source text (one statement a line, '#' starts a comment):

  object "Name" TypeName          a top-level object; fields follow, then
    field value                   'child "Name" TypeName' ... 'end' blocks
  end
  image "Name.bmp" draw W H       an image drawn by the statements that follow
    fill X0 Y0 X1 Y1 #RRGGBB      (see Canvas; stroke, arc, shield and lettering
  end                             draw smooth shapes, see strokeart) and encoded
                                  as a 24-bit BMP
  image "Name.bmp" file PATH [FORMAT]   an image taken as encoded bytes
  sound "Name"                    a sound record (no body beyond the base)

Field values: words are integers, colours #RRGGBB, names "text", rects four
integers, image references "image" L T R B MODE, grids "image" L T R B ML MT
MR MB MODE, text styles EFFECT #TEXT ALPHA #SHADOW FORMAT, fonts "Face"
HEIGHT WEIGHT #COLOUR [key=value ...], byte fields hex.
"""

import os
import shlex
import struct
import sys

import lzo
import strokeart

MAGIC = b"SKINTOOLS_SKIN_FILE"
HEADER_SIZE = 188
NEWEST = 18
MAX_NESTING = 16

TYPE_NAMES = [
    "NONE", "FrameWnd", "ShapeWnd", "CaptionButton", "Button", "CheckBox", "ComboBox",
    "Edit", "GroupBox", "ListBox", "ProgressBar", "Radio", "ScrollBar", "Slider",
    "Static", "StatusBar", "Tab", "PopupMenu", "Image", "Voice", "MenuBar", "MenuItem",
    "Area", "ToolBar", "ControlBar", "Application", "ScrollControl", "Spin", "ListView",
    "TreeView", "RichEdit", "DateTime", "IPAddress", "ComboBoxEx", "HotKey",
    "MonthCalendar", "Rebar", "Header", "CaptionStatic", "ImageList", "Animate",
    "LinkWnd", "Tooltip", "TooltipAnchor", "SysColorTable"]
TYPE_IDS = {name: i for i, name in enumerate(TYPE_NAMES)}
TYPE_IDS["Shape"] = 45
TYPE_IDS["EntryList"] = 100


def type_name(t):
    if 0 <= t < len(TYPE_NAMES):
        return TYPE_NAMES[t]
    return {45: "Shape", 100: "EntryList"}.get(t, str(t))


TOP_LEVEL = set([1, 2] + list(range(4, 18)) + list(range(23, 32)) + [33] + list(range(35, 41))
                + [42, 44, 45, 100])
CHILD_LEVEL = set(list(range(3, 18)) + list(range(23, 32)) + [33, 35, 36, 37, 38, 40, 42, 44, 45, 100])

# System colours as the reader's constructors take them on a classic desktop;
# they only matter for fields a source leaves out.
BTNFACE, WINDOWTEXT, BTNTEXT, BTNSHADOW, WINDOW, INFOBK = (
    0xF0F0F0, 0x000000, 0x000000, 0xA0A0A0, 0xFFFFFF, 0xE1FFFF)


class SkinError(Exception):
    pass


# ---------------------------------------------------------------- field kinds

def rgb_bytes(colour):
    return bytes([colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF])


def default_style(text_colour=BTNTEXT):
    return (0, text_colour, 255, BTNSHADOW, 0x8004)


def default_font(face):
    return {"face": face, "height": -12, "width": 0, "escapement": 0, "orientation": 0,
            "weight": 400, "italic": 0, "underline": 0, "strikeout": 0, "charset": 0,
            "outprecision": 3, "clipprecision": 2, "quality": 1, "pitch": 0, "colour": 0}


# The LOGFONT numbers in record order; the source writes height and weight
# in place and the rest as key=value.
FONT_FIELDS = ["height", "width", "escapement", "orientation", "weight", "italic", "underline",
               "strikeout", "charset", "outprecision", "clipprecision", "quality", "pitch"]
FONT_KEYS = [k for k in FONT_FIELDS if k not in ("height", "weight")]

KIND_SIZE = {"name": 51, "text50": 50, "text31": 31, "word": 4, "colour": 4, "rect": 16,
             "ref": 72, "grid": 88, "style": 16, "font": 64, "byte": 1, "bytes20": 20}


def pack_text(value, size):
    data = value.encode("latin-1")
    if len(data) >= size:
        raise SkinError("text too long for a %d-byte field: %r" % (size, value))
    return data + bytes(size - len(data))


def unpack_text(data):
    return data[:-1].split(b"\0", 1)[0].decode("latin-1")


def pack_field(kind, v):
    if kind in ("name", "text50", "text31"):
        return pack_text(v, KIND_SIZE[kind])
    if kind in ("word", "colour"):
        return struct.pack("<I", v & 0xFFFFFFFF)
    if kind == "byte":
        return struct.pack("<B", v)
    if kind == "bytes20":
        return bytes(v)
    if kind == "rect":
        return struct.pack("<4i", *v)
    if kind == "ref":
        return pack_text(v[0], 52) + struct.pack("<4iI", *v[1:5], v[5])
    if kind == "grid":
        return pack_text(v[0], 52) + struct.pack("<4i4iI", *v[1:9], v[9])
    if kind == "style":
        effect, text, alpha, shadow, fmt = v
        return (struct.pack("<I", effect) + rgb_bytes(text) + bytes([alpha]) + rgb_bytes(shadow)
                + b"\0" + struct.pack("<I", fmt))
    if kind == "font":
        return (struct.pack("<5l8B", *(v[k] for k in FONT_FIELDS))
                + pack_text(v["face"], 32) + struct.pack("<I", v["colour"]))
    raise SkinError("unknown field kind " + kind)


def colour_of(b):
    return b[0] | (b[1] << 8) | (b[2] << 16)


def unpack_field(kind, data):
    if kind in ("name", "text50", "text31"):
        return unpack_text(data)
    if kind in ("word", "colour"):
        return struct.unpack("<I", data)[0]
    if kind == "byte":
        return data[0]
    if kind == "bytes20":
        return tuple(data)
    if kind == "rect":
        return struct.unpack("<4i", data)
    if kind == "ref":
        return (unpack_text(data[:52]),) + struct.unpack("<4iI", data[52:])
    if kind == "grid":
        return (unpack_text(data[:52]),) + struct.unpack("<4i4iI", data[52:])
    if kind == "style":
        return (struct.unpack("<I", data[:4])[0], colour_of(data[4:7]), data[7],
                colour_of(data[8:11]), struct.unpack("<I", data[12:])[0])
    if kind == "font":
        font = dict(zip(FONT_FIELDS, struct.unpack("<5l8B", data[:28])))
        font["face"] = unpack_text(data[28:60])
        font["colour"] = struct.unpack("<I", data[60:])[0]
        return font
    raise SkinError("unknown field kind " + kind)


# ---------------------------------------------------------------- layouts

# A layout is the list of fields of a body for one file version, in record
# order: (path, kind), with three markers: ("*children", None) for the child
# count and records, ("*caption", None) for the embedded caption bar body,
# and special kinds "image_data", "blob_text", "entries".

BLOCKS = {
    "button_state": [("image", "grid"), ("text", "style"), ("margins", "rect")],
    "check_state": [("background", "grid"), ("mark", "ref"), ("text", "style"), ("margins", "rect")],
    "spin_state": [("button", "ref"), ("arrow", "ref")],
    "scroll_state": [("arrow1", "ref"), ("arrow2", "ref"), ("thumb", "grid"), ("track", "grid")],
}


def arr(path, kind, count, start=0):
    out = []
    for i in range(start, start + count):
        p = "%s[%d]" % (path, i)
        if kind in BLOCKS:
            out += [("%s.%s" % (p, sub), k) for sub, k in BLOCKS[kind]]
        else:
            out.append((p, kind))
    return out


def base_layout(v):
    f = [("name", "name"), ("colour1", "colour"), ("colour2", "colour"), ("colour3", "colour"),
         ("secondName", "name"), ("value1", "word")]
    if v >= 8:
        f += [("bounds", "rect"), ("value2", "word")]
    return f + [("*children", None)]


def font_layout(v):
    f = base_layout(v) + [("font", "font"), ("background", "grid")]
    if 4 <= v <= 7:
        f.append(("oldBounds", "rect"))
    if v >= 6:
        f.append(("controlId", "word"))
    if v >= 8:
        f.append(("value4", "word"))
    if v >= 10:
        f.append(("value5", "word"))
    if v >= 18:
        f.append(("extra", "bytes20"))
    return f


def shape_layout(v):
    f = base_layout(v) + arr("frameImages", "ref", 18) + arr("layout", "rect", 9)
    f += [("captionFont", "font"), ("shapeValue1", "word"), ("shapeValue2", "word"),
          ("activeColour", "colour"), ("inactiveColour", "colour"), ("clientColour", "colour")]
    if v >= 3:
        f.append(("captionStyle", "style"))
    if v >= 13:
        f += arr("grids", "grid", 2)
    return f


def element_layout(v, prefix=""):
    f = [(prefix + p, k) for p, k in base_layout(v)] + [(prefix + "image", "ref")]
    if v <= 7:
        f.append((prefix + "bounds", "rect"))
    f += [(prefix + "anchor", "word"), (prefix + "command", "word")]
    if v >= 11:
        f += [(prefix + "visibility", "word"), (prefix + "text", "name")]
    return f


def caption_bar_layout(v):
    p = "captionBar."
    f = element_layout(v, p)
    f = [("*caption_children", None) if x[0] == p + "*children" else x for x in f]
    f += [(p + "font", "font")] + [(p + x, k) for x, k in arr("rects", "rect", 3)]
    f += [(p + "word4", "word"), (p + "grid1", "grid"), (p + "rect4", "rect"), (p + "word5", "word"),
          (p + "grid2", "grid")]
    if v >= 2:
        f += [(p + x, k) for x, k in arr("buttonImages", "ref", 11)] + [(p + "iconImage", "ref")]
    if v >= 3:
        f.append((p + "grid3", "grid"))
    return f


def layout(t, v):
    if t == 1:
        f = shape_layout(v) + [("captionBarType", "word")] + caption_bar_layout(v)
        if v >= 6:
            f += [("backgroundFlag", "word"), ("mdiBackground", "ref")]
        return f
    if t == 2:
        return base_layout(v) + [("image", "ref")] + arr("rects", "rect", 2) + [("byte", "byte")] + arr("words", "word", 2)
    if t == 3:
        return element_layout(v) + arr("images", "ref", 3) + [("kind", "word"), ("word", "word")]
    if t == 4:
        f = font_layout(v) if v >= 7 else base_layout(v)
        f += arr("states", "button_state", 6) + [("text", "text50"), ("word1", "word")]
        # Files up to 1.7 carry the font again, with a word, before the last
        # word (at 1.7 after a font base as well).
        if v <= 7:
            f += [("font", "font"), ("controlId", "word")]
        return f + [("word2", "word")]
    if t in (5, 11):
        f = font_layout(v) + arr("states", "check_state", 7) + [("text", "text50"), ("word", "word")]
        if v >= 17:
            f.append(("pushLikeButton", "text50"))
        return f
    if t in (6, 33):
        f = font_layout(v) + arr("grids", "grid", 4) + [("word", "word")]
        if v >= 11:
            f += [("colour4", "colour"), ("colour5", "colour"), ("word2", "word")]
        return f
    if t in (7, 9, 26, 28, 30):
        return font_layout(v) + [("border", "ref")]
    if t == 29:
        f = layout(7, v)
        if v >= 12:
            f += arr("grids", "grid", 2) + arr("words", "word", 2) + arr("rects", "rect", 2)
        if v >= 15:
            f += arr("images", "ref", 4) + [("word", "word")]
        return f
    if t == 8:
        return font_layout(v) + [("frame", "grid"), ("parentBackground", "word"), ("text", "style"), ("word", "word")]
    if t == 10:
        return font_layout(v) + [("bar", "grid")] + arr("words", "word", 3)
    if t == 12:
        f = font_layout(v) + arr("states", "scroll_state", 4) + [("sizeGrip", "ref")] + arr("words", "word", 5)
        if v >= 12:
            f += arr("states", "scroll_state", 4, 4)
        return f
    if t == 13:
        f = font_layout(v) + [("channel", "grid")] + arr("words", "word", 5) + [("thumb", "grid")]
        if v >= 9:
            f += [("word", "word"), ("verticalThumb", "grid")]
        return f
    if t == 14:
        f = font_layout(v) + [("word", "word"), ("text", "style"), ("link", "name")]
        if v >= 16:
            f.append(("rect", "rect"))
        return f
    if t == 15:
        return font_layout(v) + [("part", "grid"), ("grip", "ref")]
    if t == 16:
        f = font_layout(v) + arr("items", "button_state", 4) + [("page", "grid")]
        if v >= 9:
            f.append(("word", "word"))
        return f
    if t == 17:
        f = shape_layout(v) + arr("rects", "rect", 3) + arr("words", "word", 2) + arr("grids2", "grid", 2)
        f += [("images[0]", "ref")]
        if v >= 3:
            f.append(("images[1]", "ref"))
        return f
    if t == 18:
        return base_layout(v) + [("data", "image_data")]
    if t in (19, 24):
        return base_layout(v) if t == 19 else font_layout(v)
    if t == 23:
        return font_layout(v) + arr("buttons", "grid", 4) + [("separator", "grid")]
    if t == 25:
        f = base_layout(v) + arr("texts", "name", 3) + [("regionFlag", "word")]
        if v >= 4:
            f += arr("texts", "name", 2, 3)
        return f
    if t == 27:
        f = font_layout(v) + arr("states", "spin_state", 4)
        if v >= 13:
            f += arr("states", "spin_state", 4, 4)
        return f
    if t == 31:
        return font_layout(v) + arr("grids", "grid", 3) + [
            ("button", "ref"), ("buttonRect", "rect"), ("disabledButton", "ref"), ("rect", "rect"), ("word", "word")]
    if t == 35:
        return font_layout(v) + arr("grids", "grid", 6) + arr("words", "word", 4)
    if t == 36:
        return font_layout(v) + [("band", "grid"), ("margins", "rect")]
    if t == 37:
        return font_layout(v) + [("margins", "rect"), ("item", "grid")]
    if t == 38:
        return element_layout(v) + [("word4", "word"), ("bytes", "bytes20"), ("word5", "word"), ("font", "font"),
                                    ("rect", "rect"), ("caption", "name")] + arr("words", "word", 2)
    if t == 39:
        return base_layout(v) + arr("words", "word", 4) + [("image", "ref")]
    if t == 40:
        return font_layout(v) + [("image", "ref")]
    if t == 42:
        return shape_layout(v) + [("initialDelay", "word"), ("displayTime", "word"), ("position", "word"),
                                  ("text", "blob_text")]
    if t == 44:
        return base_layout(v) + arr("colours", "colour", 100)
    if t == 45:
        return shape_layout(v)
    if t == 100:
        return font_layout(v) + [("listName", "name"), ("entries", "entries")]
    raise SkinError("no layout for type %d" % t)


def zero_of(kind):
    return {"name": "", "text50": "", "text31": "", "word": 0, "colour": 0, "byte": 0,
            "bytes20": (0,) * 20, "rect": (0, 0, 0, 0), "ref": ("", 0, 0, 0, 0, 0),
            "grid": ("", 0, 0, 0, 0, 0, 0, 0, 0, 0), "style": (0, 0, 0, 0, 0),
            "font": default_font("MS Sans Serif"), "image_data": (0, b""), "blob_text": "",
            "entries": []}[kind]


SHAPE_LAYOUT = [(0, 0, 86, 30), (86, 0, 173, 30), (173, 0, 276, 30), (0, 30, 10, 148),
                (10, 30, 266, 148), (266, 30, 276, 148), (0, 148, 10, 160), (10, 148, 266, 160),
                (266, 148, 276, 160)]


def border_layout(w, h, b):
    return [(0, 0, b, b), (b, 0, w - b, b), (w - b, 0, w, b), (0, b, b, h - b), (b, b, w - b, h - b),
            (w - b, b, w, h - b), (0, h - b, b, h), (b, h - b, w, h), (w - b, h - b, w, h)]


def defaults(t):
    """The field values of a freshly constructed object of type t."""
    d = {}
    for path, kind in layout(t, NEWEST) + layout(t, 7):
        if not path.startswith("*"):
            d.setdefault(path, zero_of(kind))
    d.update({"colour1": BTNFACE, "colour2": WINDOWTEXT, "colour3": 255, "bounds": (0, 0, 60, 30),
              "oldBounds": (0, 0, 60, 30)})
    if "font" in d:
        d["font"] = default_font("MS Sans Serif")
    if "layout[0]" in d and t != 2:
        for i, r in enumerate(SHAPE_LAYOUT):
            d["layout[%d]" % i] = r
        d.update({"captionFont": default_font("Arial"), "activeColour": 0xFF0000,
                  "inactiveColour": 0x727200, "clientColour": 0xFFFFFF, "captionStyle": default_style()})
    if t == 1:
        d["captionBar.font"] = default_font("Arial")
        d.update({"captionBar.colour1": BTNFACE, "captionBar.colour2": WINDOWTEXT, "captionBar.colour3": 255,
                  "captionBar.bounds": (0, 0, 60, 30)})
    if t in (4, 16):
        for key in [k for k in d if k.endswith(".text")]:
            d[key] = default_style(0)
    if t in (5, 11):
        for key in [k for k in d if k.endswith(".text")]:
            d[key] = default_style()
    if t == 8:
        d["text"] = default_style()
    if t == 14:
        d["text"] = default_style(0)
    if t == 38:
        d["font"] = default_font("Arial")
    if t == 17:
        for i, r in enumerate(border_layout(278, 152, 4)):
            d["layout[%d]" % i] = r
        d["colour1"] = 0xE2B61D
        d["rects[0]"] = (0xFAE6E6, 0, 0, 0)
    if t == 42:
        for i, r in enumerate(border_layout(278, 152, 1)):
            d["layout[%d]" % i] = r
        d.update({"colour1": 0, "colour2": 0, "colour3": INFOBK, "initialDelay": 1000, "displayTime": 8000})
    if t == 25:
        d.update({"regionFlag": 1, "colour3": 0xFF00FF})
    return d


# ---------------------------------------------------------------- objects

class SkinObject:
    def __init__(self, t, name):
        self.type = t
        self.values = defaults(t)
        self.values["name"] = name
        self.children = []
        self.caption_children = []

    @property
    def name(self):
        return self.values["name"]


def sort_key(obj):
    return obj.name.encode("latin-1")


def write_body(out, obj, v, depth=0):
    if depth > MAX_NESTING:
        raise SkinError("children nested deeper than %d levels" % MAX_NESTING)
    for path, kind in layout(obj.type, v):
        if path in ("*children", "*caption_children"):
            kids = obj.children if path == "*children" else obj.caption_children
            kids = sorted(kids, key=sort_key)
            names = [k.name for k in kids]
            if len(set(names)) != len(names):
                raise SkinError("duplicate child name under %r" % obj.name)
            out.append(struct.pack("<I", len(kids)))
            for kid in kids:
                if kid.type not in CHILD_LEVEL:
                    raise SkinError("type %s cannot be a child" % type_name(kid.type))
                out.append(struct.pack("<I", kid.type))
                write_body(out, kid, v, depth + 1)
            continue
        value = obj.values[path]
        if kind == "image_data":
            fmt, data = value
            out.append(struct.pack("<II", len(data), fmt) + data)
        elif kind == "blob_text":
            data = value.encode("latin-1")
            out.append(struct.pack("<I", len(data)) + data)
        elif kind == "entries":
            out.append(struct.pack("<I", len(value)))
            for eid, key, text, d1, d2 in value:
                if d2:
                    d2 = d2[:-1] + b"\0"
                out.append(struct.pack("<I", eid) + pack_text(key, 31) + pack_text(text, 51)
                           + struct.pack("<I", len(d1)) + d1 + struct.pack("<I", len(d2)) + d2)
        else:
            out.append(pack_field(kind, value))


class Skin:
    def __init__(self):
        self.objects = []
        self.images = []
        self.sounds = []
        self.header = bytearray(HEADER_SIZE)

    def unpacked(self, minor=NEWEST):
        if not 0 <= minor <= NEWEST:
            raise SkinError("version 1.%d cannot be written" % minor)
        names = [o.name for o in self.objects]
        if len(set(names)) != len(names):
            raise SkinError("duplicate top-level object name")
        header = bytearray(self.header)
        header[0:19] = MAGIC
        header[20] = 1
        header[21] = minor
        header[176:180] = struct.pack("<I", len(self.objects))
        out = [bytes(header)]
        for obj in sorted(self.objects, key=sort_key):
            if obj.type not in TOP_LEVEL:
                raise SkinError("type %s cannot be at the top level" % type_name(obj.type))
            out.append(struct.pack("<I", obj.type))
            write_body(out, obj, minor)
        for group, t in ((self.images, 18), (self.sounds, 19)):
            out.append(struct.pack("<I", len(group)))
            for obj in sorted(group, key=sort_key):
                out.append(struct.pack("<I", t))
                write_body(out, obj, minor)
        return b"".join(out)

    def packed(self, minor=NEWEST):
        return pack(self.unpacked(minor))


def pack(data):
    return struct.pack("<I", len(data)) + lzo.compress(data, 1, False)


def unpack(data):
    if len(data) < 4:
        raise SkinError("not a packed skin: fewer than 4 bytes")
    size = struct.unpack("<I", data[:4])[0]
    try:
        out = lzo.decompress(data[4:], False, size)
    except lzo.error as e:
        raise SkinError("corrupt LZO data: %s" % e)
    if len(out) != size:
        raise SkinError("unpacked %d bytes, the header says %d" % (len(out), size))
    return out


# ---------------------------------------------------------------- reading

class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise SkinError("record runs past the end of the file at %d" % self.pos)
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]


def read_body(r, obj, v, depth=0):
    if depth > MAX_NESTING:
        raise SkinError("children nested deeper than %d levels" % MAX_NESTING)
    for path, kind in layout(obj.type, v):
        if path in ("*children", "*caption_children"):
            kids = obj.children if path == "*children" else obj.caption_children
            for _ in range(r.u32()):
                t = r.u32()
                if t not in CHILD_LEVEL:
                    continue
                kid = SkinObject(t, "")
                read_body(r, kid, v, depth + 1)
                kids.append(kid)
            continue
        if kind == "image_data":
            length = r.u32()
            fmt = r.u32()
            obj.values[path] = (fmt, r.take(length))
        elif kind == "blob_text":
            obj.values[path] = r.take(r.u32()).split(b"\0", 1)[0].decode("latin-1")
        elif kind == "entries":
            entries = []
            for _ in range(r.u32()):
                eid = r.u32()
                key = unpack_text(r.take(31))
                text = unpack_text(r.take(51))
                d1 = r.take(r.u32())
                d2 = r.take(r.u32())
                entries.append((eid, key, text, d1, d2))
            obj.values[path] = entries
        else:
            obj.values[path] = unpack_field(kind, r.take(KIND_SIZE[kind]))


def read_skin(packed_bytes):
    data = unpack(packed_bytes)
    if len(data) < HEADER_SIZE:
        raise SkinError("header truncated")
    if data[:19] != MAGIC or data[20] != 1 or data[21] > NEWEST:
        raise SkinError("not a skin file of a known version")
    skin = Skin()
    skin.header = bytearray(data[:HEADER_SIZE])
    v = data[21]
    r = Reader(data)
    r.pos = HEADER_SIZE
    for _ in range(struct.unpack("<I", data[176:180])[0]):
        t = r.u32()
        if t not in TOP_LEVEL:
            continue
        obj = SkinObject(t, "")
        read_body(r, obj, v)
        skin.objects = [o for o in skin.objects if o.name != obj.name] + [obj]
    for group, t in ((skin.images, 18), (skin.sounds, 19)):
        for _ in range(r.u32()):
            r.u32()
            obj = SkinObject(t, "")
            read_body(r, obj, v)
            group.append(obj)
    return skin, v


# ---------------------------------------------------------------- images

class Canvas:
    """A 24-bit picture drawn by statements, encoded as a BMP file."""

    def __init__(self, w, h, background=0xFF00FF):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    @staticmethod
    def mix(a, b, t, n):
        if n <= 1:
            return a
        out = 0
        for shift in (0, 8, 16):
            ca, cb = (a >> shift) & 0xFF, (b >> shift) & 0xFF
            out |= ((ca * (n - 1 - t) + cb * t) // (n - 1)) << shift
        return out

    def vgradient(self, x0, y0, x1, y1, a, b):
        for y in range(y0, y1):
            self.fill(x0, y, x1, y + 1, self.mix(a, b, y - y0, y1 - y0))

    def hgradient(self, x0, y0, x1, y1, a, b):
        for x in range(x0, x1):
            self.fill(x, y0, x + 1, y1, self.mix(a, b, x - x0, x1 - x0))

    def frame(self, x0, y0, x1, y1, c):
        self.fill(x0, y0, x1, y0 + 1, c)
        self.fill(x0, y1 - 1, x1, y1, c)
        self.fill(x0, y0, x0 + 1, y1, c)
        self.fill(x1 - 1, y0, x1, y1, c)

    def round(self, x0, y0, x1, y1, r, border, fill, outside):
        """A rounded rectangle with a 1-pixel border; corner pixels outside
        the curve take the outside colour (the skin's key colour)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = x0 + r if x < x0 + r else (x1 - 1 - r if x > x1 - 1 - r else x)
                cy = y0 + r if y < y0 + r else (y1 - 1 - r if y > y1 - 1 - r else y)
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if d2 > r * r + r:
                    self.put(x, y, outside)
                elif d2 > (r - 1) ** 2 + (r - 1) or x in (x0, x1 - 1) or y in (y0, y1 - 1):
                    self.put(x, y, border)
                else:
                    self.put(x, y, fill)

    def ellipse(self, x0, y0, x1, y1, c):
        cx, cy = (x0 + x1 - 1) / 2.0, (y0 + y1 - 1) / 2.0
        rx, ry = (x1 - x0) / 2.0, (y1 - y0) / 2.0
        for y in range(y0, y1):
            for x in range(x0, x1):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self.put(x, y, c)

    def stroke(self, width, colour, *points):
        """A line through the points, with round ends and joins."""
        cover = strokeart.Coverage()
        cover.polyline(list(zip(points[::2], points[1::2])), width / 2.0)
        cover.paint(self, lambda x, y: colour)

    def arc(self, width, colour, cx, cy, rx, ry, start, end):
        """An elliptical arc from angle start to end, degrees counter-clockwise."""
        cover = strokeart.Coverage()
        cover.polyline(strokeart.arc_points(cx, cy, rx, ry, start, end), width / 2.0)
        cover.paint(self, lambda x, y: colour)

    def shield(self, x0, y0, x1, y1, top, bottom):
        """The product's shield, shaded from top to bottom colour."""
        cover = strokeart.Coverage()
        cover.polygon(strokeart.shield_outline(x0, y0, x1, y1))
        span = max(1, int(y1 - y0))
        cover.paint(self, lambda x, y: self.mix(top, bottom, max(0, min(span - 1, int(y - y0))), span))

    def lettering(self, x, baseline, xheight, weight, colour, text, tracking=0.28):
        """Text in the stroke alphabet (see strokeart), from x on the baseline."""
        cover = strokeart.Coverage()
        try:
            strokeart.lettering(cover, x, baseline, xheight, weight, text, tracking)
        except ValueError as e:
            raise SkinError(str(e))
        cover.paint(self, lambda x, y: colour)

    def art(self, x0, y0, rows, inks):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in inks:
                    self.put(x0 + dx, y0 + dy, inks[ch])

    def bmp(self):
        stride = (self.w * 3 + 3) & ~3
        rows = []
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for c in self.px[y]:
                row += bytes([c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF])
            rows.append(bytes(row) + bytes(stride - len(row)))
        pixels = b"".join(rows)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
        head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
        return head + info + pixels


# ---------------------------------------------------------------- source text

def drawing_argument(tok, statement):
    """Picture colours are #RRGGBB (0xRRGGBB); numbers may have fractions;
    lettering takes its text as a quoted word."""
    if tok.startswith("#"):
        return int(tok[1:], 16)
    try:
        return int(tok, 0)
    except ValueError:
        try:
            return float(tok)
        except ValueError:
            if statement == "lettering":
                return tok
            raise


def parse_colour(tok):
    if tok.startswith("#"):
        v = int(tok[1:], 16)
        return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16)
    return int(tok, 0)


def fmt_colour(c):
    return "#%02X%02X%02X" % (c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)


def parse_value(kind, toks, where):
    try:
        if kind in ("name", "text50", "text31", "blob_text"):
            return toks[0]
        if kind in ("word", "byte"):
            return int(toks[0], 0)
        if kind == "colour":
            return parse_colour(toks[0])
        if kind == "bytes20":
            data = bytes.fromhex("".join(toks))
            if len(data) != 20:
                raise SkinError("20 bytes expected")
            return tuple(data)
        if kind == "rect":
            return tuple(int(t, 0) for t in toks[:4])
        if kind == "ref":
            return (toks[0],) + tuple(int(t, 0) for t in toks[1:6])
        if kind == "grid":
            return (toks[0],) + tuple(int(t, 0) for t in toks[1:10])
        if kind == "style":
            return (int(toks[0], 0), parse_colour(toks[1]), int(toks[2], 0), parse_colour(toks[3]), int(toks[4], 0))
        if kind == "font":
            font = default_font(toks[0])
            font.update({"height": int(toks[1], 0), "weight": int(toks[2], 0), "colour": parse_colour(toks[3])})
            for extra in toks[4:]:
                key, value = extra.split("=", 1)
                if key not in FONT_KEYS:
                    raise SkinError("unknown font key " + key)
                font[key] = int(value, 0)
            return font
    except (IndexError, ValueError) as e:
        raise SkinError("%s: bad %s value %r (%s)" % (where, kind, " ".join(toks), e))
    raise SkinError("%s: field of kind %s cannot be written in source" % (where, kind))


def fmt_value(kind, v):
    q = lambda s: '"%s"' % s.replace("\\", "\\\\").replace('"', '\\"')
    if kind in ("name", "text50", "text31", "blob_text"):
        return q(v)
    if kind in ("word", "byte"):
        return "%d" % v if v < 0x10000 else "0x%X" % v
    if kind == "colour":
        return fmt_colour(v)
    if kind == "bytes20":
        return bytes(v).hex()
    if kind == "rect":
        return " ".join(str(x) for x in v)
    if kind in ("ref", "grid"):
        return " ".join([q(v[0])] + [str(x) for x in v[1:]])
    if kind == "style":
        return "%d %s %d %s 0x%X" % (v[0], fmt_colour(v[1]), v[2], fmt_colour(v[3]), v[4])
    if kind == "font":
        extras = ["%s=%d" % (k, v[k]) for k in FONT_KEYS if v[k] != default_font("")[k]]
        return " ".join([q(v["face"]), str(v["height"]), str(v["weight"]), fmt_colour(v["colour"])] + extras)
    raise SkinError("kind %s has no text form" % kind)


def field_kinds(t):
    kinds = {}
    for v in (NEWEST, 7, 5, 0):
        for path, kind in layout(t, v):
            if not path.startswith("*"):
                kinds.setdefault(path, kind)
    return kinds


def parse_source(text, base_dir="."):
    skin = Skin()
    stack = []          # objects being filled
    canvas = None       # image being drawn
    inks = {}
    art = None
    for number, raw in enumerate(text.splitlines(), 1):
        where = "line %d" % number
        line = raw.strip()
        if art is not None:
            if line == "endart":
                canvas.art(art[0], art[1], art[2], inks)
                art = None
            else:
                art[2].append(raw.strip().strip("|"))
            continue
        if not line or line.startswith("#"):
            continue
        try:
            toks = shlex.split(line)
        except ValueError as e:
            raise SkinError("%s: %s" % (where, e))
        word = toks[0]
        if canvas is not None:
            if word == "end":
                obj = stack.pop()
                obj.values["data"] = (1, canvas.bmp())
                canvas = None
                continue
            if word == "ink":
                inks[toks[1]] = int(toks[2].lstrip("#"), 16)
                continue
            try:
                args = [drawing_argument(t, word) for t in toks[1:]]
            except ValueError:
                raise SkinError("%s: bad drawing arguments %r" % (where, line))
            if word == "art":
                art = (args[0], args[1], [])
            elif hasattr(canvas, word) and word not in ("bmp", "put", "mix", "px", "w", "h"):
                getattr(canvas, word)(*args)
            elif word == "pixel":
                canvas.put(*args)
            else:
                raise SkinError("%s: unknown drawing statement %r" % (where, word))
            continue
        if word in ("object", "child"):
            if len(toks) != 3 or toks[2] not in TYPE_IDS:
                raise SkinError("%s: expected %s \"Name\" Type" % (where, word))
            obj = SkinObject(TYPE_IDS[toks[2]], toks[1])
            if word == "object":
                if stack:
                    raise SkinError("%s: object inside an object (use child)" % where)
                skin.objects.append(obj)
            else:
                if not stack:
                    raise SkinError("%s: child outside an object" % where)
                stack[-1].children.append(obj)
            stack.append(obj)
        elif word == "image" and not stack:
            obj = SkinObject(18, toks[1])
            skin.images.append(obj)
            if toks[2] == "draw":
                canvas = Canvas(int(toks[3]), int(toks[4]))
                inks = {}
                stack.append(obj)
            elif toks[2] == "file":
                with open(os.path.join(base_dir, toks[3]), "rb") as f:
                    obj.values["data"] = (int(toks[4]) if len(toks) > 4 else 1, f.read())
            else:
                raise SkinError("%s: image needs draw or file" % where)
        elif word == "sound":
            skin.sounds.append(SkinObject(19, toks[1]))
        elif word == "header":
            skin.header[int(toks[1], 0)] = int(toks[2], 0)
        elif word == "end":
            if not stack:
                raise SkinError("%s: end without object" % where)
            stack.pop()
        elif word == "entry":
            obj = stack[-1]
            d1 = bytes.fromhex(toks[4]) if len(toks) > 4 else b""
            d2 = bytes.fromhex(toks[5]) if len(toks) > 5 else b""
            obj.values["entries"] = obj.values["entries"] + [(int(toks[1], 0), toks[2], toks[3], d1, d2)]
        else:
            if not stack:
                raise SkinError("%s: field outside an object" % where)
            obj = stack[-1]
            kinds = field_kinds(obj.type)
            if word not in kinds:
                raise SkinError("%s: %s has no field %r" % (where, type_name(obj.type), word))
            obj.values[word] = parse_value(kinds[word], toks[1:], where)
    if stack or canvas is not None:
        raise SkinError("source ends inside an object")
    return skin


def list_object(obj, indent, lines, keyword):
    pad = "  " * indent
    lines.append('%s%s "%s" %s' % (pad, keyword, obj.name, type_name(obj.type)))
    base = defaults(obj.type)
    kinds = field_kinds(obj.type)
    for path, kind in layout(obj.type, NEWEST):
        if path.startswith("*") or path == "name":
            continue
        value = obj.values[path]
        if value == base.get(path):
            continue
        if kind == "entries":
            for eid, key, text, d1, d2 in value:
                lines.append('%s  entry %d "%s" "%s" %s %s' % (pad, eid, key, text, d1.hex() or '""', d2.hex() or '""'))
            continue
        lines.append("%s  %s %s" % (pad, path, fmt_value(kinds[path], value)))
    for kid in sorted(obj.children, key=sort_key):
        list_object(kid, indent + 1, lines, "child")
    lines.append(pad + "end")


def list_skin(skin, v, out_dir):
    lines = ["# skin file version 1.%d, listed by skinbuilder.py" % v]
    for i in range(HEADER_SIZE):
        if i < 22 or 176 <= i < 180:
            continue
        if skin.header[i]:
            lines.append("header %d %d" % (i, skin.header[i]))
    for obj in sorted(skin.objects, key=sort_key):
        list_object(obj, 0, lines, "object")
    for img in sorted(skin.images, key=sort_key):
        fmt, data = img.values["data"]
        file_name = "image_" + "".join(c if c.isalnum() or c in "._-" else "_" for c in img.name)
        with open(os.path.join(out_dir, file_name), "wb") as f:
            f.write(data)
        lines.append('image "%s" file "%s" %d' % (img.name, file_name, fmt))
    for snd in sorted(skin.sounds, key=sort_key):
        lines.append('sound "%s"' % snd.name)
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------- commands

def read_sources(path):
    if os.path.isdir(path):
        parts = []
        for name in sorted(os.listdir(path)):
            if name.endswith(".skin"):
                with open(os.path.join(path, name), encoding="utf-8") as f:
                    parts.append(f.read())
        return "\n".join(parts), path
    with open(path, encoding="utf-8") as f:
        return f.read(), os.path.dirname(path)


def main(argv):
    if len(argv) < 4 or argv[1] not in ("build", "list", "rc"):
        sys.stderr.write(__doc__)
        return 2
    try:
        if argv[1] == "build":
            minor = NEWEST
            if len(argv) > 5 and argv[4] == "--version":
                major, _, minor = argv[5].partition(".")
                if major != "1" or not minor.isdigit():
                    raise SkinError("--version takes 1.N, not %r" % argv[5])
                minor = int(minor)
            text, base = read_sources(argv[2])
            data = parse_source(text, base).packed(minor)
            with open(argv[3], "wb") as f:
                f.write(data)
        elif argv[1] == "list":
            with open(argv[2], "rb") as f:
                skin, v = read_skin(f.read())
            os.makedirs(argv[3], exist_ok=True)
            with open(os.path.join(argv[3], "skin.skin"), "w", encoding="utf-8") as f:
                f.write(list_skin(skin, v, argv[3]))
        else:
            path = os.path.abspath(argv[2]).replace("\\", "/")
            with open(argv[3], "w") as f:
                f.write('187 SKIN "%s"\n' % path)
    except (SkinError, OSError) as e:
        sys.stderr.write("skinbuilder: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
