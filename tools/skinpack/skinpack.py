#!/usr/bin/env python3
"""Writes skin archives (".ssk"): an SKINDATA.SK2 record container, deflated and optionally
protected with the traditional PKWARE encryption, in a ZIP archive whose first bytes read "SK".

As a program:
    skinpack.py -o OUT.ssk [--bitmaps DIR] [--values FILE] [--password P] [--check crc|time]
                [--level N]
DIR holds .bmp files (record name = file name without extension). FILE holds one value a line:
    int NAME VALUE | flag NAME VALUE | text NAME TEXT...
As a module the builders below also write the damaged and unusual archives the tests need.
"""

import argparse
import os
import random
import struct
import sys
import zlib

KIND_BITMAP, KIND_INTEGER, KIND_FLAG, KIND_TEXT = 0, 1, 2, 3
HEADER_SIZE = 24
RECORD_SIZE = 77


class Record:
    def __init__(self, kind, name, data):
        self.kind = kind
        self.name = name.encode("latin-1") if isinstance(name, str) else name
        self.data = data


def integer(name, value):
    return Record(KIND_INTEGER, name, struct.pack("<i", value))


def flag(name, value):
    return Record(KIND_FLAG, name, struct.pack("<B", value))


def text(name, value):
    return Record(KIND_TEXT, name, value.encode("latin-1"))


def bitmap(name, bmp_bytes):
    return Record(KIND_BITMAP, name, bmp_bytes)


def record_bytes(name, kind, data_offset, data_size, next_offset):
    if len(name) > 64:
        raise ValueError("record name longer than 64 characters")
    return name.ljust(64, b"\0") + struct.pack("<BIII", kind, data_offset, data_size, next_offset)


def build_container(records, header_length=HEADER_SIZE):
    """Header, then every record's data, then the record chain closed by a record whose next
    offset is 0 (that closing record is never read as an entry)."""
    body = bytearray()
    data_offsets = []
    for r in records:
        data_offsets.append(HEADER_SIZE + len(body))
        body += r.data
    first = HEADER_SIZE + len(body)
    chain = bytearray()
    for i, r in enumerate(records):
        here = first + i * RECORD_SIZE
        chain += record_bytes(r.name, r.kind, data_offsets[i], len(r.data), here + RECORD_SIZE)
    chain += record_bytes(b"", 0xFF, 0, 0, 0)
    header = b"SKIN2 DATA\0\0" + struct.pack("<III", header_length, 0, first)
    return bytes(header + body + chain)


def write_bmp(width, height, pixels, bits=24, top_down=False):
    """A bitmap file from rows of 0xRRGGBB values (first row at the top). bits 8 builds a
    palette of the distinct colours; 32 writes BI_RGB with a zero alpha byte."""
    palette = []
    if bits == 8:
        for row in pixels:
            for p in row:
                if p not in palette:
                    palette.append(p)
        if len(palette) > 256:
            raise ValueError("too many colours for 8 bits")
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for row in pixels:
        raw = bytearray()
        for p in row:
            r, g, b = (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF
            if bits == 24:
                raw += bytes((b, g, r))
            elif bits == 32:
                raw += bytes((b, g, r, 0))
            else:
                raw.append(palette.index(p))
        rows.append(bytes(raw.ljust(stride, b"\0")))
    if not top_down:
        rows.reverse()
    pal = b"".join(struct.pack("<BBBB", p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF, 0)
                   for p in palette)
    offset = 14 + 40 + len(pal)
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                       len(image), 2835, 2835, len(palette), 0)
    head = b"BM" + struct.pack("<IHHI", offset + len(image), 0, 0, offset)
    return head + info + pal + image


_CRC_TABLE = []
for _n in range(256):
    _c = _n
    for _ in range(8):
        _c = (0xEDB88320 ^ (_c >> 1)) if _c & 1 else _c >> 1
    _CRC_TABLE.append(_c)


