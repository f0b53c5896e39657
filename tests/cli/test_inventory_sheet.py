"""pelgo-cli inventory-sheet: the sheet as text and as a dBase table, its parameter file, the filter and the
department scope, over an installation that it only reads."""

import os
import pwd
import tempfile
import unittest

import dbfread

from test_report import snapshot
from installation_cli import SharedInstallation, run
from test_report import snapshot
from test_summary import COLLECTOR_FILES

NODE_HEADERS = ["Индекс", "Наименование оргтехники", "Инвентарный номер", "Тип оргтехники",
                "Владелец оргтехники", "Месторасположение оргтехники"]
# Positions of the type list: every type but computers (2) left out.
ONLY_COMPUTERS = "".join(f"{p}=2\r\n" for p in range(13) if p != 2)


def current_user():
    """The section suffix of the user's revision rules, as Pelgo names the user."""
    name = pwd.getpwuid(os.geteuid()).pw_name
    return name.upper() if 0 < len(name) <= 15 else "Unknown User"


class InventorySheetTest(SharedInstallation):
    """Бухгалтерия: Петрова Анна (phone 12-34) with the bookkeeper's computer (its model set) and two
    monitors; Склад (the last department) with the store's computer."""

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
        cls.bookkeeper, cls.store = [m.group(3) for m in cls.tree() if int(m.group(2)) == 3]
        cls.cli("node", "add", bucket, "1", "Бухгалтерия", "--sibling")
        department = cls.uno_of("Бухгалтерия")
        cls.cli("node", "add", department, "1", "Склад", "--sibling")
        cls.cli("node", "add", department, "2", "Петрова Анна")
        employee = cls.uno_of("Петрова Анна")
        cls.cli("node", "move", cls.bookkeeper, "--into", employee)
        cls.cli("node", "rename", cls.bookkeeper, "Компьютер №1207")
        cls.cli("node", "add", employee, "5", "Samsung 710 №0452")
        cls.cli("node", "add", employee, "5", "Samsung 710 №0453")
        cls.cli("node", "move", cls.store, "--into", cls.uno_of("Склад"))
        cls.cli("adddata", employee, "--set", "Телефон=12-34")
        cls.cli("adddata", cls.bookkeeper, "--set", "aModel=Celeron box")
        cls.cli("profile", "set", os.path.join(cls.home, "pelgo.ini"), f"Reports_{current_user()}", "0",
                "Info|System|Есть|windows")
        cls.store_name = dict(cls.nodes())[cls.store]

    def setUp(self):
        self.out = tempfile.TemporaryDirectory()
        self.addCleanup(self.out.cleanup)

    def sheet(self, name, *args):
        """Makes the sheet into the output folder; its path."""
        path = os.path.join(self.out.name, name)
        result = run(self.home, "inventory-sheet", path, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "")
        self.assertIn("Формирование закончено!", result.stderr)
        return path

    def params(self, text):
        path = os.path.join(self.out.name, "ведомость.set")
        with open(path, "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp1251"))
        return path

    def text_lines(self, path):
        """The rows as lists of cells; every line must end with a TAB."""
        with open(path, "rb") as f:
            data = f.read().decode("cp1251")
        self.assertTrue(data.endswith("\t\r\n"), data[-20:])
        lines = data[:-2].split("\r\n")
        for line in lines:
            self.assertTrue(line.endswith("\t"), line)
        return [line[:-1].split("\t") for line in lines]

    def test_first_state_writes_node_data_of_the_default_types_as_text(self):
        before = snapshot(self.home)
        rows = self.text_lines(self.sheet("ведомость.txt"))
        self.assertEqual(rows[0], NODE_HEADERS)
        self.assertEqual([row[1:] for row in rows[1:]], [
            ["Компьютер №1207", "1207", "Компьютер", "Петрова Анна", "Бухгалтерия;Петрова Анна"],
            ["Samsung 710 №0452", "0452", "Монитор", "Петрова Анна", "Бухгалтерия;Петрова Анна"],
            ["Samsung 710 №0453", "0453", "Монитор", "Петрова Анна", "Бухгалтерия;Петрова Анна"],
            [self.store_name, "", "Компьютер", "Склад", "Склад"],
        ])
        self.assertEqual([rows[1][0], rows[4][0]], [self.bookkeeper, self.store])
        self.assertEqual(snapshot(self.home), before)

    def test_parameter_file_chooses_columns_types_and_table_format(self):
        params = self.params(
            "[TabSheet1]\nIndex=0\nPath=0\n"
            "[StructItems]\n" + ONLY_COMPUTERS.replace("\r\n", "\n") +
            "[TabSheet2]\nEnabled=1\nMotherBoard=1\nCPU=1\nHDD_Total=1\n"
            "[TabSheet4]\nEnabled=1\n0=Computer||cel\n1=||\n"
            "[TabSheet3]\nEnabled=1\nModel=1\nPhone=1\n"
            "[Out_file]\nOut_file_typ=1\n")
        table = dbfread.DBF(self.sheet("ведомость.dbf", "--params", params), encoding="cp1251")
        self.assertEqual([(f.name, f.type, f.length) for f in table.fields], [
            ("NAME", "C", 32), ("INVNUM", "C", 20), ("TYP", "C", 12), ("OVNER", "C", 80),
            ("MOTHERBOAR", "C", 200), ("CPU", "C", 150), ("HDD_TOTAL", "C", 6), ("ADD_1", "C", 200),
            ("MODEL", "C", 150), ("PHONE", "C", 150),
        ])
        self.assertEqual([list(record.values()) for record in table], [
            ["Компьютер №1207", "1207", "Компьютер", "Петрова Анна", "ASUS P5K", "Celeron; Celeron", "80000",
             "Celeron; Celeron", "Celeron box", "12-34"],
            [self.store_name, "", "Компьютер", "Склад", "", "CELERON", "", "CELERON", "", ""],
        ])

        # --text overrides the file's format.
        rows = self.text_lines(self.sheet("ведомость.txt", "--params", params, "--text"))
        self.assertEqual(rows[0], NODE_HEADERS[1:5] + [
            "Данные о мат_плате", "Наименование процессора", "Общий обьем жестких дисков", "Add_1", "Модель",
            "Телефон"])
        self.assertEqual(rows[1][-2:], ["Celeron box", "12-34"])
        self.assertEqual({len(row) for row in rows}, {10})

    def test_filter_keeps_computers_with_a_picked_line(self):
        cases = [
            # The user's rules from the settings file.
            ("user rules", None, ["--filter"], ["Компьютер №1207"]),
            ("the file's rules", "[TabSheet5]\nEnabled=1\n0=Computer|Memory_in_Mb|Есть|1024\n", [], [self.store_name]),
            ("case-sensitive", "[TabSheet5]\nEnabled=1\n0=Computer|CPU|Есть|celeron\naUpperReviz=1\n", [], []),
            ("case ignored", "[TabSheet5]\nEnabled=1\n0=Computer|CPU|Есть|celeron\n", [],
             ["Компьютер №1207", self.store_name]),
            # Filtering off in the file, on by the option: the user's rules.
            ("off in the file", "[TabSheet5]\nEnabled=0\n", ["--filter"], ["Компьютер №1207"]),
        ]
        for name, text, args, names in cases:
            with self.subTest(name):
                # A saved file's node page without unticked types: every type is ticked, so the filter
                # alone drops departments, employees and monitors.
                params = self.params("[TabSheet1]\nName=1\n" + (text or ""))
                rows = self.text_lines(self.sheet("ведомость.txt", "--params", params, *args))
                self.assertEqual([row[1] for row in rows[1:]], names)

    def test_department_scope(self):
        rows = self.text_lines(self.sheet("ведомость.txt", "--scope", "department", "--node", self.store))
        self.assertEqual([row[1] for row in rows[1:]], [self.store_name])
        rows = self.text_lines(self.sheet("ведомость.txt", "--scope", "department", "--node",
                                          self.uno_of("Петрова Анна")))
        self.assertEqual([row[1] for row in rows[1:]],
                         ["Компьютер №1207", "Samsung 710 №0452", "Samsung 710 №0453"])

    def test_errors(self):
        usage = [
            ("department without its node", ["--scope", "department"]),
            ("both formats", ["--text", "--dbf"]),
            ("an unknown scope", ["--scope", "employee"]),
            ("an unknown option", ["--csv"]),
        ]
        for name, args in usage:
            with self.subTest(name):
                result = run(self.home, "inventory-sheet", os.path.join(self.out.name, "s.txt"), *args)
                self.assertEqual(result.returncode, 64, result.stderr)
        self.assertEqual(os.listdir(self.out.name), [])

        blocker = os.path.join(self.out.name, "файл")
        with open(blocker, "wb"):
            pass
        target = os.path.join(blocker, "s.txt")
        result = run(self.home, "inventory-sheet", target)
        self.assertEqual(result.returncode, 1)
        self.assertIn("Ошибка создания\n" + target, result.stderr)

    def test_installation_files_and_the_parameter_file_are_never_written(self):
        params = os.path.join(self.out.name, "p.set")
        with open(params, "wb") as f:
            f.write(b"[Out_file]\r\nOut_file_typ=1\r\n")
        before = snapshot(self.home)
        for target in [os.path.join(self.home, "BASE", "device.dbf"), os.path.join(self.home, "BASE", "struct"),
                       os.path.join(self.home, "pelgo.ini"), params]:
            with self.subTest(target):
                result = run(self.home, "inventory-sheet", target, "--params", params)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("choose another output file", result.stderr)
        self.assertEqual(snapshot(self.home), before)
        with open(params, "rb") as f:
            self.assertEqual(f.read(), b"[Out_file]\r\nOut_file_typ=1\r\n")


if __name__ == "__main__":
    unittest.main()
