"""pelgo-cli passport and card: the two documents of a computer on the terminal and in files, their failure
cases, and that neither writes anything to the installation."""

import os
import re
import tempfile
import unittest

from installation_cli import SharedInstallation, run
from test_report import ADDRESS, COLLECTOR_FILE, ok, snapshot, today

BARE_ADDRESS = "00E04C000001"
# A line of the archive tree as `show` prints it: TAB levels, icon, text.
VIEW_LINE = re.compile(r"^\t*\d+ (.*)$")
RULED = "|\t|\t\t\t\t|\t\t\t\t|\t\t|\t\t|"


def card_lines(date):
    return [
        "Учетная карточка технических средств", "", "N ___________", "", "",
        f"Дата составления : {date}", "", "", "",
        "Подразделение\tБухгалтерия",
        "Ф.И.О.\t\tПетрова Анна",
        "", "Компьютер №1207", "",
        "Сис.плата \tASUS P5K Award Modular BIOS v6.00PG",
        "HDD модель\tST320011A",
        "HDD модель\tST340016A",
        "Сетевая карта\tRealtek RTL8139",
        "MAC адрес  \t0050BA1C2D3E",
        "Имя комп.  \tPC-BUH-07",
        "Дата заполн.\t10.12.2026 09:15:00",
        "Модель     \tDepo Neos",
        "Дополнительно\tв ремонте с 5.12",
        "\tвернуть до 20.12",
        "",
        "Принтер HP",
        "Монитор Samsung",
        "", "",
        "Технические средства принял(а) _____________ /\t\t\t\t/",
        "", "", "",
        "Переданное и установленное оборудование :",
        "",
        "   Дата\t\tНаименование\t\t\tИнв.N\t\t           Сдал\t         Принял\t",
    ] + [RULED] * 12


