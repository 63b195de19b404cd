#!/usr/bin/env python3
"""Draws the program's own pictures and writes them, with a resource script naming each one,
into an output folder:  make_program_art.py OUTDIR

The pictures come from the modules listed in WINDOW_MODULES (one per window or group of
windows, each with a pictures() function returning {resource name: Img}); a module may also
offer icons() returning {resource name: [Img, ...]}. Add a window's art as a new module and
list it here. Everything is drawn from simple shapes; nothing is copied from elsewhere."""

import importlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import art  # noqa: E402

WINDOW_MODULES = ["common", "start_window", "message_box", "results_window"]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    icons = []
    names = set()
    for module_name in WINDOW_MODULES:
        module = importlib.import_module(module_name)
        for name, img in sorted(module.pictures().items()):
            if name in names:
                raise SystemExit("picture %s drawn twice" % name)
            names.add(name)
            file_name = name.lower() + ".bmp"
            img.save_bmp(os.path.join(out, file_name))
            lines.append('%s BITMAP "%s"' % (name, os.path.join(os.path.abspath(out), file_name)))
        if hasattr(module, "icons"):
            for name, images in sorted(module.icons().items()):
                file_name = name.lower() + ".ico"
                art.save_ico(images, os.path.join(out, file_name))
                icons.append('%s ICON "%s"' % (name, os.path.join(os.path.abspath(out), file_name)))
    with open(os.path.join(out, "program_art.rc"), "w") as f:
        f.write("// Drawn by tools/program_art/make_program_art.py\n")
        # The first icon of the program is the one the shell shows for it.
        f.write("\n".join(icons + lines) + "\n")


if __name__ == "__main__":
    main()
