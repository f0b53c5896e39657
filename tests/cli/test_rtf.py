"""pelgo-cli rtf: the text and paragraph formats of RTF files, and LibreOffice reading what Pelgo writes."""

import os
import shutil
import subprocess
import tempfile
import unittest

from installation_cli import CLI

RICHEDIT = (
    rb"{\rtf1\ansi\ansicpg1251\deff0\nouicompat\deflang1049{\fonttbl{\f0\fnil\fcharset204 Arial;}"
    rb"{\f1\fnil\fcharset2 Symbol;}}" b"\r\n"
    rb"\viewkind4\uc1\pard\qc\b\f0\fs28 \'cf\'eb\'e0\'ed\b0\par" b"\r\n"
    rb"\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\ri210\fs21 "
    rb"\i\ul one\i0\ulnone\tab two\par" b"\r\n"
    rb"{\pntext\f1\'B7\tab}three\line four \u955?\par" b"\r\n"
    # A 1x1 grey PNG: LibreOffice refuses the whole file over a broken picture.
    rb"\pard\qj{\pict\pngblip\picw1\pich1 89504e470d0a1a0a0000000d49484452000000010000000108000000003a7e9b55"
    rb"0000000a49444154789c636000000002000148afa4710000000049454e44ae426082}\par" b"\r\n"
    rb"\pard\fs18\page\qr last\par" b"\r\n}"
)


def rtf(*args):
    return subprocess.run([CLI, "rtf", *args], capture_output=True, text=True, encoding="utf-8")


class RtfTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.file = os.path.join(self.tmp.name, "отчёт.rtf")
        with open(self.file, "wb") as f:
            f.write(RICHEDIT)

    def tearDown(self):
        self.tmp.cleanup()

    def test_text_prints_paragraphs_line_breaks_and_page_breaks(self):
        result = rtf("text", self.file)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "План\none\ttwo\nthree\nfour λ\n\n\f\nlast\n")

    def test_dump_prints_formats_in_points(self):
        result = rtf("dump", self.file)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(
            result.stdout.split("\n"),
            [
                "C\t-\t0\t0\t14\tb\tПлан",
                "L\t*\t18\t10.5\t10.5\tiu\tone\ttwo",
                "L\t*\t18\t10.5\t10.5\t-\tthree↵four λ",
                "J\t-\t0\t0\t10.5\t-\t",
                "\f",
                "R\t-\t0\t0\t9\t-\tlast",
                "",
            ],
        )

    def test_missing_and_broken_files_fail_with_a_message(self):
        broken = os.path.join(self.tmp.name, "broken.rtf")
        with open(broken, "wb") as f:
            f.write(b"PK\x03\x04 not rtf")
        for command in ("text", "dump"):
            for path, message in ((os.path.join(self.tmp.name, "none.rtf"), "none.rtf"), (broken, "not an RTF")):
                with self.subTest(command=command, path=path):
                    result = rtf(command, path)
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(message, result.stderr)
                    self.assertEqual(result.stdout, "")

    def test_copy_writes_what_reads_back_the_same(self):
        copy = os.path.join(self.tmp.name, "copy.rtf")
        self.assertEqual(rtf("copy", self.file, copy).returncode, 0)
        with open(copy, "rb") as f:
            self.assertTrue(f.read().startswith(rb"{\rtf1\ansi\ansicpg1251"))
        self.assertEqual(rtf("dump", copy).stdout, rtf("dump", self.file).stdout)

    @unittest.skipIf(shutil.which("soffice") is None, "LibreOffice (soffice) is not installed")
    def test_libreoffice_reads_our_rtf_as_we_do(self):
        ours = os.path.join(self.tmp.name, "ours.rtf")
        self.assertEqual(rtf("copy", self.file, ours).returncode, 0)
        profile = os.path.join(self.tmp.name, "lo-profile")
        converted = subprocess.run(
            ["soffice", f"-env:UserInstallation=file://{profile}", "--headless",
             "--convert-to", "txt:Text (encoded):UTF8", "--outdir", self.tmp.name, ours],
            capture_output=True, text=True, timeout=300,
        )
        self.assertEqual(converted.returncode, 0, converted.stderr)
        with open(os.path.join(self.tmp.name, "ours.txt"), encoding="utf-8-sig") as f:
            theirs = f.read().split("\n")
        # LibreOffice prints list labels ("    • ") and shows page breaks not at all; we print neither label
        # nor anything but a form feed line.
        theirs = [line.split("• ", 1)[1] if "• " in line else line for line in theirs]
        mine = [line for line in rtf("text", ours).stdout.split("\n") if line != "\f"]
        self.assertEqual(theirs, mine)


if __name__ == "__main__":
    unittest.main()
