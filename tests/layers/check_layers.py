#!/usr/bin/env python3
"""Fails when a folder of src/ includes a folder above it in src/LAYERS
(lowest first), or a folder that LAYERS does not name."""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "src")
order = src.joinpath("LAYERS").read_text().split()
rank = {name: i for i, name in enumerate(order)}
include = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.M)

faults = []
for folder in sorted(p for p in src.iterdir() if p.is_dir()):
    if folder.name not in rank:
        faults.append(f"src/{folder.name} is not placed in src/LAYERS")
        continue
    for path in sorted(folder.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".c"):
            continue
        for target in include.findall(path.read_text(errors="replace")):
            if target not in rank:
                faults.append(f"{path.relative_to(src.parent)} includes unknown folder {target}/")
            elif rank[target] > rank[folder.name]:
                faults.append(f"{path.relative_to(src.parent)} includes {target}/, which is above {folder.name}/")

print("\n".join(faults) if faults else f"{len(order)} layers, no upward include")
sys.exit(1 if faults else 0)
