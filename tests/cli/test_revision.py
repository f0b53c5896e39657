"""pelgo-cli revision: rules and replacements from files, a department, the table read back by dbfread, and
the refusal of a table without a numbered rule; the data are only looked at."""

import os
import tempfile
import time
import unittest

import dbfread

from installation_cli import SharedInstallation, run
from test_report import snapshot

BOOKKEEPER = "0050BA1C2D3E"
STORE = "00E04C000002"

COLLECTOR_FILES = {
    BOOKKEEPER: [
        "[Info]",
        "Record_Date=10.12.2026 09:15:00",
        "Computer_Name=PC-BUH",
        f"MAC_Addr={BOOKKEEPER}",
        "[Computer]",
        "CPU=Celeron",
        "CPU=Celeron",
        "Memory_in_Mb=512",
        "Drive_D=CDROM TEAC",
        "[Windows_Soft]",
        "Soft_1=Word",
        "Soft_2=Excel",
    ],
    STORE: [
        "[Info]",
        "Record_Date=10.12.2026 09:20:00",
        "Computer_Name=PC-SKLAD",
        f"MAC_Addr={STORE}",
        "[Computer]",
        "CPU=CELERON",
        "Memory_in_Mb=1024",
        "[Windows_Soft]",
        "Soft_1=word",
        "Soft_2=Excel",
    ],
}

# The CPU lines (1); memory below 1000 (2); programs but Word in any case (3, past the unnumbered exclusion).
RULES = ["Computer|CPU|Есть|", "Computer|Memory_in_Mb|<|1000", "Windows_Soft||Нет|word", "Windows_Soft||Есть|"]
# Case-sensitive: the store's "CELERON" keeps its name; Excel lines leave the report.
REPLACEMENTS = ["Celeron=Intel Celeron", "Excel="]


def write_lines(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))


