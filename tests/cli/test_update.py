"""pelgo-cli update: generated collector files loaded into a fresh installation, then loaded again."""

import collections
import fcntl
import os
import random
import signal
import subprocess
import time
import unittest

import dbfread

from installation_cli import CLI, InstallationCase, run

GENERATOR = os.environ.get("PELGO_GENERATOR", "collector_generator")


class UpdateTest(InstallationCase):
    def test_a_second_run_with_all_reloads_each_computer_once_and_keeps_its_journal(self):
        files = os.path.join(self.tmp.name, "files")
        made = subprocess.run([GENERATOR, files, "--count", "40", "--seed", "7"], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)

        first = run(self.home, "update", files, "--no-copy")
        self.assertEqual(first.returncode, 0, first.stderr)
        self.assertIn("Добавлено в \"Неоприходованная техника\" новых компьютеров : 40", first.stdout)
        second = run(self.home, "update", files, "--no-copy", "--all")
        self.assertEqual(second.returncode, 0, second.stderr)
        self.assertNotIn("новых компьютеров", second.stdout)
        with open(os.path.join(self.home, "Update.log"), "rb") as f:
            self.assertTrue(f.read().decode("cp1251").endswith("====<< END >>====\r\n"))

        records = list(dbfread.DBF(os.path.join(self.home, "BASE", "device.dbf"), encoding="cp1251"))
        loads = collections.Counter(r["MAC_ADR"] for r in records if r["GROUP"] == "File_Name")
        journal = collections.Counter(r["MAC_ADR"] for r in records if r["GROUP"] == "_Config_log_")
        self.assertEqual(len(loads), 40)
        self.assertEqual(set(loads.values()), {1}, "one load of each computer")
        self.assertEqual(set(journal.values()), {2}, "both load entries")
        addresses = [line.split()[-1] for line in run(self.home, "tree").stdout.splitlines()
                     if line.strip().split()[0] == "4"]
        self.assertEqual(sorted(addresses), sorted(loads), "each computer once in the tree")

    def test_runs_killed_at_any_moment_leave_sound_tables_and_a_complete_tree(self):
        files = os.path.join(self.tmp.name, "files")
        made = subprocess.run([GENERATOR, files, "--count", "1000", "--seed", "11"], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)
        tables = [os.path.join(self.home, "BASE", name) for name in ("device.dbf", "other.dbf")]
        moments = random.Random(20261210)
        for trial in range(4):
            update = subprocess.Popen([CLI, "--home", self.home, "update", files, "--no-copy", "--all"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(moments.uniform(0.05, 0.5))
            update.send_signal(signal.SIGKILL)
            self.assertEqual(update.wait(), -signal.SIGKILL, f"trial {trial}: the run ended before the kill")
            for table in tables:
                check = run(self.home, "dbf", "check", table)
                self.assertEqual(check.returncode, 0, f"trial {trial}: {check.stdout}{check.stderr}")
                self.assertIn("status: sound", check.stdout)
                dbfread.DBF(table, encoding="cp1251", load=True)
            self.assertEqual(run(self.home, "tree").returncode, 0, f"trial {trial}: the tree files are a set")

        finished = run(self.home, "update", files, "--no-copy")
        self.assertEqual(finished.returncode, 0, finished.stderr)
        for table in tables:
            self.assertIn("status: sound", run(self.home, "dbf", "check", table).stdout)
        records = list(dbfread.DBF(os.path.join(self.home, "BASE", "device.dbf"), encoding="cp1251"))
        loads = collections.Counter(r["MAC_ADR"] for r in records if r["GROUP"] == "File_Name")
        self.assertEqual(len(loads), 1000)
        self.assertEqual(set(loads.values()), {1}, "one load of each computer")
        journal = collections.Counter(r["MAC_ADR"] for r in records if r["GROUP"] == "_Config_log_")
        self.assertEqual(set(journal), set(loads), "every computer keeps its journal")
        self.assertLessEqual(max(journal.values()), 5, "one entry per run at most: a doubled journal is not kept")
        addresses = [line for line in run(self.home, "tree").stdout.splitlines() if line.strip().split()[0] == "4"]
        self.assertEqual(len(addresses), 1000, "each computer once in the tree")

    def test_a_run_refuses_while_another_instance_updates(self):
        files = os.path.join(self.tmp.name, "files")
        made = subprocess.run([GENERATOR, files, "--count", "3", "--seed", "5"], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)
        device = os.path.join(self.home, "BASE", "device.dbf")

        # Another process of this user on this workstation is updating: its marker looks like ours.
        with open(os.path.join(self.home, "BASE", "update.lck"), "a+b") as running:
            fcntl.lockf(running, fcntl.LOCK_EX | fcntl.LOCK_NB)
            refused = run(self.home, "update", files, "--no-copy")
        self.assertEqual(refused.returncode, 1)
        self.assertIn("Архив уже обновляется", refused.stderr)
        self.assertEqual(len(dbfread.DBF(device, encoding="cp1251")), 0, "nothing loaded")

        # Another workstation holds the Exclusive marker.
        other = os.path.join(self.home, "BASE", "other.dbf")
        held = run(self.home, "dbf", "append", other, "_Multi_User_", "Exclusive", "PETROVWS-7______________",
                   "PETROV Компьютер WS-7 [ 10.12.2026 09:00:00 ]")
        self.assertEqual(held.returncode, 0, held.stderr)

        refused = run(self.home, "update", files, "--no-copy")
        self.assertEqual(refused.returncode, 1)
        self.assertIn("другим пользователем программы", refused.stderr)
        self.assertIn("PETROV Компьютер WS-7", refused.stderr)
        self.assertEqual(len(dbfread.DBF(device, encoding="cp1251")), 0, "nothing loaded")

    def test_a_run_without_directories_says_what_to_do(self):
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)
        result = run(self.home, "update")
        self.assertEqual(result.returncode, 1)
        self.assertIn("[UpdPatches]", result.stderr)


if __name__ == "__main__":
    unittest.main()