class DocumentsTest(SharedInstallation):
    """A department with an employee; under the employee the archived computer (a printer as its child) and a
    monitor, and a computer whose address has no archive lines."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        files = os.path.join(cls.tmp.name, "files")
        os.makedirs(files)
        with open(os.path.join(files, ADDRESS), "wb") as f:
            f.write(("\r\n".join(COLLECTOR_FILE) + "\r\n").encode("cp1251"))
        cls.cli("tree", "--save", "--no")
        cls.cli("update", files, "--no-copy")
        bucket, computer, address = cls.unos(1, 3, 4)
        cls.cli("node", "add", bucket, "1", "Бухгалтерия", "--sibling")
        department = cls.uno_of("Бухгалтерия")
        cls.cli("node", "add", department, "2", "Петрова Анна")
        employee = cls.uno_of("Петрова Анна")
        cls.cli("node", "move", computer, "--into", employee)
        cls.cli("node", "rename", computer, "Компьютер №1207")
        cls.cli("node", "add", computer, "6", "Принтер HP")
        cls.cli("node", "add", employee, "5", "Монитор Samsung")
        cls.cli("node", "add", employee, "3", "Ноутбук")
        laptop = cls.uno_of("Ноутбук")
        cls.cli("node", "add", laptop, "4", BARE_ADDRESS)
        cls.cli("node", "comment", computer, "в ремонте с 5.12", "вернуть до 20.12")
        # A one-character value is a placeholder and stays off the card.
        cls.cli("adddata", computer, "--set", "aModel=Depo Neos", "--set", "aInumber=-")
        cls.employee, cls.computer, cls.address, cls.laptop = employee, computer, address, laptop

    def setUp(self):
        self.out = tempfile.TemporaryDirectory()
        self.addCleanup(self.out.cleanup)
        self.before = snapshot(self.home)
        self.addCleanup(lambda: self.assertEqual(snapshot(self.home), self.before, "the installation changed"))

    def archive_tree(self):
        """The captions of the computer's archive tree, as `show` prints it after its summary."""
        lines = self.cli("show", self.computer).splitlines()
        start = next(i for i, line in enumerate(lines) if line.startswith("Rating\t")) + 1
        return [VIEW_LINE.match(line).group(1) for line in lines[start:]]

    def test_passport_is_the_archive_tree_under_title_and_path_with_the_comments(self):
        date = today()
        tree = self.archive_tree()
        self.assertIn("Current_Config", tree)
        stdout = ok(self, run(self.home, "passport", "--node", self.computer))
        self.assertEqual(stdout.split("\n"), [
            "", "Паспорт компьютера", "", "\\\\Бухгалтерия\\Петрова Анна\\Компьютер №1207", "",
            *tree,
            "Комментарий", "в ремонте с 5.12", "вернуть до 20.12",
            "", f"Дата составления : {date}", ""])

        rtf = os.path.join(self.out.name, "паспорт.rtf")
        ok(self, run(self.home, "passport", "--node", self.computer, "-o", rtf))
        self.assertEqual(ok(self, run(self.home, "rtf", "text", rtf)), stdout)
        dump = ok(self, run(self.home, "rtf", "dump", rtf)).split("\n")
        self.assertEqual(dump[1], "C\t-\t0\t0\t18\tbu\tПаспорт компьютера")
        # A group heading carries the bullet; its first child does not.
        self.assertEqual(dump[5:7], ["L\t*\t40\t0\t15\tb\tCurrent_Config", f"L\t-\t60\t0\t15\t-\t{tree[1]}"])
        self.assertEqual(dump[-2], f"R\t-\t60\t20\t15\t-\tДата составления : {date}")

        # A computer whose address has no archive lines: title, path and date.
        self.assertEqual(ok(self, run(self.home, "passport", "--node", self.laptop)).split("\n"), [
            "", "Паспорт компьютера", "", "\\\\Бухгалтерия\\Петрова Анна\\Ноутбук", "", "",
            f"Дата составления : {today()}", ""])

    def test_card_on_the_terminal_and_as_text_and_rtf_files(self):
        date = today()
        stdout = ok(self, run(self.home, "card", "--node", self.computer))
        expected = card_lines(date)
        self.assertEqual(stdout.split("\n"), expected + [""])

        txt = os.path.join(self.out.name, "карточка.txt")
        ok(self, run(self.home, "card", "--node", self.computer, "-o", txt))
        with open(txt, "rb") as f:
            self.assertEqual(f.read(), ("\r\n".join(expected) + "\r\n").encode("cp1251"))

        rtf = os.path.join(self.out.name, "карточка.rtf")
        ok(self, run(self.home, "card", "--node", self.computer, "-o", rtf))
        dump = ok(self, run(self.home, "rtf", "dump", rtf)).split("\n")
        self.assertEqual(dump[0], "C\t-\t0\t0\t22.5\tb\tУчетная карточка технических средств")
        self.assertEqual(dump[14], "L\t*\t30\t0\t15\t-\tСис.плата \tASUS P5K Award Modular BIOS v6.00PG")
        header = expected.index(RULED) - 1
        self.assertEqual(dump[header].split("\t")[:6], ["C", "-", "0", "0", "10.5", "u"])
        self.assertEqual(dump[header + 1].split("\t")[:6], ["C", "-", "0", "0", "10.5", "-"])

    def test_failures(self):
        # The card says in one line why there is none, and succeeds.
        for node, line in [(self.employee, "Нельзя сформировать учетную карточку"),
                           (self.address, "Нельзя сформировать учетную карточку"),
                           (self.laptop, f"Ошибочный MAC-адрес {BARE_ADDRESS}")]:
            with self.subTest(card=line):
                self.assertEqual(ok(self, run(self.home, "card", "--node", node)), line + "\n")
        # The passport is refused for anything but a computer with a node after it.
        for node in (self.employee, self.address):
            with self.subTest(passport=node):
                result = run(self.home, "passport", "--node", node)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, "")
                self.assertIn("no computer with a node after it", result.stderr)
        for command in ("passport", "card"):
            with self.subTest(command=command):
                self.assertEqual(run(self.home, command).returncode, 64)
                self.assertEqual(run(self.home, command, "--node", self.computer, "-o", "x.doc").returncode, 64)
                unknown = run(self.home, command, "--node", "AAAAAAAAAAAA")
                self.assertEqual(unknown.returncode, 1)
                self.assertIn("AAAAAAAAAAAA", unknown.stderr)


if __name__ == "__main__":
    unittest.main()
