#!/usr/bin/env python3
"""Holds every #include in the library folders against one table of allowed folder edges.

Every library target puts the repository root on its include path, so the compiler alone
would let capture/ include core/. This check is what keeps the arrows pointing one way:
run it as `check_layering.py SOURCE_ROOT`; it prints each include that crosses an edge the
table does not have and exits 1, or exits 0 when the tree keeps the rules.
"""

import os
import re
import sys

# Which library folder may include which. A folder may also include everything its
# allowed folders may include (core sees platform through capture, and so on).
ALLOWED = {
    "platform": [],
    "capture": ["platform"],
    "image": ["platform"],
    "zip": ["platform"],
    "usbcap": ["platform"],
    "commands": ["platform"],
    "printer": ["commands", "image", "platform"],
    "core": ["capture", "image", "zip", "usbcap", "commands", "printer", "platform"],
    "live": ["core", "platform"],
    "view": ["image"],
    "app": ["core", "view", "live"],
    "cli": ["core", "live"],
}

# Only the window folders may see Qt; everything below them builds without it.
QT_FOLDERS = {"app", "view"}

# Folders that build test aids, benchmarks, fuzz targets and sample makers: they may
# include any library, and no library may include them.
FREE_FOLDERS = {"tests", "bench", "fuzz", "tools"}

# Folders that hold no C++ of ours.
IGNORED_FOLDERS = {".git", "cmake", "docs", "samples", "scripts", "profiles"}

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
ANGLE_INCLUDE = re.compile(r"^\s*#\s*include\s*<([^>]+)>")
QT_HEADER = re.compile(r"^Qt|^Q[A-Z]")


def reachable(folder):
    """The folders `folder` may include: itself and everything below it in the table."""
    seen = {folder}
    pending = list(ALLOWED.get(folder, []))
    while pending:
        below = pending.pop()
        if below not in seen:
            seen.add(below)
            pending.extend(ALLOWED.get(below, []))
    return seen


def is_build_folder(name):
    return name.startswith("build") or name.startswith(".")


def source_folders(root):
    """Every top-level folder that holds sources, with the files in it."""
    folders = {}
    for name in sorted(os.listdir(root)):
        top = os.path.join(root, name)
        if not os.path.isdir(top) or name in IGNORED_FOLDERS or is_build_folder(name):
            continue
        files = []
        for directory, subfolders, names in os.walk(top):
            subfolders[:] = sorted(s for s in subfolders if not is_build_folder(s))
            files.extend(os.path.join(directory, n) for n in sorted(names) if n.endswith(SOURCE_SUFFIXES))
        if files:
            folders[name] = files
    return folders


def included_folder(root, including_file, target):
    """The top-level folder an include names, or None for a header beside the includer."""
    if "/" not in target:
        return None
    if target.startswith("."):
        resolved = os.path.normpath(os.path.join(os.path.dirname(including_file), target))
        target = os.path.relpath(resolved, root)
    return target.split("/", 1)[0]


def check(root):
    problems = []
    folders = source_folders(root)
    for folder, files in folders.items():
        if folder not in ALLOWED and folder not in FREE_FOLDERS:
            problems.append(f"{folder}/: a source folder the layering table does not know; give it a row")
            continue
        allowed = None if folder in FREE_FOLDERS else reachable(folder)
        for path in files:
            relative = os.path.relpath(path, root)
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    quoted = QUOTED_INCLUDE.match(line)
                    if quoted:
                        target = included_folder(root, path, quoted.group(1))
                        # Headers of other projects are no edge of ours.
                        if target is None or target == folder or target not in ALLOWED.keys() | FREE_FOLDERS:
                            continue
                        if target in FREE_FOLDERS and folder not in FREE_FOLDERS:
                            problems.append(f"{relative}:{number}: {folder}/ includes {target}/ (test and tool code)")
                        elif allowed is not None and target not in allowed:
                            problems.append(f"{relative}:{number}: {folder}/ may not include {quoted.group(1)}")
                        continue
                    angle = ANGLE_INCLUDE.match(line)
                    if (angle and allowed is not None and folder not in QT_FOLDERS
                            and QT_HEADER.match(angle.group(1))):
                        problems.append(f"{relative}:{number}: {folder}/ includes Qt ({angle.group(1)})")
    return problems


def main(argv):
    if len(argv) != 2:
        print("usage: check_layering.py SOURCE_ROOT", file=sys.stderr)
        return 2
    problems = check(argv[1])
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the layering", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
