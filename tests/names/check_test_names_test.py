#!/usr/bin/env python3
"""The test-name check passes readable, stable names and fails each kind of unstable one."""

import contextlib
import io
import os
import sys
import tempfile
import unittest

# The source tree stays as it was checked out: no __pycache__ beside the check.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_test_names  # noqa: E402

READABLE = [
    b"Table/ZipWriterCases.WritesTheArchiveByteForByte/DeflatedJob",
    b"ZipWriterHandles.MissingAndForeignHandlesAreRefused",
    b"Codes/ResultCodes.Keep/WriteFailed0x400",  # a short hex constant is a name, not a pointer
    b"layering_includes",
]


class CheckResult:
    def __init__(self, returncode, stdout):
        self.returncode = returncode
        self.stdout = stdout


def run_check(names):
    """The check as CTest runs it, on a listing of `names`, in this process to stay quick."""
    with tempfile.NamedTemporaryFile("wb", suffix=".txt", delete=False) as listing:
        listing.write(b"\n".join(names) + b"\n")
    try:
        output = io.StringIO()
        with contextlib.redirect_stdout(output):
            returncode = check_test_names.main(["--names", listing.name])
        return CheckResult(returncode, output.getvalue())
    finally:
        os.unlink(listing.name)


class TestNameCheckTest(unittest.TestCase):
    def test_readable_names_pass(self):
        result = run_check(READABLE)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_each_unstable_name_fails_and_is_named(self):
        cases = [
            (b"Table/Scan.Reads/0  # GetParam() = 2-byte object <1B-40>", "GetParam()"),
            (b"Table/Scan.Reads/3  # 16-byte object <70-71 0A-C3>", "the bytes of a printed object"),
            (b"Table/Scan.Reads/Case0x55d5c0a1b2c0", "a pointer-like hex value"),
            (b"Table/Scan.Reads/Esc\x1b@", "not printable ASCII"),
            (b"Table/Scan.Reads/\xe6\x89\x93\xe5\x8d\xb0", "not printable ASCII"),
        ]
        for name, reason in cases:
            with self.subTest(name=name):
                result = run_check(READABLE + [name])
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(reason, result.stdout)
                self.assertIn("in %d test names" % (len(READABLE) + 1), result.stdout)

    def test_a_name_listed_twice_fails(self):
        result = run_check(READABLE + [READABLE[0]])
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertIn("listed twice", result.stdout)

    def test_an_empty_listing_fails(self):
        result = run_check([])
        self.assertEqual(result.returncode, 1, result.stdout)


if __name__ == "__main__":
    unittest.main()
