#!/usr/bin/env python3
"""The layering check fails a copy of the tree with one wrong include, and passes the copy without.

Run as `check_layering_test.py SOURCE_ROOT`. Each case copies the source folders to a scratch
folder, adds one line to one file and runs the check as CTest runs it.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

# The source tree stays as it was checked out: no __pycache__ beside the check.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, "check_layering.py")
sys.path.insert(0, HERE)
import check_layering  # noqa: E402

SOURCE_ROOT = None


class ScratchTree:
    """A copy of the source folders that a case may spoil."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="tesk-layering-")
        for name in check_layering.source_folders(SOURCE_ROOT):
            if name in check_layering.ALLOWED:
                shutil.copytree(os.path.join(SOURCE_ROOT, name), os.path.join(self.folder, name),
                                ignore=shutil.ignore_patterns("build*", "*.png", "*.zip"))

    def append(self, relative, line):
        path = os.path.join(self.folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "a", encoding="utf-8") as source:
            source.write(line + "\n")

    def run_check(self):
        return subprocess.run([sys.executable, CHECK, self.folder], capture_output=True, text=True)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)


class LayeringCheckTest(unittest.TestCase):
    def setUp(self):
        self.tree = ScratchTree()

    def tearDown(self):
        self.tree.remove()

    def assertRejected(self, relative, line, expected_words):
        self.tree.append(relative, line)
        result = self.tree.run_check()
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn(relative, result.stdout)
        self.assertIn(expected_words, result.stdout)

    def test_untouched_copy_passes(self):
        result = self.tree.run_check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout, "")

    def test_capture_including_core_fails(self):
        self.assertRejected("capture/capture_decoder.cpp", '#include "core/raster_source.h"',
                            "capture/ may not include core/raster_source.h")

    def test_sideways_include_between_subsystems_fails(self):
        self.assertRejected("image/png_file.cpp", '#include "zip/zip_writer.h"', "image/ may not include")

    def test_platform_including_anything_above_it_fails(self):
        self.assertRejected("platform/file_system.h", '#include "commands/command_scanner.h"',
                            "platform/ may not include")

    def test_core_including_the_window_fails(self):
        self.assertRejected("core/conversion_run.cpp", '#include "app/tesk_dlg.h"', "core/ may not include")

    def test_relative_path_is_resolved_before_it_is_judged(self):
        self.assertRejected("zip/zip_reader.cpp", '#include "../core/run_types.h"', "zip/ may not include")

    def test_qt_outside_the_window_fails(self):
        self.assertRejected("core/raster_source.h", "#include <QImage>", "core/ includes Qt (QImage)")

    def test_library_including_test_code_fails(self):
        self.assertRejected("usbcap/usb_capture.cpp", '#include "tests/support/temp_folder.h"',
                            "usbcap/ includes tests/")

    def test_folder_missing_from_the_table_fails(self):
        self.tree.append("stray/stray.cpp", '#include "platform/file_system.h"')
        result = self.tree.run_check()
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("stray/: a source folder the layering table does not know", result.stdout)

    def test_allowed_edges_pass(self):
        self.tree.append("cli/main.cpp", '#include "platform/file_system.h"')
        self.tree.append("view/zoom_ctrl.cpp", '#include "image/dib_image.h"')
        self.tree.append("printer/paper.cpp", '#include "commands/command_scanner.h"')
        self.tree.append("live/print_server.cpp", '#include "core/conversion_run.h"')
        self.tree.append("app/tesk_dlg.cpp", '#include "live/print_server.h"')
        self.tree.append("capture/capture_decoder.cpp", "#include <zlib.h>")
        result = self.tree.run_check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print("usage: check_layering_test.py SOURCE_ROOT", file=sys.stderr)
        sys.exit(2)
    SOURCE_ROOT = sys.argv.pop(1)
    unittest.main(verbosity=1)
