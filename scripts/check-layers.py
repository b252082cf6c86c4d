#!/usr/bin/env python3
"""Checks that the core library's family folders include one another in one direction only.

Each folder of src/ops may include headers of the folders before it in LAYERS and of its
own folder, nothing after it: core knows nothing of loading, filters nothing of
segmentation, and only table/ knows the operation table. Prints every offending include
with its file and line, and exits 1 when there is one.
"""
import pathlib
import re
import sys

LAYERS = ["core", "io", "filters", "morphology", "selection", "segmentation", "measure", "classify", "table"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"ops/([^/"]+)/[^"]+"')


def offences(ops: pathlib.Path):
    rank = {name: i for i, name in enumerate(LAYERS)}
    for path in sorted(ops.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(ops).parts[0]
        if folder not in rank:
            yield f"{path}: folder {folder} is not one of {', '.join(LAYERS)}"
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if target not in rank:
                yield f"{path}:{number}: includes unknown folder {target}"
            elif rank[target] > rank[folder]:
                yield f"{path}:{number}: {folder}/ may not include {target}/ (it comes later)"


def main():
    ops = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/ops")
    found = list(offences(ops))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
