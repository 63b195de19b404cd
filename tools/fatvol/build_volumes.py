#!/usr/bin/env python3
"""Builds small FAT12, FAT16 and FAT32 test volumes with mkfs.fat and mtools (no mount), with
deleted files in the root, in live folders and in deleted folder trees, and a quick-reformatted
volume whose old folders are left in free clusters. Writes one JSON manifest per image telling
what was deleted, what stayed live, and where each file's clusters were.

    build_volumes.py OUTDIR

File contents come from a fixed generator, the serial is fixed, and mtools takes every time it
writes from SOURCE_DATE_EPOCH: the same inputs give the same images and manifests, byte for byte.
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile

FIXED_TIME = 1262347200  # 2010-01-01 12:00 UTC: every source file's modification time

ENV = dict(os.environ, MTOOLS_SKIP_CHECK="1", LC_ALL="C.UTF-8", SOURCE_DATE_EPOCH=str(FIXED_TIME))
# mkfs.fat lives in sbin, which a test runner's PATH may lack.
ENV["PATH"] = ENV.get("PATH", "/usr/bin:/bin") + ":/usr/sbin:/sbin"


def content(name, size):
    """Deterministic bytes for a file: SHA-256 in counter mode over its name."""
    out = bytearray()
    counter = 0
    while len(out) < size:
        out += hashlib.sha256(f"{name}:{counter}".encode()).digest()
        counter += 1
    return bytes(out[:size])


def junk_slots(cluster_bytes):
    """One cluster of bytes that imitate directory slots at a glance (an attribute byte below
    0x80, a first cluster inside the volume) but hold what no FAT driver writes: a '.' in a
    name, a reserved attribute bit, control bytes or a blank first byte in a name, a size and a first
    cluster past the volume, a long-name part out of its sequence. Then zeros."""
    def slot(name11, attributes, cluster, size):
        return (name11 + bytes([attributes]) + bytes(8) + (cluster >> 16).to_bytes(2, "little") +
                bytes(4) + (cluster & 0xFFFF).to_bytes(2, "little") + size.to_bytes(4, "little"))
    orphan_part = bytes([0x03]) + "orphan".encode("utf-16-le")[:10] + bytes([0x0F, 0, 0]) + \
        bytes(12) + bytes(2) + bytes(4)
    out = b"".join([
        slot(b"._         ", 0x20, 3, 196648),
        slot(b"_          ", 0x62, 3, 4096),
        slot(b"\x01\x02DATA\x7f BIN", 0x20, 5, 100),
        slot(b"HUGE    BIN", 0x20, 4, 0xFFFFFF00),
        slot(b"FAR     BIN", 0x20, 0x00FFFF00, 100),
        orphan_part,
        slot(b"ORPHAN  TXT", 0x20, 6, 10),
        slot(b" AME    TXT", 0x20, 7, 10),
    ])
    assert len(out) <= cluster_bytes and len(orphan_part) == 32
    return out + bytes(cluster_bytes - len(out))


def run(*args):
    return subprocess.run(args, env=ENV, check=True, capture_output=True, text=True).stdout


class Volume:
    def __init__(self, path, fat_bits, size_kib, sectors_per_cluster):
        self.path = path
        self.fat_bits = fat_bits
        self.size_kib = size_kib
        self.spc = sectors_per_cluster
        self.files = {}      # path -> record
        self.order = []      # paths in creation order
        self.work = tempfile.mkdtemp(prefix="fatvol-")
        if os.path.exists(path):
            os.unlink(path)
        self.format(create=True)

    def format(self, create):
        args = ["mkfs.fat"] + (["-C"] if create else []) + [
            "-F", str(self.fat_bits), "-s", str(self.spc), "--invariant", "-i", "1A2B3C4D",
            "-n", "TOLVANE", self.path]
        if create:
            args.append(str(self.size_kib))
        run(*args)

    def clusters(self, path):
        out = run("mshowfat", "-i", self.path, "::/" + path)
        spans = re.findall(r"<(\d+)(?:-(\d+))?>", out.splitlines()[0] if out else "")
        result = []
        for first, last in spans:
            result.extend(range(int(first), int(last or first) + 1))
        return result

    def _components(self, path):
        return path.split("/")

    def _record(self, path, kind, size, data):
        name = path.split("/")[-1]
        parent = self.files.get(path.rsplit("/", 1)[0]) if "/" in path else None
        rec = {
            "path": path,
            "kind": kind,
            "size": size,
            "sha256": hashlib.sha256(data).hexdigest() if kind == "file" else None,
            # A name that fits 8.3 with each part in one case gets no long name: mtools, like
            # Windows, keeps a part typed in lower case as case bits of the short entry.
            "short_only": bool(re.fullmatch(
                r"([A-Z0-9_]{1,8}|[a-z0-9_]{1,8})(\.([A-Z0-9_]{1,3}|[a-z0-9_]{1,3}))?", name)),
            "state": "live",
            "entry_deleted": False,
        }
        rec["clusters"] = self.clusters(path) if (kind == "dir" or size > 0) else []
        rec["first_cluster"] = rec["clusters"][0] if rec["clusters"] else 0
        # Folders were created empty: their clusters as they are now, and the one that holds the
        # new entry (entries are appended, so it is the folder's last).
        rec["slot_cluster"] = 0
        if parent is not None:
            parent["clusters"] = self.clusters(parent["path"])
            self._claim(parent["path"], parent["clusters"])
            rec["slot_cluster"] = parent["clusters"][-1]
        self.files[path] = rec
        self.order.append(path)
        self._claim(path, rec["clusters"])

    def _claim(self, path, clusters):
        # A cluster given to a new file overwrites whatever a deleted file kept there.
        for other in self.files.values():
            if other["path"] != path and other["state"] != "live" and \
                    set(other["clusters"]) & set(clusters):
                other["overwritten"] = True

    def mkdir(self, path):
        run("mmd", "-i", self.path, "::/" + path)
        self._record(path, "dir", 0, b"")

    def write(self, path, size, data=None):
        generated = data is None
        data = content(path, size) if generated else data
        src = os.path.join(self.work, "src")
        with open(src, "wb") as f:
            f.write(data)
        os.utime(src, (FIXED_TIME, FIXED_TIME))
        run("mcopy", "-m", "-i", self.path, src, "::/" + path)
        self._record(path, "file", size, data)
        self.files[path]["generated"] = generated

    def delete(self, path):
        run("mdel", "-i", self.path, "::/" + path)
        self.files[path]["state"] = "deleted"
        self.files[path]["entry_deleted"] = True

    def deltree(self, path):
        run("mdeltree", "-i", self.path, "::/" + path)
        for p, rec in self.files.items():
            if p == path or p.startswith(path + "/"):
                rec["state"] = "deleted"
                rec["entry_deleted"] = True

    def reformat(self):
        """Quick reformat: new boot sector, tables and root; the data area stays as it was."""
        self.format(create=False)
        for rec in self.files.values():
            rec["state"] = "lost"

    def cluster_bytes(self):
        with open(self.path, "rb") as f:
            boot = f.read(512)
        return int.from_bytes(boot[11:13], "little") * boot[13]

    def finish(self):
        live_clusters = set()
        for rec in self.files.values():
            if rec["state"] == "live":
                live_clusters.update(rec["clusters"])
        for rec in self.files.values():
            rec.setdefault("overwritten", False)
            rec.setdefault("generated", rec["kind"] == "file")
            rec["clusters_free"] = rec["state"] != "live" and not (set(rec["clusters"]) & live_clusters)
            c = rec["clusters"]
            rec["fragmented"] = any(b != a + 1 for a, b in zip(c, c[1:]))
        # A folder whose clusters no chain tells is read from its first cluster over the clusters
        # next to it: only entries in that first stretch are found in it. The full scan finds
        # the later stretches on their own, each a folder named after its first cluster
        # ("piece_cluster"; 0 in the first stretch).
        for p, rec in self.files.items():
            parent = self.files.get(p.rsplit("/", 1)[0]) if "/" in p else None
            rec["in_first_run"] = True
            rec["piece_cluster"] = 0
            if parent is not None:
                c = parent["clusters"]
                stretch = 1
                while stretch < len(c) and c[stretch] == c[stretch - 1] + 1:
                    stretch += 1
                rec["in_first_run"] = rec["slot_cluster"] in c[:stretch]
                if not rec["in_first_run"] and rec["slot_cluster"] in c:
                    i = c.index(rec["slot_cluster"])
                    while i > 0 and c[i - 1] == c[i] - 1:
                        i -= 1
                    rec["piece_cluster"] = c[i]
        manifest = {
            "image": os.path.basename(self.path),
            "fat_bits": self.fat_bits,
            "cluster_bytes": self.cluster_bytes(),
            "entries": [self.files[p] for p in self.order],
        }
        base = os.path.splitext(self.path)[0]
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump(manifest, f, indent=1, ensure_ascii=False, sort_keys=True)
            f.write("\n")
        # The same facts one entry a line, for the C++ tests (which carry no JSON reader):
        # path, kind, state, size, first cluster, entry deleted, short only, clusters free,
        # overwritten, fragmented, cluster count, entry in its folder's first stretch of
        # consecutive clusters, content from content() (not written by hand), first cluster of
        # the later stretch that holds the entry (0 in the first).
        with open(base + ".tsv", "w", encoding="utf-8") as f:
            for p in self.order:
                r = self.files[p]
                fields = [r["path"], r["kind"], r["state"], r["size"], r["first_cluster"],
                          r["entry_deleted"], r["short_only"], r["clusters_free"],
                          r["overwritten"], r["fragmented"], len(r["clusters"]),
                          r["in_first_run"], r["generated"], r["piece_cluster"]]
                f.write("\t".join(str(int(x)) if isinstance(x, bool) else str(x)
                                   for x in fields) + "\n")


def populate(v, big_clusters):
    cb = v.cluster_bytes()
    # Creation first: mtools reuses the slots of deleted entries, so nothing is created in a
    # folder after something in it was deleted (the deletions come last).
    v.mkdir("GAPS")
    v.write("GAPS/GAP1.BIN", 2 * cb)
    v.write("GAPS/GAP2.BIN", cb // 2)
    v.delete("GAPS/GAP1.BIN")              # its clusters are taken by FRAG.BIN below
    v.write("ABC.TXT", 300)
    v.write("Long name \u00e9t\u00e9 \u00fc.txt", cb + 10)
    v.write("KEEP.TXT", 100)
    v.write("Keep this one.txt", 2 * cb)
    v.write("EMPTY.TXT", 0)
    v.write("BIG.BIN", big_clusters * cb - 7)
    v.write("FRAG.BIN", 4 * cb)             # fills GAP1's two clusters and goes on elsewhere
    v.mkdir("DOCS")
    v.write("DOCS/REPORT.DOC", 2000)
    v.write("DOCS/notes for later.txt", 700)
    v.write("DOCS/live.txt", 50)
    v.write("DOCS/todo.txt", 300)           # 8.3 in lower case: no long name, case bits 0x18
    v.mkdir("DOCS/Inner dir")
    v.write("DOCS/Inner dir/deep file.txt", 1234)
    v.write("DOCS/Inner dir/STAYS.TXT", 10)
    v.mkdir("Old Tree")
    v.write("Old Tree/A1.TXT", 900)
    v.write("Old Tree/second file.txt", 3 * cb)
    v.mkdir("Old Tree/SUB")
    v.write("Old Tree/SUB/S1.TXT", 64)
    v.write("Old Tree/SUB/sub file long name.txt", cb)
    v.mkdir("ONLYLIVE")
    v.write("ONLYLIVE/L1.TXT", 10)
    split_folder(v, "SPLIT", "JUNK.BIN", "S")

    v.delete("ABC.TXT")
    v.delete("Long name \u00e9t\u00e9 \u00fc.txt")
    v.delete("EMPTY.TXT")
    v.delete("BIG.BIN")
    v.delete("FRAG.BIN")
    v.delete("DOCS/REPORT.DOC")
    v.delete("DOCS/notes for later.txt")
    v.delete("DOCS/todo.txt")
    v.delete("DOCS/Inner dir/deep file.txt")
    v.deltree("Old Tree")
    v.delete("JUNK.BIN")
    v.deltree("SPLIT")


def split_folder(v, folder, junk, prefix):
    """A folder whose entries outgrow its first cluster after a file took the cluster beside it,
    so that its second cluster lies apart from its first; the file's bytes imitate directory
    slots. Once the folder is deleted (or lost), a walk that took the next cluster for the
    folder's would list entries made of the file's contents."""
    cb = v.cluster_bytes()
    v.mkdir(folder)
    v.write(junk, cb, junk_slots(cb))
    for i in range(cb // 32 + 2):  # "." and ".." plus these: four entries past the first cluster
        v.write(f"{folder}/{prefix}{i:02d}.TXT", 100)
    first = v.files[folder]["clusters"]
    if v.files[junk]["clusters"] != [first[0] + 1] or len(first) != 2 or first[1] == first[0] + 1:
        raise SystemExit(f"{v.path}: {folder} {first} and {junk} {v.files[junk]['clusters']} "
                         "are not laid out as the test needs")


def build_reformatted(path, fat_bits, size_kib, spc):
    v = Volume(path, fat_bits, size_kib, spc)
    cb = v.cluster_bytes()
    v.write("FILL.BIN", 4 * cb)   # the new volume's first file lands here, not on the old folders
    v.mkdir("Lost One")
    v.write("Lost One/LOST1.TXT", 500)
    v.write("Lost One/a lost long name.txt", 2 * cb)
    v.mkdir("Lost One/INNER")
    v.write("Lost One/INNER/IN1.TXT", 77)
    v.mkdir("LOST2")
    v.write("LOST2/L2FILE.BIN", cb + 1)
    split_folder(v, "WIDE", "WJUNK.BIN", "W")
    v.reformat()
    v.write("NEW.TXT", cb // 2)
    v.finish()


# The run-control volume: a FAT32 volume with enough deleted files in every pass that a test can
# pause or stop the scan inside the pass it wants, knowing the pass from the deleted-file count
# alone (the passes note their files in this order, and each pass has its own count):
#   root pass     CONTROL_ROOT files in the root
#   live folders  CONTROL_LIVE files in the live folder LIVE
#   deleted walk  CONTROL_DELETED_FOLDERS folders of CONTROL_PER_FOLDER files, each folder in one
#                 cluster, deleted whole
#   lost folders  CONTROL_LOST_FOLDERS folders of CONTROL_PER_FOLDER files from before a quick
#                 reformat, in free clusters past everything written after it
# Every file holds zero bytes: the cluster after a deleted folder's one cluster (a file's data)
# then reads as an end of directory, so no pass picks up entries made of file contents.
CONTROL_ROOT = 3000
CONTROL_LIVE = 3000
CONTROL_DELETED_FOLDERS = 300
CONTROL_LOST_FOLDERS = 200
CONTROL_PER_FOLDER = 10
CONTROL_FILE_BYTES = 100


def build_control(path):
    if os.path.exists(path):
        os.unlink(path)
    run("mkfs.fat", "-C", "-F", "32", "-s", "1", "--invariant", "-i", "1A2B3C4D", "-n", "CONTROL",
        path, "36864")
    work = tempfile.mkdtemp(prefix="fatctl-")
    zeros = bytes(CONTROL_FILE_BYTES)

    def tree(top, folders, prefix):
        os.makedirs(top)
        for d in range(folders):
            folder = os.path.join(top, f"{prefix}{d:03d}")
            os.makedirs(folder)
            for f in range(CONTROL_PER_FOLDER):
                with open(os.path.join(folder, f"F{f:03d}.BIN"), "wb") as out:
                    out.write(zeros)
        return sorted(os.path.join(top, n) for n in os.listdir(top))

    # Before the reformat: a filler that the later files land on, then the lost folders.
    filler = os.path.join(work, "FILL.BIN")
    with open(filler, "wb") as out:
        out.write(bytes(16000 * 512))
    run("mcopy", "-m", "-i", path, filler, "::/")
    run("mcopy", "-s", "-m", "-i", path, *tree(os.path.join(work, "lost"),
                                               CONTROL_LOST_FOLDERS, "X"), "::/")
    run("mkfs.fat", "-F", "32", "-s", "1", "--invariant", "-i", "1A2B3C4D", "-n", "CONTROL", path)

    root = os.path.join(work, "root")
    os.makedirs(root)
    for i in range(CONTROL_ROOT):
        with open(os.path.join(root, f"R{i:04d}.BIN"), "wb") as out:
            out.write(zeros)
    run("mcopy", "-m", "-i", path, *sorted(os.path.join(root, n) for n in os.listdir(root)), "::/")
    live = os.path.join(work, "LIVE")
    os.makedirs(live)
    for i in range(CONTROL_LIVE):
        with open(os.path.join(live, f"L{i:04d}.BIN"), "wb") as out:
            out.write(zeros)
    with open(os.path.join(live, "STAYS.TXT"), "wb") as out:
        out.write(b"live\n")
    run("mcopy", "-s", "-m", "-i", path, live, "::/")
    deleted = tree(os.path.join(work, "deleted"), CONTROL_DELETED_FOLDERS, "D")
    run("mcopy", "-s", "-m", "-i", path, *deleted, "::/")

    run("mdel", "-i", path, "::/R*.BIN", "::/LIVE/L*.BIN")
    run("mdeltree", "-i", path, *("::/" + os.path.basename(d) for d in deleted))
    with open(os.path.splitext(path)[0] + ".counts", "w") as f:
        f.write(f"{CONTROL_ROOT} {CONTROL_LIVE} {CONTROL_DELETED_FOLDERS * CONTROL_PER_FOLDER} "
                f"{CONTROL_LOST_FOLDERS * CONTROL_PER_FOLDER}\n")
    # A volume whose first sector cannot be read: an empty image opens but every read fails.
    open(os.path.join(os.path.dirname(path), "unreadable.img"), "wb").close()


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, bits, kib, spc, big in (("fat12", 12, 1440, 1, 9),
                                      ("fat16", 16, 8192, 2, 6),
                                      ("fat32", 32, 36864, 1, 12)):
        v = Volume(os.path.join(out, name + ".img"), bits, kib, spc)
        populate(v, big)
        v.finish()
    build_reformatted(os.path.join(out, "fat16_reformat.img"), 16, 8192, 2)
    build_reformatted(os.path.join(out, "fat32_reformat.img"), 32, 36864, 1)
    build_control(os.path.join(out, "fat32_control.img"))
    # The builder's own stamp: ctest's fixture checks it exists.
    with open(os.path.join(out, "volumes.done"), "w") as f:
        f.write("ok\n")


if __name__ == "__main__":
    main()
