#!/usr/bin/env python3
"""Builds small real NTFS volumes for the engine's tests: mkntfs makes the volume, ntfs-3g (over
FUSE) writes and deletes files on it, and a JSON manifest (and the same as .tsv) beside each
image records every file: path, size, sha256 and state: "live"; "deleted"; "overwritten"
(deleted, its clusters since reused); "flagged" (deleted Windows-style by clearing the record's
in-use flag only); "lost" (deleted before a quick reformat, findable by the full scan only);
"old_live" (live before the reformat).

  build_ntfs_volumes.py OUT_DIR            the test volumes (a few MB each)
  build_ntfs_volumes.py --bench OUT_DIR    one 1 GiB volume with thousands of deleted files
                     [--bench-mb=N]        (or of N MiB, with 40 folders to the GiB)
  build_ntfs_volumes.py --many OUT_DIR     many.img: an MFT of some 6,000 records (small files,
                                           most of them deleted), for the run-control tests

Needs root (or FUSE rights), mkntfs and ntfs-3g. Without FUSE it writes OUT_DIR/SKIPPED with the
reason and exits 0, so that the tests can say why they did not run."""
import hashlib
import json
import os
import random
import subprocess
import sys
import tempfile

VERSION = "11"
FILLERS = 1400  # bump when what the builder writes changes
MANY_FOLDERS, MANY_FILES = 6, 1000


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


class Volume:
    def __init__(self, path, size_mb, cluster):
        self.path = path
        self.size_mb = size_mb
        self.cluster = cluster
        self.mnt = tempfile.mkdtemp(prefix="ntfsvol-")
        self.files = {}  # path -> entry
        self.format()

    def format(self, quick_over_old=False):
        if not quick_over_old:
            with open(self.path, "wb") as f:
                f.truncate(self.size_mb * 1024 * 1024)
        run("mkntfs", "-F", "-Q", "-q", "-s", "512", "-c", str(self.cluster), "-L", "tolvane", self.path)

    def __enter__(self):
        run("ntfs-3g", "-o", "big_writes,streams_interface=windows", self.path, self.mnt)
        return self

    def __exit__(self, *exc):
        run("fusermount", "-u", self.mnt)
        return False

    def write(self, rel, data, state="live"):
        full = os.path.join(self.mnt, rel)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        self.files[rel] = {"path": rel, "size": len(data),
                           "sha256": hashlib.sha256(data).hexdigest(), "state": state}

    def mkdir(self, rel):
        os.makedirs(os.path.join(self.mnt, rel), exist_ok=True)

    def delete(self, rel):
        full = os.path.join(self.mnt, rel)
        if os.path.isdir(full):
            for name in sorted(os.listdir(full)):
                self.delete(os.path.join(rel, name))
            os.rmdir(full)
            return
        os.unlink(full)
        self.files[rel]["state"] = "deleted"

    def mark(self, prefix, old, new):
        for e in self.files.values():
            if e["path"].startswith(prefix) and e["state"] == old:
                e["state"] = new

    def manifest(self, extra=None):
        m = {"image": os.path.basename(self.path), "cluster_size": self.cluster,
             "files": sorted(self.files.values(), key=lambda e: e["path"])}
        m.update(extra or {})
        with open(self.path + ".json", "w") as f:
            json.dump(m, f, indent=1, ensure_ascii=False)
        # The same list as tab-separated lines (state, size, path) for the C++ tests.
        with open(self.path + ".tsv", "w", encoding="utf-8") as f:
            for e in m["files"]:
                f.write("%s\t%d\t%s\n" % (e["state"], e["size"], e["path"]))
        os.rmdir(self.mnt)


