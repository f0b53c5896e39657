"""pelgo-cli collector and motherboard: signatures, format recognition, short names and board names, with the
shipped reference data and with the tables of an installation; init writes the adapter-vendor list."""

import os
import subprocess
import tempfile
import unittest

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")
TEST_DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
AWARD_BIOS = "Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A79AA0EC-00"


def run(*args, env_extra=None):
    env = {k: v for k, v in os.environ.items() if k != "PELGO_HOME"}
    env.update(env_extra or {})
    return subprocess.run([CLI, *args], capture_output=True, text=True, encoding="utf-8", timeout=60, env=env)


class CollectorCommandsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.tmp = os.path.join(self.dir.name, "tmp")
        os.mkdir(self.tmp)

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, text):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp1251"))
        return path

    def check(self, *args, env_extra=None):
        result = run(*args, env_extra=env_extra)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def init(self):
        home = os.path.join(self.dir.name, "home")
        self.check("--home", home, "init")
        return home

    def test_shortname(self):
        for name, short in [("0050BA1C2D3E", "050BA1C2.D3E"), ("1050BA1C2D3E", "1050BA1C.2D3"), ("PC15", "PC15.")]:
            self.assertEqual(self.check("collector", "shortname", name), short + "\n")

    def test_signature(self):
        good = "4C50-0000-0000-0000-0000-0000-0000-0000"
        cases = [
            ("[Info]\na=b\n[Signature]\n0=" + good + "\n", good, "Ok"),
            ("[Info]\na = b\n[Сведения]\n\n[Signature]\n0=" + good + "\n", good, "Ok"),
            ("[Info]\na=c\n[Signature]\n0=" + good + "\n", "4C60-0000-0000-0000-0000-0000-0000-0000", "BAD"),
            ("[Info]\na=b\n", good, "BAD"),
        ]
        for text, computed, verdict in cases:
            path = self.write("файл.ini", text)
            stored = good if "Signature" in text else ""
            self.assertEqual(
                self.check("collector", "signature", path),
                f"computed {computed}\nstored   {stored}\n{verdict}\n",
                text,
            )
        missing = run("collector", "signature", os.path.join(self.dir.name, "missing.ini"))
        self.assertEqual(missing.returncode, 2)
        self.assertIn("Cannot open file", missing.stderr)

    def test_recognise_with_the_shipped_rules(self):
        own = self.write("0050BA1C2D3E", "[Info]\nParam_0=scanlet.exe\nMAC_Addr=0050BA1C2D3E\n")
        self.assertEqual(self.check("collector", "recognise", own), own + "\n")

        report = os.path.join(TEST_DATA, "aida32_report.ini")
        out = self.check("collector", "recognise", report, env_extra={"TMPDIR": self.tmp}).splitlines()
        converted = os.path.join(self.tmp, f"pelgo-{os.geteuid()}", "pelgotmp.ini")
        self.assertEqual(out[0], converted)
        self.assertEqual(out[1:4], ["[Info]", "MAC_Addr=000EA61C2D3E", "Computer_Name=BUH-12"])
        self.assertIn("Current_User_Name=Петрова", out)
        self.assertIn("CPU0=Intel Pentium 4 HT, 3000 MHz", out)
        self.assertTrue(os.path.exists(converted))

    def test_recognise_with_an_installation(self):
        home = self.init()
        work = os.path.join(self.dir.name, "work")
        ini = os.path.join(home, "pelgo.ini")
        self.check("profile", "set", ini, "Setup", "WorkDir", work)
        self.check("profile", "set", ini, "Setup", "UseWorkDir", "1")
        report = os.path.join(TEST_DATA, "aida32_report.ini")
        out = self.check("--home", home, "collector", "recognise", report, env_extra={"TMPDIR": self.tmp})
        self.assertEqual(out.splitlines()[0], os.path.join(self.tmp, f"pelgo-{os.geteuid()}", "pelgotmp.ini"))
        self.assertFalse(os.path.exists(work), "a work folder every user may share holds no private file")

        os.remove(os.path.join(home, "BASE", "cfg_conv"))
        self.assertEqual(
            self.check("--home", home, "collector", "recognise", report, env_extra={"TMPDIR": self.tmp}), report + "\n")
        with open(os.path.join(home, "pelgo.log"), "rb") as f:
            self.assertIn(b"Unknown format in Ini-file " + report.encode(), f.read())

    def test_motherboard_with_the_shipped_tables(self):
        cases = [
            (AWARD_BIOS, "ASUSTeK Computer 6A79A I865PE"),
            ("Intel(R) Corporation $IBIOSI$RL86510A.86A.0085.P21", "RL86510A.86A Intel D865PERL"),
            ("AMIBIOS (C)2001 51-0102-1101-00111111-101094-I845", "American Megatrends Intel 845"),
            ("innotek GmbH VirtualBox", "VirtualBox virtual machine"),
            ("Неизвестный BIOS", ""),
        ]
        for bios, board in cases:
            self.assertEqual(self.check("motherboard", bios), board + "\n", bios)

    def test_motherboard_with_the_tables_of_an_installation(self):
        home = self.init()
        base = os.path.join(home, "BASE")
        with open(os.path.join(base, "awrdbios"), "wb") as f:
            f.write("A0 Асустек\r\n".encode("cp1251"))
        self.assertEqual(self.check("--home", home, "motherboard", AWARD_BIOS), "Асустек 6A79A I865PE\n")

        ini = os.path.join(home, "pelgo.ini")
        self.check("profile", "set", ini, "Setup", "AwardBIOScode", "missing_table")
        self.assertEqual(self.check("--home", home, "motherboard", AWARD_BIOS), "\n")
        with open(os.path.join(home, "pelgo.log"), "rb") as f:
            self.assertIn(b"File not found " + os.path.join(base, "missing_table").encode(), f.read())

    def test_init_writes_the_adapter_vendor_list(self):
        if not os.path.exists("/usr/share/ieee-data/oui.csv"):
            self.skipTest("ieee-data is not installed")
        base = os.path.join(self.init(), "BASE")
        self.assertFalse(os.path.exists(os.path.join(base, "README")))
        with open(os.path.join(base, "maclist"), "rb") as f:
            data = f.read()
        lines = data.split(b"\r\n")
        self.assertEqual(lines[-1], b"")
        prefixes = [line[:6] for line in lines[:-1]]
        self.assertGreater(len(prefixes), 10000)
        self.assertEqual(prefixes, sorted(set(prefixes)))
        self.assertIn(b"00E04C REALTEK SEMICONDUCTOR CORP.", lines)
        data.decode("cp1251")


if __name__ == "__main__":
    unittest.main()