class RevisionTest(SharedInstallation):
    """Бухгалтерия: Петрова Анна with the bookkeeper's computer and a monitor; Склад with the store's computer
    and no employee."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        files = os.path.join(cls.tmp.name, "files")
        os.makedirs(files)
        for address, lines in COLLECTOR_FILES.items():
            write_lines(os.path.join(files, address), lines)
        cls.cli("tree", "--save", "--no")
        cls.cli("update", files, "--no-copy")
        bucket, = cls.unos(1)
        bookkeeper, store = [m.group(3) for m in cls.tree() if int(m.group(2)) == 3]
        cls.cli("node", "add", bucket, "1", "Бухгалтерия", "--sibling")
        cls.department = cls.uno_of("Бухгалтерия")
        cls.cli("node", "add", cls.department, "1", "Склад", "--sibling")
        cls.cli("node", "add", cls.department, "2", "Петрова Анна")
        employee = cls.uno_of("Петрова Анна")
        cls.cli("node", "move", bookkeeper, "--into", employee)
        cls.cli("node", "rename", bookkeeper, "Компьютер №1207")
        cls.cli("node", "add", employee, "5", "Samsung 710")
        cls.cli("node", "move", store, "--into", cls.uno_of("Склад"))
        cls.rules = os.path.join(cls.tmp.name, "Ревизия.sav")
        write_lines(cls.rules, RULES)
        cls.replacements = os.path.join(cls.tmp.name, "замена.txt")
        write_lines(cls.replacements, REPLACEMENTS)

    def setUp(self):
        self.out = tempfile.TemporaryDirectory()
        self.addCleanup(self.out.cleanup)

    def revision(self, *args, code=0):
        """The report's lines, the run's messages and the day it was made on."""
        date = time.strftime("%d.%m.%Y")
        result = run(self.home, "revision", "--rules", self.rules, "--replacements", self.replacements, *args)
        self.assertEqual(result.returncode, code, result.stderr)
        return result.stdout.split("\n"), result.stderr, date

    def test_rules_and_replacements_from_files_change_nothing(self):
        before = snapshot(self.home)
        lines, _, date = self.revision("--skip-empty", "--replace")
        self.assertEqual(lines, [
            f"Общая ревизия оргтехники на {date}", "",
            "", "Бухгалтерия",
            "", "<Бухгалтерия> Петрова Анна",
            "Компьютер №1207", "CPU:Intel Celeron", "CPU:Intel Celeron", "Memory_in_Mb:512", "",
            "Samsung 710",
            "", "Склад", "Компьютер", "CPU:CELERON", "",
            "",
        ])

        # The department of the monitor, every heading, every value as the archive has it.
        monitor = self.uno_of("Samsung 710")
        lines, _, date = self.revision("--scope", "department", "--node", monitor, "--no-skip-empty",
                                       "--no-replace")
        self.assertEqual(lines, [
            f"Бухгалтерия, Ревизия оргтехники на {date}", "",
            "", "Бухгалтерия",
            "", "<Бухгалтерия> Петрова Анна",
            "Компьютер №1207", "CPU:Celeron", "CPU:Celeron", "Memory_in_Mb:512", "Soft_2:Excel", "",
            "Samsung 710",
            "",
        ])
        self.assertEqual(snapshot(self.home), before)

    def test_table_is_read_back_by_dbfread(self):
        path = os.path.join(self.out.name, "ревизия.DBF")
        lines, messages, date = self.revision("--replace", "--dbf", path)
        self.assertIn(f"Создана база данных\n{path}", messages)
        self.assertEqual(lines[0], f"Общая ревизия оргтехники на {date}")
        table = dbfread.DBF(path, encoding="cp1251")
        self.assertEqual([(f.name, f.type, f.length) for f in table.fields], [
            ("UNO", "C", 12), ("OVNER", "C", 150), ("COMPUTER", "C", 80),
            ("FIELD1", "C", 150), ("FIELD2", "C", 150), ("FIELD3", "C", 150),
        ])
        bookkeeper, store = [m.group(3) for m in self.tree() if int(m.group(2)) == 3]
        self.assertEqual([list(record.values()) for record in table], [
            ["INDEX", f"Общая ревизия оргтехники на {date}", "", "Computer CPU", "Computer Memory_in_Mb=1000",
             "Windows_Soft"],
            # An Excel line replaced by nothing adds nothing to its column.
            [bookkeeper, "\\\\Бухгалтерия\\Петрова Анна", "Компьютер №1207", "Intel Celeron; Intel Celeron", "512",
             ""],
            [store, "\\\\Склад", "Компьютер", "CELERON", "", ""],
        ])

    def test_a_table_needs_a_numbered_rule(self):
        rules = os.path.join(self.out.name, "only-no.sav")
        write_lines(rules, ["Computer||Нет|"])
        path = os.path.join(self.out.name, "revizia.DBF")
        result = run(self.home, "revision", "--rules", rules, "--no-skip-empty", "--dbf", path)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("Задайте хоть одно \"зеленое\" поле для выборки !", result.stderr)
        self.assertIn("Компьютер №1207", result.stdout)
        self.assertFalse(os.path.exists(path))

    def test_installation_files_are_never_written(self):
        rules = os.path.join(self.out.name, "r.sav")
        write_lines(rules, ["Computer|CPU|Есть|"])
        before = snapshot(self.home)
        for target in [os.path.join(self.home, "BASE", "other.dbf"), os.path.join(self.home, "BASE", "struct"),
                       os.path.join(self.home, "pelgo.ini"), rules]:
            with self.subTest(target):
                result = run(self.home, "revision", "--rules", rules, "--dbf", target)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("choose another output file", result.stderr)
        self.assertEqual(snapshot(self.home), before)

    def test_usage_errors(self):
        path = os.path.join(self.out.name, "revizia.DBF")
        cases = [
            ("department without its node", ["--scope", "department"]),
            ("an unknown scope", ["--scope", "employee"]),
            ("a table without selection", ["--no-selection", "--dbf", path]),
            ("both skip switches", ["--skip-empty", "--no-skip-empty"]),
            ("an unknown option", ["--tables"]),
        ]
        for name, args in cases:
            with self.subTest(name):
                result = run(self.home, "revision", *args)
                self.assertEqual(result.returncode, 64, result.stderr)
                self.assertEqual(result.stdout, "")
        self.assertEqual(os.listdir(self.out.name), [])


if __name__ == "__main__":
    unittest.main()
