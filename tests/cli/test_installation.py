"""pelgo-cli init / settings / log on a real installation folder."""

import os
import shutil
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


NOBODY = 65534  # the user and the group of the unprivileged writer


@unittest.skipUnless(os.geteuid() == 0, "only root can give pelgo.ini to the administrator and the users' group")
class SharedInstallationTest(InstallationCase):
    """pelgo.ini set up by the administrator for the users of a shared installation, the users' group NOBODY."""

    def setUp(self):
        super().setUp()
        os.chmod(self.tmp.name, 0o755)
        # A copy the user may run wherever the build folder lies.
        program = shutil.copy(CLI, os.path.join(self.tmp.name, "pelgo-cli"))
        self.as_user = {"user": NOBODY, "group": NOBODY, "extra_groups": [], "executable": program}

    def test_settings_write_keeps_the_mode_and_the_group(self):
        ini = os.path.join(self.home, "pelgo.ini")
        as_user = self.as_user
        cases = [
            # what, the file's owner, how pelgo-cli runs, the folder's mode, the owner afterwards
            ("root gives the owner back", NOBODY, {}, 0o755, NOBODY),
            ("a user writes in place what root owns, even where the group may write the folder", 0, as_user, 0o775, 0),
            ("a user writes in place in a folder only root may write", 0, as_user, 0o755, 0),
        ]
        for what, owner, how, folder_mode, owner_after in cases:
            with self.subTest(what):
                # A key the write brings back, so that the write changes the file.
                self.assertEqual(run(self.home, "profile", "delete", ini, "Setup", "BackupCount").returncode, 0)
                os.chown(self.home, 0, NOBODY)
                os.chmod(self.home, folder_mode)
                os.chown(ini, owner, NOBODY)
                os.chmod(ini, 0o660)
                result = run(self.home, "settings", "--write", **how)
                self.assertEqual(result.returncode, 0, result.stderr)
                status = os.stat(ini)
                self.assertEqual((status.st_mode & 0o7777, status.st_gid, status.st_uid), (0o660, NOBODY, owner_after))
                with open(ini, "rb") as f:
                    self.assertIn(b"\r\nBackupCount=2\r\n", f.read())

    def test_settings_write_to_a_file_the_user_may_not_write_fails_with_the_reason(self):
        ini = os.path.join(self.home, "pelgo.ini")
        os.chmod(self.home, 0o777)
        os.chmod(ini, 0o644)
        with open(ini, "rb") as f:
            before = f.read()
        result = run(self.home, "settings", "--write", **self.as_user)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("Cannot write file " + ini + " (Permission denied)", result.stderr)
        self.assertIn("[Setup]\n", result.stdout, "the settings are printed all the same")
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), before)


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
