"""pelgo-cli init / settings / log on a real installation folder."""

import os
import subprocess
import unittest

from installation_cli import CLI, InstallationCase, run


class InstallationTest(InstallationCase):
    def ini(self):
        with open(os.path.join(self.home, "pelgo.ini"), "rb") as f:
            return f.read()

    def settings(self, *args):
        result = run(self.home, "settings", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def test_init_makes_a_ready_installation_and_refuses_to_overwrite_it(self):
        base = os.path.join(self.home, "BASE")
        self.assertTrue(os.path.isfile(os.path.join(base, "device.dbf")))
        self.assertTrue(os.path.isfile(os.path.join(base, "other.dbf")))
        ini = self.ini().decode("cp1251")
        for line in ("Path=.\\BASE\\", "NCNedit=^Компьютер", "BackupCount=2", "MainProgram=" + self.home + "/pelgo 2.22.05"):
            self.assertIn(line + "\r\n", ini)
        before = self.ini()
        again = run(self.home, "init")
        self.assertNotEqual(again.returncode, 0)
        self.assertIn("already holds an installation", again.stderr)
        self.assertEqual(self.ini(), before)

    def test_settings_print_the_effective_values_in_key_table_order(self):
        lines = self.settings().splitlines()
        self.assertEqual(lines[:3], ["[Program]", "MainProgram=" + self.home + "/pelgo 2.22.05", "[Setup]"])
        self.assertIn("Path=" + self.home + "/BASE/", lines)
        self.assertIn("StructTreeView=" + self.home + "/BASE/struct", lines)
        self.assertIn("NCNedit=Компьютер", lines)
        self.assertLess(lines.index("[Setup]"), lines.index("[Other]"))
        self.assertLess(lines.index("[Version_info]"), lines.index("[Language]"))

    def test_write_then_read_changes_nothing_but_the_write_stamp(self):
        unstamped = lambda text: [line for line in text.splitlines() if " Write " not in line]
        before = self.settings()
        ini_before = self.ini()
        self.settings("--write")
        self.assertEqual(unstamped(self.settings()), unstamped(before))
        self.assertEqual(sorted(unstamped(self.ini().decode("cp1251"))), sorted(unstamped(ini_before.decode("cp1251"))))

    def test_looking_at_the_settings_writes_nothing(self):
        ini_before = self.ini()
        log = os.path.join(self.home, "pelgo.log")
        log_size = os.path.getsize(log)
        self.settings()
        self.assertEqual(self.ini(), ini_before)
        self.assertEqual(os.path.getsize(log), log_size)

    def test_log_writes_one_line_as_the_current_user(self):
        result = run(self.home, "log", "Проверка связи")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(self.home, "pelgo.log"), "rb") as f:
            lines = f.read().decode("cp1251").split("\r\n")
        self.assertRegex(lines[-2], r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d \S+ Проверка связи$")


if __name__ == "__main__":
    unittest.main()


class PresenceTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.other = os.path.join(self.home, "BASE", "other.dbf")

    def table_bytes(self):
        with open(self.other, "rb") as f:
            return f.read()

    def append(self, *values):
        result = subprocess.run([CLI, "dbf", "append", self.other, *values], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_lists_present_instances_and_the_marker_without_writing(self):
        self.append("_Multi_User_", "", "PETROVWS-02_____", "PETROV Компьютер WS-02 [ 10.03.2026 15:00:00 ]")
        self.append("_Multi_User_", "Exclusive", "SIDOROVWS-03____", "SIDOROV Компьютер WS-03 [ 10.03.2026 15:01:00 ]")
        self.append("_Multi_User_", "", "GONEWS-04_______", "")
        before = self.table_bytes()
        result = run(self.home, "presence")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(
            result.stdout.splitlines(),
            [
                "PETROV Компьютер WS-02 [ 10.03.2026 15:00:00 ]",
                "SIDOROV Компьютер WS-03 [ 10.03.2026 15:01:00 ] Exclusive",
                "status: 1",
            ],
        )
        self.assertEqual(self.table_bytes(), before)

    def test_nobody_present(self):
        result = run(self.home, "presence")
        self.assertEqual(result.stdout, "status: 0\n")
