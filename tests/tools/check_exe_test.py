#!/usr/bin/env python3
"""The import checker itself: a program built to import what Windows XP lacks
must be refused, each fault named; the shipped program must pass.

    check_exe_test.py CHECK_EXE PLANTED_EXE KIVEDT_EXE i386|x86-64
"""
import subprocess
import sys
import unittest

CHECK_EXE, PLANTED, KIVEDT, ARCH = sys.argv[1:5]


def run(*args):
    return subprocess.run([CHECK_EXE, *args], capture_output=True, text=True)


class CheckExe(unittest.TestCase):
    def test_planted_imports_and_header_are_refused_each_by_name(self):
        result = run(PLANTED, ARCH)
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        for fault in ("KERNEL32.dll GetTickCount64", "KERNEL32.dll GetFileInformationByHandleEx",
                      "COMCTL32.dll DefSubclassProc", "OS version is 6.0", "subsystem version is 6.0"):
            self.assertIn(fault.lower(), result.stderr.lower())

    def test_the_other_architecture_is_refused(self):
        other = "x86-64" if ARCH == "i386" else "i386"
        result = run(KIVEDT, other)
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"not pei-{other}", result.stderr)

    def test_the_shipped_program_passes_and_names_what_2000_lacks(self):
        result = run(KIVEDT, ARCH)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("imports are exported by", result.stdout)
        if ARCH == "i386":
            self.assertIn("Windows 2000 SP4", result.stdout)

    def test_an_import_off_the_list_is_refused(self):
        # The same program against a list that lacks one of its imports.
        import os
        import tempfile
        here = os.path.dirname(os.path.abspath(CHECK_EXE))
        name = "x86.txt" if ARCH == "i386" else "x64.txt"
        with open(os.path.join(here, "exports", name), encoding="utf-8") as f:
            lines = [line for line in f if not line.startswith("KERNEL32 CreateFileA ")]
        with tempfile.TemporaryDirectory() as lists:
            with open(os.path.join(lists, name), "w", encoding="utf-8") as f:
                f.writelines(lines)
            env = dict(os.environ, KIV_EXPORT_LISTS=lists)
            result = subprocess.run([CHECK_EXE, KIVEDT, ARCH], capture_output=True, text=True, env=env)
        self.assertEqual(result.returncode, 1)
        self.assertIn("KERNEL32.dll CreateFileA", result.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
