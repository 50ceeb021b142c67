#!/usr/bin/env python3
"""tools/make-dist, the packing of `make dist`, run on a copy of the
repository's texts and tools with this build's executable: what the zip
holds, that every text ships in code page 1251 with CR LF and the version
filled in, that the same inputs give the same bytes, and that a text the
machines could not show or a missing one stops the packing.

    make_dist_test.py SOURCE_DIR KIVEDT_EXE KIVCHECK_EXE win64|win32
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE, KIVEDT, KIVCHECK, ARCH = sys.argv[1:5]
PROGRAMS = {"KivEdt.exe": KIVEDT, "KivCheck.exe": KIVCHECK}
TEXTS = ["GUIDE-ru.txt", "KivEdt.ini", "UDB/EXAMPLE.UDB", "WINNT-SIF.txt"]


def version():
    with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"^project\(KivEditor VERSION ([0-9.]+)", f.read(), re.M).group(1)


class MakeDist(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = self.tmp.name
        for name in ("dist-src", "tools"):
            shutil.copytree(os.path.join(SOURCE, name), os.path.join(self.root, name))
        shutil.copy(os.path.join(SOURCE, "CMakeLists.txt"), self.root)
        os.makedirs(os.path.join(self.root, "build", ARCH))
        for name, path in PROGRAMS.items():
            shutil.copy(path, os.path.join(self.root, "build", ARCH, name))
        self.top = f"KivEditor-{version()}-{ARCH}"
        self.zip = os.path.join(self.root, "dist", self.top + ".zip")

    def tearDown(self):
        self.tmp.cleanup()

    def pack(self):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1765356307")
        return subprocess.run([os.path.join(self.root, "tools", "make-dist"), ARCH], capture_output=True,
                              text=True, env=env)

    def test_the_zip_holds_the_program_and_every_text_as_windows_reads_it(self):
        result = self.pack()
        self.assertEqual(result.returncode, 0, result.stderr)
        with zipfile.ZipFile(self.zip) as z:
            self.assertEqual(sorted(z.namelist()),
                             sorted([f"{self.top}/", f"{self.top}/UDB/"] + [f"{self.top}/{p}" for p in PROGRAMS] +
                                    [f"{self.top}/{t}" for t in TEXTS]))
            for name, path in PROGRAMS.items():
                with open(path, "rb") as f:
                    self.assertEqual(z.read(f"{self.top}/{name}"), f.read(), name)
            for text in TEXTS:
                with open(os.path.join(SOURCE, "dist-src", text), encoding="utf-8") as f:
                    source = f.read()
                shipped = z.read(f"{self.top}/{text}")
                expected = source.replace("@VERSION@", version()).replace("\n", "\r\n").encode("cp1251")
                self.assertEqual(shipped, expected, text)
                self.assertNotIn(b"@VERSION@", shipped, text)
                self.assertTrue(shipped.endswith(b"\r\n"), text)

    def test_the_same_inputs_give_the_same_bytes(self):
        self.assertEqual(self.pack().returncode, 0)
        with open(self.zip, "rb") as f:
            first = f.read()
        self.assertEqual(self.pack().returncode, 0)
        with open(self.zip, "rb") as f:
            self.assertEqual(f.read(), first)

    def test_a_text_code_page_1251_lacks_or_a_missing_one_stops_the_packing(self):
        guide = os.path.join(self.root, "dist-src", "GUIDE-ru.txt")
        with open(guide, "a", encoding="utf-8") as f:
            f.write("Готово ✓\n")
        result = self.pack()
        self.assertEqual(result.returncode, 1)
        self.assertIn("dist-src/GUIDE-ru.txt holds text that code page 1251 cannot show", result.stderr)
        self.assertFalse(os.path.exists(self.zip))

        os.remove(os.path.join(self.root, "dist-src", "WINNT-SIF.txt"))
        result = self.pack()
        self.assertEqual(result.returncode, 1)
        self.assertIn("dist-src/WINNT-SIF.txt is missing", result.stderr)
        self.assertFalse(os.path.exists(self.zip))


class AnswerFileLines(unittest.TestCase):
    """WINNT-SIF.txt starts the program from where KivEdt.ini expects to lie."""

    def keys(self, name):
        # Section and key as an INF file has them: ";" starts a comment, one
        # pair of quotes around the value goes.
        keys, section = {}, None
        with open(os.path.join(SOURCE, "dist-src", name), encoding="utf-8") as f:
            for line in f:
                line = line.split(";", 1)[0].strip()
                if line.startswith("["):
                    section = line.strip("[]").lower()
                elif "=" in line:
                    key, value = (part.strip() for part in line.split("=", 1))
                    keys[(section, key.lower())] = value[1:-1] if value.startswith('"') else value
        return keys

    def test_setup_copies_the_program_and_starts_it_beside_its_configuration(self):
        sif = self.keys("WINNT-SIF.txt")
        self.assertEqual(sif[("unattended", "oempreinstall")], "Yes")
        folder, program = sif[("guiunattended", "detachedprogram")].rsplit("\\", 1)
        self.assertEqual(program, "KivEdt.exe")
        self.assertEqual(self.keys("KivEdt.ini")[("udb", "path")], folder + r"\UDB")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
