"""pelgo-cli summary: the four summaries over an installation, on the terminal and in files, read-only."""

import csv
import os
import tempfile
import time
import unittest

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
        "System=Windows XP",
        "[Computer]",
        "MotherBoard=ASUS P5K",
        "CPU=Celeron",
        "CPU=Celeron",
        "Memory_in_Mb=512",
        "Memory_in_Mb=512",
        "Total_HDD_in_Mb=80000",
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


class SummaryTest(SharedInstallation):
    """Бухгалтерия: Петрова Анна with the bookkeeper's computer and two monitors of one model; Склад (the last
    department) with the store's computer; the bucket left empty."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        files = os.path.join(cls.tmp.name, "files")
        os.makedirs(files)
        for address, lines in COLLECTOR_FILES.items():
            with open(os.path.join(files, address), "wb") as f:
                f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))
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
        cls.cli("node", "add", employee, "5", "Samsung 710 №0452")
        cls.cli("node", "add", employee, "5", "Samsung 710 №0453")
        cls.cli("node", "move", store, "--into", cls.uno_of("Склад"))

    def setUp(self):
        self.out = tempfile.TemporaryDirectory()
        self.addCleanup(self.out.cleanup)

    def summary(self, *args):
        """The output and the day it was made on."""
        date = time.strftime("%d.%m.%Y")
        result = run(self.home, "summary", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.split("\n"), date

    def test_every_summary_on_the_terminal_changes_nothing(self):
        before = snapshot(self.home)

        lines, date = self.summary("enterprise")
        self.assertEqual(lines, [
            "Сводные данные по предприятию", "", f"На {date} учтено компьютеров - 2",
            "", "Список материнских плат :",
            # The store's computer has neither board nor BIOS: an empty value.
            " - 1 шт.", "ASUS P5K - 1 шт.",
            # Values equal but for letter case keep the order they were first met in.
            "", "Список процессоров :", "Celeron - 2 шт.", "CELERON - 1 шт.",
            "", "Распределение оперативной памяти :", "1024 Mb - 1 шт.", "512 Mb - 2 шт.",
            "", "Список операционных систем :", "Windows XP - 1 шт.",
            "", "Список мониторов :", "Samsung 710 - 2 шт.",
            "", "Список принтеров :",
            "", "Приводов CD-Rom - 1 шт. Список :", "Петрова Анна : Компьютер №1207",
            "", "Список по структуре предприятия :",
            "Отделов - 3", "Сотрудников - 1", "Компьютеров - 2", "Сетевых карт - 2", "Мониторов - 2",
            "", "",
        ])

        # The next department's computer stays out.
        lines, date = self.summary("department", "--node", self.department)
        self.assertEqual(lines[:3], ["Сводные данные по подразделению", "\\\\Бухгалтерия", ""])
        self.assertEqual(lines[3], f"На {date} учтено компьютеров - 1")
        self.assertEqual(lines[-8:], ["Список по структуре предприятия :", "Отделов - 1", "Сотрудников - 1",
                                      "Компьютеров - 1", "Сетевых карт - 1", "Мониторов - 2", "", ""])

        lines, _ = self.summary("owners")
        self.assertEqual(lines, [
            "Сводные данные по владельцам", "", "",
            "Бухгалтерия\\Петрова Анна",
            "Samsung 710 №0452", "Samsung 710 №0453",
            # Every archive line is read: the disk total follows two CPU and two memory lines.
            "Компьютер №1207 PC-BUH\\Celeron\\512\\80000",
            "Склад", "Компьютер PC-SKLAD\\CELERON\\1024",
            "", "",
        ])

        lines, _ = self.summary("programs")
        self.assertEqual(lines, [
            "Excel [2 польз.]", "\t\\\\Бухгалтерия\\Петрова Анна\\Компьютер №1207", "\t\\\\Склад\\Компьютер",
            "Word [1 польз.]", "\t\\\\Бухгалтерия\\Петрова Анна\\Компьютер №1207",
            "word [1 польз.]", "\t\\\\Склад\\Компьютер",
            "",
        ])
        self.assertEqual(snapshot(self.home), before)

    def test_files_take_the_terminal_lines(self):
        terminal, _ = self.summary("owners")
        owners = os.path.join(self.out.name, "владельцы.txt")
        self.summary("owners", "-o", owners)
        with open(owners, "rb") as f:
            self.assertEqual(f.read(), "\r\n".join(terminal[:-1]).encode("cp1251") + b"\r\n")

        terminal, _ = self.summary("programs")
        programs = os.path.join(self.out.name, "программы.TXT")
        self.summary("programs", "-o", programs)
        with open(programs, "rb") as f:
            self.assertEqual(f.read(), "\r\n".join(terminal[:-1]).encode("cp1251") + b"\r\n")

        rtf = os.path.join(self.out.name, "свод.rtf")
        self.summary("enterprise", "-o", rtf)
        self.assertEqual(run(self.home, "rtf", "text", rtf).stdout, "\n".join(self.summary("enterprise")[0]))

    def test_counted_values_go_to_a_spreadsheet(self):
        path = os.path.join(self.out.name, "свод.CSV")
        self.summary("department", "--node", self.department, "-o", path)
        with open(path, "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbfsection;value;count\r\n"), data[:40])
        with open(path, newline="", encoding="utf-8-sig") as f:
            rows = list(csv.reader(f, delimiter=";"))
        self.assertEqual(rows, [
            ["section", "value", "count"],
            ["Список материнских плат", "ASUS P5K", "1"],
            ["Список процессоров", "Celeron", "2"],
            ["Распределение оперативной памяти", "512", "2"],
            ["Список операционных систем", "Windows XP", "1"],
            ["Список мониторов", "Samsung 710", "2"],
            ["Список по структуре предприятия", "Отделов", "1"],
            ["Список по структуре предприятия", "Сотрудников", "1"],
            ["Список по структуре предприятия", "Компьютеров", "1"],
            ["Список по структуре предприятия", "Сетевых карт", "1"],
            ["Список по структуре предприятия", "Мониторов", "2"],
        ])

    def test_usage_errors(self):
        cases = [
            ("department without its node", ["department"]),
            ("an unknown summary", ["software"]),
            ("programs as RTF", ["programs", "-o", os.path.join(self.out.name, "p.rtf")]),
            ("programs for a spreadsheet", ["programs", "-o", os.path.join(self.out.name, "p.imp")]),
            ("owners have nothing counted", ["owners", "-o", os.path.join(self.out.name, "o.csv")]),
        ]
        for name, args in cases:
            with self.subTest(name):
                result = run(self.home, "summary", *args)
                self.assertEqual(result.returncode, 64, result.stderr)
                self.assertEqual(result.stdout, "")
        self.assertEqual(os.listdir(self.out.name), [])


if __name__ == "__main__":
    unittest.main()