def record_bytes(f, record):
    """The bytes of an MFT record (first MFT extent only), fixups applied."""
    import struct
    f.seek(0)
    boot = f.read(512)
    bps, spc = struct.unpack_from("<HB", boot, 11)
    mft = struct.unpack_from("<Q", boot, 48)[0]
    cpr = struct.unpack_from("<b", boot, 64)[0]
    size = cpr * spc * bps if cpr > 0 else 1 << -cpr
    f.seek(mft * spc * bps + record * size)
    r = bytearray(f.read(size))
    if r[:4] != b"FILE":
        return None
    usa = struct.unpack_from("<H", r, 4)[0]
    for i in range(1, size // 512 + 1):
        r[i * 512 - 2:i * 512] = r[usa + 2 * i:usa + 2 * i + 2]
    return r


def first_cluster(image, record):
    """First cluster of a record's unnamed non-resident data, or None."""
    import struct
    with open(image, "rb") as f:
        r = record_bytes(f, record)
    if r is None:
        return None
    at = struct.unpack_from("<H", r, 20)[0]
    while at + 8 <= len(r):
        kind, length = struct.unpack_from("<II", r, at)
        if kind == 0xFFFFFFFF or length == 0:
            return None
        if kind == 0x80 and r[at + 8] == 1 and r[at + 9] == 0:
            runs = at + struct.unpack_from("<H", r, at + 32)[0]
            header = r[runs]
            ln, on = header & 15, header >> 4
            return int.from_bytes(r[runs + 1 + ln:runs + 1 + ln + on], "little", signed=True)
        at += length
    return None


def clear_in_use_flag(image, record):
    """Marks an MFT record free the way Windows deletes a file: flags bit 0 cleared, the rest
    (names, attribute list, runs) left as it was. The flags lie before the first fixup spot."""
    import struct
    with open(image, "r+b") as f:
        boot = f.read(512)
        bps, spc = struct.unpack_from("<HB", boot, 11)
        mft = struct.unpack_from("<Q", boot, 48)[0]
        cpr = struct.unpack_from("<b", boot, 64)[0]
        size = cpr * spc * bps if cpr > 0 else 1 << -cpr
        # Records of the first MFT extent only: enough for the few hundred records here.
        at = mft * spc * bps + record * size
        f.seek(at)
        head = f.read(24)
        assert head[:4] == b"FILE", "record %d is not where the MFT's first extent puts it" % record
        flags = struct.unpack_from("<H", head, 22)[0] & ~1
        f.seek(at + 22)
        f.write(struct.pack("<H", flags))


def blob(rng, size):
    return bytes(rng.getrandbits(8) for _ in range(size)) if size < 4096 else rng.randbytes(size)


def build_basic(out, name, cluster, size_mb):
    rng = random.Random(cluster)
    v = Volume(os.path.join(out, name + ".img"), size_mb, cluster)
    with v:
        v.write("live/keep.txt", b"still here\n")
        v.write("live/sub/keep.bin", blob(rng, 20000))
        v.write("small.txt", b"a small resident file\n" * 10)          # data inside the record
        v.write("empty.dat", b"")                                        # zero bytes
        v.write("big.bin", blob(rng, 300 * 1024))                        # non-resident
        v.write("deltree/a/b/c.txt", b"deep text\n" * 50)
        v.write("deltree/a/d.bin", blob(rng, 40 * 1024))
        v.write("deltree/e.txt", b"e" * 700)
        v.write("na\u00efve \u6587\u4ef6.txt", "non-ascii name \u00e9\u00e8".encode() * 20)
        v.write("\u03a9mega/\u00fcber.bin", blob(rng, 9000))
        # Fragmentation: fill the volume with small non-resident files, free every other one,
        # take the rest of the free space with ballast, then write files that can only go into
        # the holes. 1,000 bytes is too big to stay inside a 1 KiB record.
        filler = cluster if cluster >= 2048 else 1000
        hole = (filler + cluster - 1) // cluster
        records = {}
        for i in range(FILLERS):
            v.write("filler/f%04d" % i, blob(rng, filler))
            records[i] = os.stat(os.path.join(v.mnt, "filler/f%04d" % i)).st_ino
        st = os.statvfs(v.mnt)
        margin = 48 * cluster if cluster >= 2048 else 600 * 1024  # room for what follows
        v.write("live/ballast.bin", bytes(max(0, st.f_bavail * st.f_frsize - margin)))
    # ntfs-3g does not lay the fillers out in the order they were written: free those whose
    # first cluster is even (in hole-sized steps), so that every hole is one filler wide.
    firsts = {i: first_cluster(v.path, r) for i, r in records.items()}
    with v:
        for i in range(FILLERS):
            if firsts[i] is not None and (firsts[i] // hole) % 2 == 0:
                v.delete("filler/f%04d" % i)
    with v:
        v.write("frag/fragmented.bin", blob(rng, 30 * hole * cluster))  # dozens of runs
        # Named streams fill the record: the attributes spread over extension records named
        # by an attribute list, the file's own data among them.
        v.write("ads/streams.bin", blob(rng, 50000))
        for i in range(14):
            with open(os.path.join(v.mnt, "ads/streams.bin:stream%02d" % i), "wb") as f:
                f.write(b"stream %02d " % i * 12)
        v.write("ads/kept.bin", blob(rng, 50000))
        for i in range(14):
            with open(os.path.join(v.mnt, "ads/kept.bin:stream%02d" % i), "wb") as f:
                f.write(b"kept %02d " % i * 12)
        kept_record = os.stat(os.path.join(v.mnt, "ads/kept.bin")).st_ino
    with v:
        for rel in ["small.txt", "empty.dat", "big.bin", "na\u00efve \u6587\u4ef6.txt",
                    "\u03a9mega/\u00fcber.bin", "frag/fragmented.bin", "ads/streams.bin"]:
            v.delete(rel)
        v.delete("deltree")
    # ntfs-3g removes the last file name of a file whose attributes spread over several records
    # when it deletes it (streams.bin above ends nameless). Windows keeps the name and only
    # clears the record's in-use flag: done here by hand, after the last mount, for kept.bin.
    clear_in_use_flag(v.path, kept_record)
    v.files["ads/kept.bin"]["state"] = "flagged"
    # The freed filler clusters were taken by the fragmented files: those deleted fillers
    # keep their records but their content is gone.
    v.mark("filler/", "deleted", "overwritten")
    v.manifest()


def build_reformat(out, cluster, size_mb):
    rng = random.Random(77)
    v = Volume(os.path.join(out, "reformat.img"), size_mb, cluster)
    with v:
        # Enough records that the old tree's lie beyond the new volume's first MFT records.
        for i in range(300):
            v.write("old/o%03d.txt" % i, ("old file %d\n" % i).encode() * (1 + i % 40))
        v.write("old/lostbig.bin", blob(rng, 64 * 1024))
    with v:
        for i in range(200, 300, 3):
            v.delete("old/o%03d.txt" % i)
        v.delete("old/lostbig.bin")
    v.mark("old/", "deleted", "lost")
    v.mark("old/", "live", "old_live")
    v.format(quick_over_old=True)
    with v:
        v.write("new/n1.txt", b"new one\n" * 30)
        v.write("new/n2.txt", b"new two\n" * 30)
    with v:
        v.delete("new/n2.txt")
    v.manifest()


def build_bench(out, size_mb):
    rng = random.Random(5)
    folders = max(5, 40 * size_mb // 1024)
    # Small volumes get small files, so that a few dozen MiB still hold every folder.
    sizes = [100, 700, 3000, 20000, 150000] if size_mb >= 512 else [100, 700, 3000, 9000]
    v = Volume(os.path.join(out, "bench.img"), size_mb, 4096)
    with v:
        for d in range(folders):
            for i in range(100):
                size = rng.choice(sizes)
                v.write("d%02d/f%03d.bin" % (d, i), rng.randbytes(size))
    with v:
        for d in range(folders):
            for i in range(0, 100, 2):
                v.delete("d%02d/f%03d.bin" % (d, i))
            if d % 5 == 0:
                v.delete("d%02d" % d)
    v.manifest()


def build_many(out):
    """Thousands of tiny files (their data stays inside the records) in a few folders, two of
    every three deleted: a long MFT pass on a small image that builds in seconds."""
    v = Volume(os.path.join(out, "many.img"), 32, 4096)
    with v:
        for d in range(MANY_FOLDERS):
            v.mkdir("m%02d" % d)
            for i in range(MANY_FILES):
                v.write("m%02d/t%04d.txt" % (d, i), b"%d %d\n" % (d, i))
    with v:
        for d in range(MANY_FOLDERS):
            for i in range(MANY_FILES):
                if i % 3:
                    v.delete("m%02d/t%04d.txt" % (d, i))
    v.manifest()


def main():
    bench = "--bench" in sys.argv
    many = "--many" in sys.argv
    bench_mb = 1024
    for a in sys.argv[1:]:
        if a.startswith("--bench-mb="):
            bench_mb = int(a.split("=", 1)[1])
    out = [a for a in sys.argv[1:] if not a.startswith("--")][0]
    os.makedirs(out, exist_ok=True)
    stamp = os.path.join(out, "bench.stamp" if bench else "many.stamp" if many else "volumes.stamp")
    version = VERSION + ("/%d" % bench_mb if bench else "")
    if os.path.exists(stamp) and open(stamp).read() == version:
        return 0
    skipped = os.path.join(out, "SKIPPED")
    if os.path.exists(skipped):
        os.unlink(skipped)
    if not os.path.exists("/dev/fuse") or not os.access("/dev/fuse", os.R_OK | os.W_OK):
        open(skipped, "w").write("no usable /dev/fuse: ntfs-3g cannot mount the images\n")
        return 0
    try:
        if bench:
            build_bench(out, bench_mb)
        elif many:
            build_many(out)
        else:
            build_basic(out, "basic4k", 4096, 24)
            build_basic(out, "basic512", 512, 12)
            build_reformat(out, 4096, 16)
    except (subprocess.CalledProcessError, FileNotFoundError) as e:
        err = getattr(e, "stderr", b"") or b""
        open(skipped, "w").write("building the NTFS images failed: %s %s\n" % (e, err.decode(errors="replace")))
        return 0
    open(stamp, "w").write(version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
