"""pelgo-cli numbers: synchronising the captions' and the stored inventory numbers as one more instance on the
data, and the read-only check for numbers used twice within a node type."""

import os
import subprocess
import unittest

from installation_cli import CLI, InstallationCase, run

PRINTER = "BBBBBBBBBBBB"
MONITOR = "CCCCCCCCCCCC"
# The bucket, a department with a number in its caption, and its equipment: a printer whose stored number differs
# (a conflict), a monitor with a stored number only, a scanner with no UNO yet and its number in the caption only.
TREE = [(0, 1, "AAAAAAAAAAAA", "Неоприходованная техника"), (0, 1, "", "Цех №3"), (1, 6, PRINTER, "Принтер №12"),
        (1, 5, MONITOR, "Монитор"), (1, 7, "", "Сканер №7")]


class NumbersTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.write("struct", "".join("\t" * level + text + "\r\n" for level, _, _, text in TREE))
        self.write("image", "".join(f"{icon} ; {uno} ;\r\n" if uno else f"{icon} ;\r\n" for _, icon, uno, _ in TREE))
        self.append(PRINTER, "Main", "aInumber", "13")
        self.append(MONITOR, "Main", "aInumber", "45")

    def base(self, name):
        return os.path.join(self.home, "BASE", name)

    def write(self, name, text):
        with open(self.base(name), "wb") as f:
            f.write(text.encode("cp1251"))

    def append(self, *values):
        result = subprocess.run([CLI, "dbf", "append", self.base("other.dbf"), *values], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)

    def numbers(self):
        """(UNO, number) of every stored inventory number."""
        dump = subprocess.run([CLI, "dbf", "dump", self.base("other.dbf")], capture_output=True, text=True)
        self.assertEqual(dump.returncode, 0, dump.stderr)
        rows = [line.split("\t") for line in dump.stdout.splitlines()]
        return sorted((row[0], row[3]) for row in rows if row[1:3] == ["Main", "aInumber"])

    def captions(self):
        """{caption: UNO} as `tree` shows the nodes."""
        result = run(self.home, "tree")
        self.assertEqual(result.returncode, 0, result.stderr)
        return {
text: uno for _, _, uno, text in self.parse_tree(result.stdout)
}

    def snapshot(self):
        folder = os.path.join(self.home, "BASE")
        files = {}
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as f:
                files[name] = f.read()
        return files

    def test_sync_fills_both_sides_settles_conflicts_and_exports(self):
        exported = os.path.join(self.tmp.name, "uno_inventN.txt")
        result = run(self.home, "numbers", "sync", "--prefer", "stored", "--export", exported)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("\\\\Цех №3\\Принтер №12: the caption has 12, the additional data 13: the stored number kept",
                      result.stderr)

        captions = self.captions()
        self.assertEqual(list(captions), ["Неоприходованная техника", "Цех №3", "Принтер №13", "Монитор №45",
                                          "Сканер №7"])
        scanner = captions["Сканер №7"]
        self.assertRegex(scanner, r"^[A-}]{12}$", "the scanner got its first UNO, and the saved tree keeps it")
        self.assertEqual(self.numbers(), sorted([(PRINTER, "13"), (MONITOR, "45"), (scanner, "7")]),
                         "the department's number stays in its caption only")
        lines = ["Index\tИнвентарный\tRemark", f"{PRINTER}\t13\tПринтер №13", f"{MONITOR}\t45\tМонитор №45",
                 f"{scanner}\t7\tСканер №7"]
        self.assertEqual(result.stdout.splitlines(), lines)
        with open(exported, "rb") as f:
            self.assertEqual(f.read(), "".join(line + "\r\n" for line in lines).encode("cp1251"))

        again = run(self.home, "numbers", "sync")
        self.assertEqual((again.returncode, again.stderr), (0, ""), "nothing left to settle")
        self.assertEqual(again.stdout.splitlines(), lines)

    def test_conflicts_are_skipped_or_settled_by_the_caption(self):
        for prefer, caption, number, note in ((None, "Принтер №12", "13", "skipped"),
                                              ("tree", "Принтер №12", "12", "the caption's number kept")):
            with self.subTest(prefer=prefer):
                result = run(self.home, "numbers", "sync", *(["--prefer", prefer] if prefer else []))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(f"the additional data 13: {note}", result.stderr)
                self.assertIn(caption, self.captions())
                self.assertIn((PRINTER, number), self.numbers())
        self.assertEqual(run(self.home, "numbers", "sync", "--prefer", "caption").returncode, 64)

    def test_protected_data_and_another_instances_marker_refuse_the_sync(self):
        ini = os.path.join(self.home, "pelgo.ini")
        marker = ("_Multi_User_", "Exclusive", "SIDOROVWS-03____", "SIDOROV Компьютер WS-03 [ 10.03.2026 15:01:00 ]")
        refusals = (
            ("protected", lambda: run(self.home, "profile", "set", ini, "Setup", "ProtectStructTree", "1"),
             "Включена защита данных", ["--force"]),
            ("marker", lambda: (run(self.home, "profile", "set", ini, "Setup", "ProtectStructTree", "0"),
                                self.append(*marker)), "give --force", []),
        )
        before = self.snapshot()
        for name, arrange, message, args in refusals:
            with self.subTest(name):
                arrange()
                refused = run(self.home, "numbers", "sync", *args)
                self.assertEqual(refused.returncode, 1, refused.stderr)
                self.assertIn(message, refused.stderr)
                self.assertEqual(refused.stdout, "")
                after = self.snapshot()
                self.assertEqual((after["struct"], after["image"]), (before["struct"], before["image"]))
                self.assertEqual(self.numbers(), sorted([(PRINTER, "13"), (MONITOR, "45")]))

        forced = run(self.home, "numbers", "sync", "--force")
        self.assertEqual(forced.returncode, 0, forced.stderr)
        self.assertIn("Монитор №45", self.captions())

    def test_check_lists_duplicates_in_error_log(self):
        log = os.path.join(self.home, "error.log")
        before = self.snapshot()
        passed = run(self.home, "numbers", "check")
        self.assertEqual(passed.returncode, 0, passed.stderr)
        # The department's "№3" is no equipment number.
        self.assertEqual(passed.stdout,
                         "Проверено 5 записей.\nиз них содержат инвентарные номера - 2\n\nОшибок не обнаружено.\n")
        self.assertFalse(os.path.exists(log))
        self.assertEqual(self.snapshot(), before, "the check only looks at the data")

        self.write("struct", "Неоприходованная техника\r\nЦех №3\r\n\tПринтер №7\r\n\tМонитор №7\r\n\tПринтер №7\r\n"
                             "\tПринтер  №7\r\n")
        self.write("image", "1 ;\r\n1 ;\r\n6 ;\r\n5 ;\r\n6 ;\r\n6 ;\r\n")
        before = self.snapshot()
        found = run(self.home, "numbers", "check")
        self.assertEqual(found.returncode, 3, found.stderr)
        lines = found.stdout.splitlines()
        self.assertEqual(lines[0], "Результаты проверки инвентарных номеров")
        self.assertRegex(lines[1], r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$")
        self.assertEqual(lines[2:], ["", "1.Инв.№ \\\\Цех №3\\Принтер №7 дублируется с :", "- \\\\Цех №3\\Принтер №7",
                                     "", "2.Инв.№ \\\\Цех №3\\Принтер  №7 дублируется с :", "- \\\\Цех №3\\Принтер №7"])
        with open(log, "rb") as f:
            self.assertEqual(f.read(), "".join(line + "\r\n" for line in lines).encode("cp1251"))
        self.assertIn("Обнаружены дублирующиеся инвентарные номера !", found.stderr)
        self.assertEqual(self.snapshot(), before, "the check only looks at the data")


if __name__ == "__main__":
    unittest.main()
