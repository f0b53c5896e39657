"""pelgo-cli journal-report: a journal's entries for a node or a department's subtree, read-only."""

import os
import tempfile
import time
import unittest

from installation_cli import SharedInstallation, run
from test_report import snapshot

# A configured journal named like a built-in one: the menu item names the later one.
JOURNALS = """
[RepairTree]
Поверки=0
Ремонты=0
[RepairTreeEdit]
4=Организация
5=Неисправность
6=Стоимость
7=Дата возврата
"""


class JournalReportTest(SharedInstallation):
    """Бухгалтерия > Петрова Анна > a computer with two entries and a printer with one; Склад beside it with
    one; the computer also has an entry in the built-in journal of the same name."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        with open(os.path.join(cls.home, "pelgo.ini"), "ab") as f:
            f.write(JOURNALS.replace("\n", "\r\n").encode("cp1251"))
        cls.cli("tree", "--save", "--no")
        bucket = cls.uno_of("Неоприходованная техника")
        cls.cli("node", "add", bucket, "1", "Бухгалтерия", "--sibling")
        cls.cli("node", "add", bucket, "1", "Склад", "--sibling")
        cls.department = cls.uno_of("Бухгалтерия")
        cls.cli("node", "add", cls.department, "2", "Петрова Анна")
        employee = cls.uno_of("Петрова Анна")
        cls.cli("node", "add", employee, "3", "Компьютер №7")
        cls.cli("node", "add", employee, "6", "Принтер HP")
        cls.computer, printer, store = cls.uno_of("Компьютер №7"), cls.uno_of("Принтер HP"), cls.uno_of("Склад")
        cls.cli("adddata", cls.computer, "--set", "aModel=Celeron", "aInumber=0451", "aPlomba=77")
        cls.cli("adddata", cls.computer, "--entry", "3", "--title", "1 , 01.12.2026", "--field", "1=Сервис",
                "2=Не включается")
        cls.cli("adddata", cls.computer, "--entry", "3", "--title", "2 , 05.12.2026", "--field", "4=07.12.2026")
        cls.cli("adddata", cls.computer, "--entry", "0", "--title", "Встроенный", "--field", "1=Не этот журнал")
        cls.cli("adddata", printer, "--entry", "3", "--title", "1 , 05.12.2026", "--field", "3=1500")
        cls.cli("adddata", store, "--entry", "3", "--title", "1 , 06.12.2026", "--field", "1=Не в отделе")

    def report(self, *args):
        date = time.strftime("%d.%m.%Y")
        result = run(self.home, "journal-report", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.split("\n"), date

    COMPUTER_HEADER = ["", "Компьютер №7", "", "\\\\Бухгалтерия\\Петрова Анна", "", "Модель : Celeron",
                       "Инв.№0451  Пломба №77", ""]

    def test_a_node_and_a_department_and_nothing_written(self):
        before = snapshot(self.home)
        lines, date = self.report(" Ремонты ", "--node", self.computer)
        self.assertEqual(lines, [
            "Журнал Ремонты", *self.COMPUTER_HEADER,
            "Запись 1 , 01.12.2026", "Организация : Сервис", "Неисправность : Не включается",
            *self.COMPUTER_HEADER,
            "Запись 2 , 05.12.2026", "Дата возврата : 07.12.2026",
            "", f"Дата составления : {date}", ""])

        lines, date = self.report("Ремонты", "--node", self.department)
        self.assertEqual(lines, [
            "Журнал Ремонты", *self.COMPUTER_HEADER,
            "Запись 1 , 01.12.2026", "Организация : Сервис", "Неисправность : Не включается",
            "Запись 2 , 05.12.2026", "Дата возврата : 07.12.2026",
            "", "Принтер HP", "", "\\\\Бухгалтерия\\Петрова Анна", "",
            "Запись 1 , 05.12.2026", "Стоимость : 1500",
            "", f"Дата составления : {date}", ""])

        with tempfile.TemporaryDirectory() as out:
            rtf = os.path.join(out, "журнал.rtf")
            self.report("Ремонты", "--node", self.department, "-o", rtf)
            self.assertEqual(self.cli("rtf", "text", rtf).split("\n"), lines)
            dump = self.cli("rtf", "dump", rtf).split("\n")
            self.assertTrue(dump[0].startswith("C\t-\t") and dump[0].endswith("\tb\tЖурнал Ремонты"), dump[0])
            self.assertTrue(dump[10].startswith("L\t*\t") and dump[10].endswith("Организация : Сервис"), dump[10])
        self.assertEqual(snapshot(self.home), before)

    def test_only_the_entries_of_a_date(self):
        lines, date = self.report("Ремонты", "--node", self.department, "--only", "05.12.2026")
        self.assertEqual(lines, [
            "Журнал Ремонты", *self.COMPUTER_HEADER,
            "Запись 2 , 05.12.2026", "Дата возврата : 07.12.2026",
            "", "Принтер HP", "", "\\\\Бухгалтерия\\Петрова Анна", "",
            "Запись 1 , 05.12.2026", "Стоимость : 1500",
            "", f"Дата составления : {date}", ""])

    def test_errors(self):
        for args, code, message in [
            (("Ремонт", "--node", self.computer), 1, "Данный журнал более не ведется"),
            (("Ремонты",), 64, "--node"),
            (("Ремонты", "--node", "AAAAAAAAAAAA"), 1, "AAAAAAAAAAAA"),
        ]:
            with self.subTest(args=args):
                result = run(self.home, "journal-report", *args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual(result.stdout, "")


if __name__ == "__main__":
    unittest.main()
