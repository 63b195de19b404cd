#!/usr/bin/env python3
"""Builds the two demo volumes that scripts/demo.sh maps as drives and the start window's tests
scan: a FAT32 and an NTFS volume holding ordinary-looking documents, photos and folders, some
of them deleted (files in live folders, whole deleted folder trees), with the fatvol and
ntfsvol builders of tools/.

    build_demo_volumes.py OUTDIR      writes OUTDIR/demo_fat32.img and OUTDIR/demo_ntfs.img,
                                      each with a JSON manifest of what was deleted

The NTFS volume needs ntfs-3g over FUSE (root or FUSE rights); without it only the FAT32
volume is made and OUTDIR/NTFS_SKIPPED says why. The same inputs give the same volumes."""

import os
import random
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "fatvol"))
sys.path.insert(0, os.path.join(HERE, "..", "ntfsvol"))

import build_volumes as fatvol  # noqa: E402
import build_ntfs_volumes as ntfsvol  # noqa: E402

VERSION = "1"

# (path, size): what a small household drive might hold.
LIVE = [
    ("Documents/letter to bank.txt", 2300),
    ("Documents/recipes/bread.txt", 1800),
    ("Photos/2009/beach.jpg", 61000),
]
DELETED_FILES = [
    ("Documents/tax return 2009.pdf", 48000),
    ("Documents/recipes/apple pie.txt", 2100),
    ("Photos/2009/birthday.jpg", 83000),
    ("notes.txt", 900),
]
DELETED_TREE = "Holiday"
TREE = [
    ("Holiday/plan.txt", 1500),
    ("Holiday/pictures/lake.jpg", 52000),
    ("Holiday/pictures/hills.jpg", 47000),
]


def folders_of(paths):
    out = []
    for p, _ in paths:
        parts = p.split("/")[:-1]
        for i in range(1, len(parts) + 1):
            f = "/".join(parts[:i])
            if f not in out:
                out.append(f)
    return out


def build_fat32(path):
    v = fatvol.Volume(path, 32, 36864, 1)
    everything = LIVE + DELETED_FILES + TREE
    for folder in folders_of(everything):
        v.mkdir(folder)
    for p, size in everything:
        v.write(p, size)
    for p, _ in DELETED_FILES:
        v.delete(p)
    v.deltree(DELETED_TREE)
    v.finish()


def build_ntfs(path):
    rng = random.Random(7)
    v = ntfsvol.Volume(path, 16, 4096)
    with v:
        for p, size in LIVE + DELETED_FILES + TREE:
            v.write(p, fatvol.content(p, size))
    with v:
        for p, _ in DELETED_FILES:
            v.delete(p)
        v.delete(DELETED_TREE)
    v.manifest()


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    stamp = os.path.join(out, "demo.stamp")
    if os.path.exists(stamp) and open(stamp).read() == VERSION:
        return 0
    build_fat32(os.path.join(out, "demo_fat32.img"))
    skipped = os.path.join(out, "NTFS_SKIPPED")
    if os.path.exists(skipped):
        os.unlink(skipped)
    if not os.path.exists("/dev/fuse") or not os.access("/dev/fuse", os.R_OK | os.W_OK):
        open(skipped, "w").write("no usable /dev/fuse: ntfs-3g cannot write the NTFS volume\n")
    else:
        try:
            build_ntfs(os.path.join(out, "demo_ntfs.img"))
        except (subprocess.CalledProcessError, FileNotFoundError) as e:
            err = getattr(e, "stderr", b"") or b""
            open(skipped, "w").write("building the NTFS volume failed: %s %s\n"
                                     % (e, err.decode(errors="replace")))
    open(stamp, "w").write(VERSION)
    return 0


if __name__ == "__main__":
    sys.exit(main())
