#!/usr/bin/env python3
"""Every CTest name is readable and the same in every build of one commit.

Run as `check_test_names.py CTEST BUILD_FOLDER`: lists the build's tests with `ctest -N` and
fails (status 1) naming each test whose name shows a printed value rather than a name from a
table's name generator. Run as `check_test_names.py --names FILE` to judge a list of names, one a
line, as the check's own test does.
"""

import re
import subprocess
import sys

# What GoogleTest prints where a table has no name generator: the value itself ("# GetParam() =
# ..."), the bytes of an object it cannot print ("8-byte object <...>"), or the pointers inside
# one. Printed pointers differ from build to build, and so would the names.
UNSTABLE_MARKS = [
    (re.compile(r"GetParam\(\)"), "a printed parameter (GetParam())"),
    (re.compile(r"-byte object <"), "the bytes of a printed object"),
    (re.compile(r"0x[0-9A-Fa-f]{8,}"), "a pointer-like hex value"),
]

LISTED_TEST = re.compile(rb"^\s*Test\s+#\d+: (.*?)\r?$")


def problems_of(name):
    """What is wrong with one test name (bytes); empty when nothing is."""
    found = []
    if any(byte < 0x20 or byte > 0x7E for byte in name):
        found.append("bytes that are not printable ASCII")
    text = name.decode("ascii", errors="replace")
    found.extend(reason for pattern, reason in UNSTABLE_MARKS if pattern.search(text))
    return found


def listed_names(ctest, build_folder):
    result = subprocess.run([ctest, "-N", "--test-dir", build_folder], capture_output=True, check=False)
    if result.returncode != 0:
        sys.stdout.write("ctest -N failed:\n" + result.stderr.decode(errors="replace"))
        return None
    return [match.group(1) for line in result.stdout.splitlines() if (match := LISTED_TEST.match(line))]


def main(arguments):
    if len(arguments) == 2 and arguments[0] == "--names":
        with open(arguments[1], "rb") as listing:
            names = [line.rstrip(b"\r\n") for line in listing if line.strip()]
    elif len(arguments) == 2:
        names = listed_names(arguments[0], arguments[1])
        if names is None:
            return 1
    else:
        sys.stderr.write("usage: check_test_names.py CTEST BUILD_FOLDER | --names FILE\n")
        return 2
    if not names:
        sys.stdout.write("no tests listed\n")
        return 1

    failures = 0
    for name in names:
        for problem in problems_of(name):
            sys.stdout.write("%s: %s\n" % (name.decode("ascii", errors="backslashreplace"), problem))
            failures += 1
    seen = set()
    for name in names:
        if name in seen:
            sys.stdout.write("%s: listed twice\n" % name.decode("ascii", errors="backslashreplace"))
            failures += 1
        seen.add(name)
    if failures:
        sys.stdout.write("%d problem(s) in %d test names\n" % (failures, len(names)))
        return 1
    sys.stdout.write("%d test names, all readable and stable\n" % len(names))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