class _Keys:
    """The application note's traditional encryption (section 6.1)."""

    def __init__(self, password):
        self.k = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    @staticmethod
    def _crc(crc, b):
        return _CRC_TABLE[(crc ^ b) & 0xFF] ^ (crc >> 8)

    def update(self, b):
        k = self.k
        k[0] = self._crc(k[0], b)
        k[1] = ((k[1] + (k[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k[2] = self._crc(k[2], k[1] >> 24)

    def encrypt(self, data):
        out = bytearray()
        for b in data:
            t = (self.k[2] | 2) & 0xFFFF
            out.append(b ^ (((t * (t ^ 1)) >> 8) & 0xFF))
            self.update(b)
        return bytes(out)


def deflate(data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY, mem_level=8):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, mem_level, strategy)
    return c.compress(data) + c.flush()


class Entry:
    """One archive entry. compressed: bytes to store as they are (else data is deflated at
    level/strategy). method: the method field written (the reader ignores it). declared_size:
    the uncompressed size written to the directory (default: len(data))."""

    def __init__(self, name, data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY, compressed=None,
                 method=8, password=None, check_from_time=False, declared_size=None,
                 mod_time=0x6A5B, mod_date=0x5A21, seed=1):
        self.name = name.encode("latin-1") if isinstance(name, str) else name
        self.data = data
        self.level = level
        self.strategy = strategy
        self.compressed = compressed
        self.method = method
        self.password = password.encode("latin-1") if isinstance(password, str) else password
        self.check_from_time = check_from_time
        self.declared_size = len(data) if declared_size is None else declared_size
        self.mod_time = mod_time
        self.mod_date = mod_date
        self.seed = seed


def build_archive(entries, magic=b"SK", comment=b""):
    out = bytearray()
    central = bytearray()
    for e in entries:
        crc = zlib.crc32(e.data) & 0xFFFFFFFF
        payload = e.compressed if e.compressed is not None else deflate(e.data, e.level,
                                                                        e.strategy)
        flags = 0
        if e.password:
            flags |= 1
            if e.check_from_time:
                flags |= 8  # sizes and CRC follow the data; the check byte is the time's
            check = (e.mod_time >> 8) if e.check_from_time else (crc >> 24)
            rnd = random.Random(e.seed)
            header = bytes(rnd.randrange(256) for _ in range(11)) + bytes((check,))
            keys = _Keys(e.password)
            payload = keys.encrypt(header) + keys.encrypt(payload)
        local_offset = len(out)
        local_crc, local_csize, local_usize = crc, len(payload), e.declared_size
        if flags & 8:
            local_crc = local_csize = local_usize = 0
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, e.method, e.mod_time,
                           e.mod_date, local_crc, local_csize, local_usize, len(e.name), 0)
        out += e.name + payload
        if flags & 8:
            out += struct.pack("<IIII", 0x08074B50, crc, len(payload), e.declared_size)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, e.method,
                               e.mod_time, e.mod_date, crc, len(payload), e.declared_size,
                               len(e.name), 0, 0, 0, 0, 0x20, local_offset)
        central += e.name
    cd_offset = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central),
                       cd_offset, len(comment))
    out += comment
    out[0:2] = magic
    return bytes(out)


def read_values(path):
    records = []
    with open(path, encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            parts = line.split(None, 2)
            if len(parts) < 3:
                raise SystemExit(f"{path}:{number}: expected KIND NAME VALUE")
            kind, name, value = parts
            if kind == "int":
                records.append(integer(name, int(value, 0)))
            elif kind == "flag":
                records.append(flag(name, int(value, 0)))
            elif kind == "text":
                records.append(text(name, value))
            else:
                raise SystemExit(f"{path}:{number}: unknown kind {kind}")
    return records


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("-o", "--output", required=True)
    ap.add_argument("--bitmaps", help="folder of .bmp files")
    ap.add_argument("--values", help="file of int/flag/text lines")
    ap.add_argument("--password")
    ap.add_argument("--check", choices=("crc", "time"), default="crc")
    ap.add_argument("--level", type=int, default=9)
    args = ap.parse_args(argv)

    records = []
    if args.bitmaps:
        for name in sorted(os.listdir(args.bitmaps)):
            stem, ext = os.path.splitext(name)
            if ext.lower() == ".bmp":
                with open(os.path.join(args.bitmaps, name), "rb") as f:
                    records.append(bitmap(stem, f.read()))
    if args.values:
        records += read_values(args.values)
    container = build_container(records)
    archive = build_archive([Entry("SKINDATA.SK2", container, level=args.level,
                                   password=args.password,
                                   check_from_time=args.check == "time")])
    with open(args.output, "wb") as f:
        f.write(archive)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
