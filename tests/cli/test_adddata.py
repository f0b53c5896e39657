"""pelgo-cli adddata: a node's additional data as the page shows them (own, inherited from the nearest department
or employee, disabled for its type), fields and journal entries stored by the saving rules, and refusals that
write nothing."""

import datetime
import os
import pwd
import unittest

import dbfread

from installation_cli import InstallationCase, run

ENTERPRISE = "Название Вашего предприятия"
DIRECTORATE = "Дирекция"
IVANOV = "Иванов Иван Иванович"
EQUIPMENT_ONLY = ["Модель", "ЗавНомер", "Пломба", "Инвентарный", "ДПрихода", "Стоимость", "Поставщик", "Накладная",
                  "ДГарантии"]
FIELDS = ["Модель", "ЗавНомер", "Пломба", "Инвентарный", "ВыпЗадачи", "ДПрихода", "Стоимость", "Поставщик",
          "Накладная", "ДГарантии", "Помещение", "РабМесто", "Должность", "Телефон", "МатОтв", "File_1"]


class AddDataTest(InstallationCase):
    def setUp(self):
        super().setUp()
        made = run(self.home, "tree", "--save", "--yes")
        self.assertEqual(made.returncode, 0, made.stderr)
        self.uno = {text: uno for _, _, uno, text in self.parse_tree(made.stdout)}
        added = run(self.home, "node", "add", self.uno[IVANOV], "3", "ПК-1")
        self.assertEqual(added.returncode, 0, added.stderr)
        [(_, _, self.computer, _)] = self.parse_tree(added.stdout)

    def ok(self, *args):
        result = run(self.home, "adddata", *args)
        self.assertEqual(result.returncode, 0, f"{args}: {result.stderr}")
        return [line.split("\t") for line in result.stdout.splitlines()]

    def show(self, uno):
        """The field lines as {name: (value, source)} and the entry lines."""
        lines = self.ok(uno)
        self.assertEqual([line[0] for line in lines[:16]], FIELDS)
        return {name: (value, source) for name, value, source in lines[:16]}, lines[16:]

    def records(self, uno=None):
        """The node-record table's live records as (UNO, GROUP, NAME, TEXT), the instances' presence left out."""
        path = os.path.join(self.home, "BASE", "other.dbf")
        rows = [tuple(r.values()) for r in dbfread.DBF(path, encoding="cp1251")]
        return sorted(row for row in rows if row[0] != "_Multi_User_" and uno in (None, row[0]))

    def test_show_and_set_keep_inherited_values_out_of_the_table(self):
        self.ok(self.uno[ENTERPRISE], "--set", "Помещение=100", "aPhone=01")
        self.ok(self.uno[DIRECTORATE], "--set", "aroom=215", "МатОтв=Сидоров С.С.")

        fields, entries = self.show(self.uno[IVANOV])
        self.assertEqual(entries, [])
        for name in EQUIPMENT_ONLY:
            self.assertEqual(fields[name], ("", "disabled"), name)
        # The nearest department gives the room; an employee inherits only the room and the responsible person.
        self.assertEqual(fields["Помещение"], ("215", f"inherited {DIRECTORATE}"))
        self.assertEqual(fields["МатОтв"], ("Сидоров С.С.", f"inherited {DIRECTORATE}"))
        self.assertEqual(fields["Телефон"], ("", "own"))
        self.assertEqual(fields["File_1"], ("", "own"))

        computer, _ = self.show(self.computer)
        self.assertEqual(computer["Модель"], ("", "own"))
        self.assertEqual(computer["Телефон"], ("01", f"inherited {ENTERPRISE}"))

        printed = self.ok(self.uno[IVANOV], "--set", "APHONE=22-15", "Должность=Бухгалтер", "file_1=/tmp/дог.odt")
        self.assertEqual(printed, self.ok(self.uno[IVANOV]), "--set prints the data as they are then")
        self.assertEqual(self.records(self.uno[IVANOV]), sorted([
            (self.uno[IVANOV], "Main", "aPhone", "22-15"),
            (self.uno[IVANOV], "Main", "aDolgn", "Бухгалтер"),
            (self.uno[IVANOV], "Main", "File_1", "/tmp/дог.odt"),
        ]))

        # An own value overrides the inherited one; cleared, the inherited one shows again and nothing is kept.
        fields, _ = self.show(self.uno[IVANOV])
        self.assertEqual(fields["Телефон"], ("22-15", "own"))
        self.ok(self.uno[IVANOV], "--set", "Помещение=301")
        self.assertEqual(self.show(self.uno[IVANOV])[0]["Помещение"], ("301", "own"))
        self.ok(self.uno[IVANOV], "--set", "Помещение=", "aPhone=")
        fields, _ = self.show(self.uno[IVANOV])
        self.assertEqual(fields["Помещение"], ("215", f"inherited {DIRECTORATE}"))
        self.assertEqual([name for _, _, name, _ in self.records(self.uno[IVANOV])], ["File_1", "aDolgn"])

    def test_entries_take_defaults_fields_and_unique_keys(self):
        ini = os.path.join(self.home, "pelgo.ini")
        for section, key, value in [("RepairTree", "Заправки", "12"),
                                    ("RepairTreeEditDefault", "0", "%USER% %DATE%"),
                                    ("RepairTreeEditDefault", "1", "%DATE%/%DATE%")]:
            self.assertEqual(run(self.home, "profile", "set", ini, section, key, value).returncode, 0)
        user = pwd.getpwuid(os.geteuid()).pw_name.upper()
        days = {datetime.date.today().strftime("%d.%m.%Y")}
        [*_, fuel] = self.ok(self.computer, "--entry", "2", "--field", "3=500")
        days.add(datetime.date.today().strftime("%d.%m.%Y"))
        today = fuel[1].removeprefix("1 , ")
        self.assertIn(today, days, "the default title holds the date in the short date format")
        self.ok(self.computer, "--entry", "0", "--title", "Замена блока питания ПК", "--field", "1=Сервис",
                "2=Не включается")
        printed = self.ok(self.computer, "--entry", "0", "--field", "4=завтра")

        # A title is kept in the key only up to 22 characters.
        self.assertEqual(printed[16:], [
            ["Заправки", f"1 , {today}", f"{user} {today}", f"{today}/{today}", "500", ""],
            ["Ремонты", "Замена блока питания П", "Сервис", "Не включается", "", ""],
            ["Ремонты", f"2 , {today}", "", "", "", "завтра"],
        ])
        self.assertEqual(self.records(self.computer), sorted([
            (self.computer, f"2;1 , {today}", "Edit1", f"{user} {today}"),
            (self.computer, f"2;1 , {today}", "Edit2", f"{today}/{today}"),
            (self.computer, f"2;1 , {today}", "Edit3", "500"),
            (self.computer, "0;Замена блока питания П", "Edit1", "Сервис"),
            (self.computer, "0;Замена блока питания П", "Edit2", "Не включается"),
            (self.computer, f"0;2 , {today}", "Edit4", "завтра"),
        ]))

        before = self.records()
        # Its key would be the first repair's: the two entries would share their records.
        merged = run(self.home, "adddata", self.computer, "--entry", "0", "--title", "Замена блока питания ПК-2",
                     "--field", "1=Другой")
        self.assertEqual(merged.returncode, 1, merged.stderr)
        self.assertIn('key of the entry "Замена блока питания П"', merged.stderr)
        self.assertEqual(merged.stdout, "")
        self.assertEqual(self.records(), before)
        # The same title in another journal has a key of its own.
        self.ok(self.computer, "--entry", "1", "--title", "Замена блока питания ПК", "--field", "1=Блок питания")
        self.assertIn((self.computer, "1;Замена блока питания П", "Edit1", "Блок питания"), self.records())

    def test_refusals_and_wrong_use_write_nothing(self):
        ivanov = self.uno[IVANOV]
        cases = [
            (["AAAAAAAAAAAA"], 1, 'no node of the structure tree has the UNO "AAAAAAAAAAAA"'),
            ([ivanov, "--set", "Модель=X"], 64,
             f'"Модель" is disabled for "{IVANOV}"; its fields: ВыпЗадачи (aZadachi)'),
            ([ivanov, "--set", "Цвет=белый"], 64, "Телефон (aPhone), МатОтв (aFIO), File_1"),
            ([ivanov, "--set", "Телефон"], 64, "NAME=VALUE expected"),
            ([ivanov, "--set", "Телефон=1\t2"], 64, "no TAB or line break"),
            ([ivanov, "--set", "Телефон=" + "9" * 255], 64, "at most 254 characters"),
            ([ivanov, "--entry", "3", "--field", "1=x"], 64,
             "there is no journal 3; the journals: 0 Ремонты, 1 Модернизации"),
            ([ivanov, "--entry", "0", "--field", "5=x"], 64, "the fields of an entry are 1 to 4"),
            ([ivanov, "--entry", "0"], 1, "the entry has no field to keep"),
            ([ivanov, "--title", "Ремонт"], 64, "give --entry too"),
        ]
        protected = [
            ([ivanov, "--set", "Телефон=1"], 1, "Включена защита данных"),
            ([self.computer, "--entry", "0", "--field", "1=x"], 1, "Включена защита данных"),
        ]
        self.ok(self.uno[DIRECTORATE], "--set", "Помещение=215")
        before = self.records()

        def check(table):
            for args, code, message in table:
                with self.subTest(args=args):
                    result = run(self.home, "adddata", *args)
                    self.assertEqual(result.returncode, code, result.stderr)
                    self.assertIn(message, result.stderr)
                    self.assertEqual(result.stdout, "")
                    self.assertEqual(self.records(), before)

        check(cases)
        ini = os.path.join(self.home, "pelgo.ini")
        self.assertEqual(run(self.home, "profile", "set", ini, "Setup", "ProtectStructTree", "1").returncode, 0)
        check(protected)
        # A look opens the data read-only and still works.
        self.assertEqual(self.show(ivanov)[0]["Помещение"], ("215", f"inherited {DIRECTORATE}"))


if __name__ == "__main__":
    unittest.main()
