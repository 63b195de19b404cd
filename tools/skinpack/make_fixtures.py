#!/usr/bin/env python3
"""Builds the skin tests' fixtures into OUTDIR (run by the build before the tests):

  deflate/NAME.deflate + NAME.out   raw deflate streams made by zlib (and a few built bit by bit
                                    where zlib never goes), with what they decode to
  malformed/NAME.deflate            streams that break RFC 1951 in one named way each
  differential.bin                  many random zlib streams: u32 size, u32 CRC-32 of the
                                    decoded bytes, u32 stream length, stream
  archives/NAME.ssk (+ NAME.out)    skin archives, normal and unusual
  containers/NAME.sk2               record containers, sound and damaged
  seeds/archive, seeds/inflate      small starting corpora for the fuzz targets
  stamp                             written last

Everything is deterministic (fixed seeds), so a failing case can be rebuilt and looked at.
"""

import os
import random
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skinpack as sp  # noqa: E402

PASSWORD = "tolvane"


class BitWriter:
    """Least-significant-bit-first writer, for streams zlib would never produce."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def bits(self, value, count):
        self.acc |= (value & ((1 << count) - 1)) << self.n
        self.n += count
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def code(self, code, length):
        """A Huffman code, most significant bit first as RFC 1951 packs them."""
        rev = 0
        for i in range(length):
            rev = (rev << 1) | ((code >> i) & 1)
        self.bits(rev, length)

    def align(self):
        if self.n:
            self.bits(0, 8 - self.n)

    def raw(self, data):
        self.align()
        self.out += data

    def done(self):
        self.align()
        return bytes(self.out)


def fixed_literal(w, sym):
    if sym < 144:
        w.code(0x30 + sym, 8)
    elif sym < 256:
        w.code(0x190 + sym - 144, 9)
    elif sym < 280:
        w.code(sym - 256, 7)
    else:
        w.code(0xC0 + sym - 280, 8)


def fixed_distance(w, sym):
    w.code(sym, 5)


def text_like(rnd, size):
    words = [bytes(rnd.choice(b"etaoinshrdlucmfwyp") for _ in range(rnd.randint(1, 9)))
             for _ in range(400)]
    out = bytearray()
    while len(out) < size:
        out += rnd.choice(words) + rnd.choice([b" ", b" ", b" ", b", ", b".\r\n"])
    return bytes(out[:size])


def low_entropy(rnd, size, alphabet):
    table = bytes(rnd.choice(alphabet) for _ in range(256))
    return rnd.randbytes(size).translate(table)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def valid_streams(rnd):
    streams = {}
    text = text_like(rnd, 150_000)
    streams["text_level0"] = (text, sp.deflate(text, 0))
    streams["text_level1"] = (text, sp.deflate(text, 1))
    streams["text_level9"] = (text, sp.deflate(text, 9))
    streams["text_fixed_huffman"] = (text, sp.deflate(text, 9, zlib.Z_FIXED))
    streams["text_huffman_only"] = (text, sp.deflate(text, 6, zlib.Z_HUFFMAN_ONLY))
    # Runs of one byte (distance 1), short periods and long repeats of a random block: matches
    # that overlap their own output, well past the 64 KiB window mark.
    overlap = (b"\x00" * 70_000 + b"ab" * 20_000 + rnd.randbytes(3000) * 40 + b"xyz" * 30_000)
    streams["long_overlap_level9"] = (overlap, sp.deflate(overlap, 9))
    streams["long_overlap_rle"] = (overlap, sp.deflate(overlap, 9, zlib.Z_RLE))
    noise = rnd.randbytes(100_000)
    streams["incompressible_level9"] = (noise, sp.deflate(noise, 9))
    streams["one_byte"] = (b"A", sp.deflate(b"A", 9))
    streams["empty"] = (b"", sp.deflate(b"", 9))

    # The farthest distance, 32768, which zlib never uses: 32 KiB of stored noise, then a fixed
    # block of 258-byte matches that reach all the way back, across several window flushes.
    block = rnd.randbytes(32768)
    w = BitWriter()
    w.bits(0, 1)
    w.bits(0, 2)
    w.align()
    w.raw(struct.pack("<HH", 32768, 0xFFFF ^ 32768) + block)
    w.bits(1, 1)
    w.bits(1, 2)
    out = bytearray(block)
    for _ in range(700):
        fixed_literal(w, 285)  # length 258
        fixed_distance(w, 29)  # 24577 + 13 extra bits
        w.bits(32768 - 24577, 13)
        for _ in range(258):
            out.append(out[-32768])
    fixed_literal(w, 256)
    streams["max_distance_fixed"] = (bytes(out), w.done())

    # Stored blocks of every size class: empty, one byte, and 65535 bytes, in one stream.
    big = rnd.randbytes(65535)
    w = BitWriter()
    for payload, final in ((b"", 0), (b"Q", 0), (big, 1)):
        w.bits(final, 1)
        w.bits(0, 2)
        w.align()
        w.raw(struct.pack("<HH", len(payload), 0xFFFF ^ len(payload)) + payload)
    streams["stored_sizes"] = (b"Q" + big, w.done())
    return streams


def fixed_block(symbols_and_bits, final=1):
    w = BitWriter()
    w.bits(final, 1)
    w.bits(1, 2)
    for kind, value, extra in symbols_and_bits:
        if kind == "lit":
            fixed_literal(w, value)
        else:
            fixed_distance(w, value)
        if extra is not None:
            w.bits(*extra)
    return w.done()


def dynamic_header(w, hlit, hdist, clens, final=1):
    """Block header with the code-length code given as 19 lengths in symbol order."""
    order = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15]
    w.bits(final, 1)
    w.bits(2, 2)
    w.bits(hlit - 257, 5)
    w.bits(hdist - 1, 5)
    w.bits(19 - 4, 4)
    for s in order:
        w.bits(clens[s], 3)


def canonical(lengths):
    """Canonical codes (RFC 1951 3.2.2) for a list of lengths."""
    max_len = max(lengths)
    bl = [0] * (max_len + 1)
    for n in lengths:
        if n:
            bl[n] += 1
    code, nxt = 0, [0] * (max_len + 2)
    for bits in range(1, max_len + 1):
        code = (code + bl[bits - 1]) << 1
        nxt[bits] = code
    codes = {}
    for s, n in enumerate(lengths):
        if n:
            codes[s] = (nxt[n], n)
            nxt[n] += 1
    return codes


# A code-length code where every symbol 0..18 has length 5 (complete: 19 codes of 5 bits do not
# fill 32 slots, so slots 19..31 stay unused).
CL_ALL5 = [5] * 19
CL_CODES = canonical(CL_ALL5)


def cl_symbol(w, s):
    w.code(*CL_CODES[s])


def malformed_streams(rnd):
    m = {}
    # Literal/length symbols 286 and 287 have fixed codes but no length.
    m["length_symbol_286"] = fixed_block([("lit", 65, None), ("lit", 286, None),
                                          ("dist", 0, None), ("lit", 256, None)])
    m["length_symbol_287"] = fixed_block([("lit", 65, None), ("lit", 287, None),
                                          ("dist", 0, None), ("lit", 256, None)])
    # Distance symbols 30 and 31 likewise.
    m["distance_symbol_30"] = fixed_block([("lit", 65, None), ("lit", 257, None),
                                           ("dist", 30, None), ("lit", 256, None)])
    m["distance_symbol_31"] = fixed_block([("lit", 65, None), ("lit", 257, None),
                                           ("dist", 31, None), ("lit", 256, None)])
    # One literal, then a match two bytes back.
    m["distance_before_first_byte"] = fixed_block([("lit", 65, None), ("lit", 257, None),
                                                   ("dist", 1, None), ("lit", 256, None)])
    # A match as the very first thing.
    m["match_at_start"] = fixed_block([("lit", 257, None), ("dist", 0, None),
                                       ("lit", 256, None)])

    # Repeat code 16 with nothing before it.
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    cl_symbol(w, 16)
    w.bits(0, 2)
    m["repeat_16_first"] = w.done() + bytes(64)
    # Zeros (code 18, 138 of them) running past HLIT + HDIST = 258 lengths.
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    cl_symbol(w, 18)
    w.bits(127, 7)
    cl_symbol(w, 18)
    w.bits(127, 7)
    m["repeat_past_lengths"] = w.done() + bytes(64)
    # Code 16 repeating past the end.
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    for _ in range(257):
        cl_symbol(w, 8)
    cl_symbol(w, 16)
    w.bits(3, 2)
    m["repeat_16_past_lengths"] = w.done() + bytes(64)
    # HLIT of 287 and HDIST of 31 and 32 are beyond what the format allows.
    for name, hlit, hdist in (("hlit_287", 287, 1), ("hlit_288", 288, 1), ("hdist_31", 257, 31),
                              ("hdist_32", 257, 32)):
        w = BitWriter()
        dynamic_header(w, hlit, hdist, CL_ALL5)
        m[name] = w.done() + bytes(64)
    # Bits that land in an unused entry of the code-length table (slots 19..31 of CL_ALL5).
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    w.code(0b11111, 5)
    m["unused_code_length_entry"] = w.done() + bytes(64)
    # A literal/length code with only symbols 65 and 256 (1 bit each is complete) and a
    # distance code of a single 1-bit code: distance data "1" hits the unused half.
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    lit_lengths = [0] * 257
    lit_lengths[65], lit_lengths[256] = 1, 2
    for s in range(257):
        cl_symbol(w, lit_lengths[s])
    cl_symbol(w, 1)  # the one distance code, length 1
    lit = canonical(lit_lengths[:257])
    w.code(*lit[65])
    w.code(0b11, 2)  # unused: 65 is '0', 256 is '10', '11' has no symbol
    m["unused_literal_entry"] = w.done() + bytes(64)
    # Over-subscribed code lengths: three codes of length 1.
    w = BitWriter()
    dynamic_header(w, 257, 1, CL_ALL5)
    lens = [0] * 258
    lens[0] = lens[1] = lens[256] = 1
    for s in lens:
        cl_symbol(w, s)
    m["over_subscribed"] = w.done() + bytes(64)

    # Stored block whose NLEN is not the complement of LEN.
    m["stored_bad_nlen"] = bytes((1,)) + struct.pack("<HH", 4, 4) + b"abcd"
    # Block type 3, final and not.
    m["block_type_3_final"] = bytes((0b111,)) + bytes(16)
    m["block_type_3_then_more"] = bytes((0b110,)) + bytes(16)
    # An empty non-final stored block and then nothing: the stream ends before BFINAL.
    m["ends_before_final"] = bytes((0,)) + struct.pack("<HH", 0, 0xFFFF)
    # The same followed by zero padding: zeros would read as endless empty stored blocks if
    # NLEN were not checked, and as a damaged block when it is.
    m["zero_padding"] = bytes((0,)) + struct.pack("<HH", 0, 0xFFFF) + bytes(4096)
    m["all_zero"] = bytes(4096)
    # A level-9 stream cut short, and a stored block cut short.
    text = text_like(rnd, 20_000)
    full = sp.deflate(text, 9)
    m["truncated_level9"] = full[: len(full) // 2]
    m["truncated_stored"] = bytes((1,)) + struct.pack("<HH", 100, 0xFFFF ^ 100) + b"x" * 50
    m["empty_input"] = b""
    return m


def differential(rnd, count=400):
    out = bytearray()
    strategies = [zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED, zlib.Z_HUFFMAN_ONLY, zlib.Z_RLE,
                  zlib.Z_FIXED]
    for i in range(count):
        size = rnd.choice([0, 1, 2, 7, 100, 1000, 5000, 30_000, 70_000, 140_000])
        size = rnd.randint(0, size)
        shape = rnd.randrange(4)
        if shape == 0:
            data = rnd.randbytes(size)
        elif shape == 1:
            data = low_entropy(rnd, size, rnd.sample(range(256), rnd.randint(1, 8)))
        elif shape == 2:
            piece = rnd.randbytes(rnd.randint(1, 300))
            data = (piece * (size // len(piece) + 1))[:size]
        else:
            data = text_like(rnd, size)
        c = zlib.compressobj(rnd.randint(0, 9), zlib.DEFLATED, -rnd.randint(9, 15),
                             rnd.randint(1, 9), rnd.choice(strategies))
        stream = c.compress(data) + c.flush()
        out += struct.pack("<III", len(data), zlib.crc32(data) & 0xFFFFFFFF, len(stream))
        out += stream
    return bytes(out)


def checker(w, h, a, b):
    return [[a if (x + y) % 2 == 0 else b for x in range(w)] for y in range(h)]


def main_container():
    """The container behind archives/plain.ssk and its variants. The tests know its records."""
    button = sp.write_bmp(4, 3, [[0xFF0000, 0x00FF00, 0x0000FF, 0xFF00FF],
                                 [0x000000, 0xFFFFFF, 0x808080, 0x123456],
                                 [0xFF00FF, 0xFF00FF, 0x010203, 0xFEDCBA]], bits=24)
    button_second = sp.write_bmp(1, 1, [[0x00FFFF]], bits=24)
    title = sp.write_bmp(5, 2, checker(5, 2, 0xFF00FF, 0x336699), bits=8)
    checkbox = sp.write_bmp(3, 3, [[0x111111, 0x222222, 0x333333],
                                   [0x444444, 0x555555, 0x666666],
                                   [0x777777, 0x888888, 0x999999]], bits=32, top_down=True)
    long_name = "SKIN2_" + "L" * 58
    assert len(long_name) == 64
    records = [
        sp.bitmap("SKIN2_BUTTON", button),
        sp.bitmap("SKIN2_TITLEBAR1", title),
        sp.bitmap("SKIN2_CHECKBOX", checkbox),
        sp.bitmap("SKIN2_BUTTON", button_second),
        sp.integer("SKIN2_TITLEBARICONPOSX", -5),
        sp.integer("skin2_formcolor", 0x00C0FFEE),
        sp.integer("SKIN2_TRANSCOLOR", 0xFF00FF),
        sp.integer("SKIN2_TRANSCOLOR", 0x00FF00),
        sp.integer(long_name, 64),
        sp.integer("WEIRD=NAME", 7),
        sp.flag("SKIN2_BUTTONTRANS", 200),
        sp.flag("SKIN2_TITLEFIVESECT", 1),
        sp.text("AUTHOR", "Tolvane test skin"),
        sp.Record(9, "SKIN2_TABCONTROLTRANS", b"\x01"),  # unknown kind: skipped
    ]
    container = bytearray(sp.build_container(records))
    # The closing record (next offset 0) carries a plausible integer, which must not be read.
    closing = len(container) - sp.RECORD_SIZE
    container[closing:] = sp.record_bytes(b"SKIN2_TITLEBARCAPTIONTOP", 1, 24, 4, 0)
    return bytes(container)


def containers(rnd):
    c = {}
    base = main_container()
    c["main"] = base
    c["empty_chain"] = sp.build_container([])
    one = sp.build_container([sp.integer("SKIN2_BOTTOMREGIONMINY", 3)])
    c["header_length_40"] = sp.build_container([sp.integer("X", 1)], header_length=40)
    c["header_length_16"] = sp.build_container([sp.integer("X", 1)], header_length=16)
    c["header_length_huge"] = sp.build_container([sp.integer("X", 1)], header_length=0xFFFFFFF0)
    c["integer_size_2"] = sp.build_container([sp.Record(1, "X", b"\x01\x02")])
    c["integer_size_8"] = sp.build_container([sp.Record(1, "X", b"\x01" * 8)])
    c["flag_size_0"] = sp.build_container([sp.Record(2, "X", b"")])
    c["flag_size_4"] = sp.build_container([sp.Record(2, "X", b"\x01" * 4)])
    # The one record's next offset points back at itself.
    loop = bytearray(one)
    first = struct.unpack_from("<I", loop, 20)[0]
    struct.pack_into("<I", loop, first + 73, first)
    c["chain_loops_to_itself"] = bytes(loop)
    # Two records pointing at each other.
    two = bytearray(sp.build_container([sp.integer("A", 1), sp.integer("B", 2)]))
    first = struct.unpack_from("<I", two, 20)[0]
    struct.pack_into("<I", two, first + 77 + 73, first)
    c["chain_loops_to_first"] = bytes(two)
    # The next record lies past the end of the file.
    out = bytearray(one)
    first = struct.unpack_from("<I", out, 20)[0]
    struct.pack_into("<I", out, first + 73, len(out) + 1000)
    c["next_record_outside"] = bytes(out)
    out = bytearray(one)
    struct.pack_into("<I", out, 20, len(out) - 10)
    c["first_record_cut"] = bytes(out)
    # Data offset and size beyond the file.
    out = bytearray(sp.build_container([sp.text("T", "hello")]))
    first = struct.unpack_from("<I", out, 20)[0]
    struct.pack_into("<I", out, first + 69, 0xFFFFFFFF)
    c["text_size_past_end"] = bytes(out)
    out = bytearray(sp.build_container([sp.integer("I", 5)]))
    first = struct.unpack_from("<I", out, 20)[0]
    struct.pack_into("<I", out, first + 65, 0xFFFFFFFE)
    c["data_offset_past_end"] = bytes(out)
    c["bitmap_not_a_bitmap"] = sp.build_container([sp.bitmap("B", b"not a bitmap at all")])
    bmp = bytearray(sp.write_bmp(2, 2, checker(2, 2, 1, 2)))
    struct.pack_into("<i", bmp, 22, 5000)  # height far beyond the pixel rows held
    c["bitmap_rows_missing"] = sp.build_container([sp.bitmap("B", bytes(bmp))])
    c["shorter_than_header"] = base[:14]
    return c


def archives(rnd):
    a = {}
    plain = main_container()
    E = sp.Entry
    a["plain"] = (sp.build_archive([E("SKINDATA.SK2", plain, level=9)]), plain)
    a["encrypted_crc_check"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, password=PASSWORD, seed=3)]), plain)
    a["encrypted_time_check"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, password=PASSWORD, check_from_time=True, seed=4)]), plain)
    a["pk_magic"] = (sp.build_archive([E("SKINDATA.SK2", plain)], magic=b"PK"), None)
    a["commented"] = (sp.build_archive([E("SKINDATA.SK2", plain)], comment=b"a comment"), None)
    a["lowercase_name"] = (sp.build_archive([E("skindata.sk2", plain)]), plain)
    a["other_entry_only"] = (sp.build_archive([E("README.TXT", b"hello")]), None)
    a["second_entry"] = (sp.build_archive([E("README.TXT", b"hello"),
                                           E("SkinData.Sk2", plain)]), plain)
    # A first entry whose name does not fit a 259-character name buffer, then the real one.
    a["long_name_first"] = (sp.build_archive([E("N" * 300, b"x"), E("SKINDATA.SK2", plain)]),
                            plain)
    # Method field 0 ("stored"): the data is inflated all the same.
    a["stored_method_deflated_data"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, method=0)]), plain)
    a["stored_method_raw_data"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, method=0, compressed=plain)]), None)
    a["size_mismatch_larger"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, declared_size=len(plain) + 1)]), None)
    a["size_mismatch_smaller"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, declared_size=len(plain) - 1)]), None)
    a["empty_entry"] = (sp.build_archive([E("SKINDATA.SK2", b"")]), None)
    a["damaged_deflate"] = (sp.build_archive(
        [E("SKINDATA.SK2", plain, compressed=bytes((0b110,)) + bytes(40))]), None)
    # A large container (a 200 x 120 bitmap, ~70 KiB) at level 0 and level 1.
    big = sp.write_bmp(200, 120, [[(x * 1237 + y * 7919) & 0xFFFFFF for x in range(200)]
                                  for y in range(120)])
    large = sp.build_container([sp.bitmap("SKIN2_FORMLEFTBORDER", big),
                                sp.integer("SKIN2_BOTTOMREGIONMAXY", 9)])
    a["large_level0"] = (sp.build_archive([E("SKINDATA.SK2", large, level=0)]), large)
    a["large_level1_encrypted"] = (sp.build_archive(
        [E("SKINDATA.SK2", large, level=1, password=PASSWORD, seed=5)]), large)
    a["empty_chain"] = (sp.build_archive([E("SKINDATA.SK2", sp.build_container([]))]),
                        sp.build_container([]))
    damaged = sp.build_container([sp.Record(1, "X", b"\x01\x02")])
    a["damaged_container"] = (sp.build_archive([E("SKINDATA.SK2", damaged)]), damaged)
    return a


def main(argv):
    out = argv[0]
    rnd = random.Random(20261209)
    for name, (plain, stream) in valid_streams(rnd).items():
        write(os.path.join(out, "deflate", name + ".deflate"), stream)
        write(os.path.join(out, "deflate", name + ".out"), plain)
    malformed = malformed_streams(rnd)
    for name, stream in malformed.items():
        write(os.path.join(out, "malformed", name + ".deflate"), stream)
    write(os.path.join(out, "differential.bin"), differential(rnd))
    for name, data in containers(rnd).items():
        write(os.path.join(out, "containers", name + ".sk2"), data)
        write(os.path.join(out, "seeds", "archive", name + ".sk2"), data)
    arch = archives(rnd)
    for name, (archive, content) in arch.items():
        write(os.path.join(out, "archives", name + ".ssk"), archive)
        if content is not None:
            write(os.path.join(out, "archives", name + ".out"), content)

    # The packer as a program: a folder of bitmaps and a values file, encrypted, time check.
    source = os.path.join(out, "cli_source")
    os.makedirs(os.path.join(source, "bitmaps"), exist_ok=True)
    write(os.path.join(source, "bitmaps", "SKIN2_MENUBAR.bmp"),
          sp.write_bmp(2, 1, [[0xFF00FF, 0x0A0B0C]]))
    write(os.path.join(source, "bitmaps", "readme.txt"), b"not a bitmap: skipped")
    write(os.path.join(source, "values.txt"),
          b"# kind name value\nint SKIN2_TITLEBARBUTTONPOSY -12\nint SKIN2_FORMCOLOR 0xFF00FF\n"
          b"flag SKIN2_TITLEBARNEEDREGION 1\ntext COMMENT two words\n")
    sp.main(["-o", os.path.join(out, "archives", "cli_packed.ssk"),
             "--bitmaps", os.path.join(source, "bitmaps"),
             "--values", os.path.join(source, "values.txt"),
             "--password", PASSWORD, "--check", "time", "--level", "1"])

    # Fuzz seeds: the small archives and streams.
    for name, (archive, _) in arch.items():
        if len(archive) < 8192:
            write(os.path.join(out, "seeds", "archive", name), archive)
    for name, stream in malformed.items():
        write(os.path.join(out, "seeds", "inflate", name), stream)
    for name in ("one_byte", "empty", "text_level1"):
        with open(os.path.join(out, "deflate", name + ".deflate"), "rb") as f:
            data = f.read()
        write(os.path.join(out, "seeds", "inflate", name), data[:4096])
    small = text_like(rnd, 3000)
    for level in (0, 1, 9):
        write(os.path.join(out, "seeds", "inflate", f"small_level{level}"),
              sp.deflate(small, level))
    write(os.path.join(out, "seeds", "inflate", "small_fixed"),
          sp.deflate(small, 9, zlib.Z_FIXED))
    write(os.path.join(out, "stamp"), b"ok\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
