"""pelgo-cli node and bookmark: tree edits as one more instance on the data, saved by the run that makes them,
and refusals that leave the tree files and the tables as they were."""

import os
import unittest

import dbfread

from installation_cli import InstallationCase, run

BUCKET = "Неоприходованная техника"
ENTERPRISE = "Название Вашего предприятия"
DIRECTORATE = "Дирекция"
IVANOV = "Иванов Иван Иванович"
ACCOUNTS = "Бухгалтерия"
PETROV = "Петров Петр Петрович"
SIDOROV = "Сидоров Сидор Сидорович"
NOTE_DELETE = "Для удаления используйте клавиши [Ctrl+DEL]"
NOTE_OTHER = 'Прочие операции - правая клавиша мыши или меню "Навигация"'


class NodeTest(InstallationCase):
    def setUp(self):
        super().setUp()
        made = run(self.home, "tree", "--save", "--yes")
        self.assertEqual(made.returncode, 0, made.stderr)
        self.uno = {text: uno for _, _, uno, text in self.parse_tree(made.stdout)}

    def base(self, name):
        return os.path.join(self.home, "BASE", name)

    def tree(self):
        look = run(self.home, "tree")
        self.assertEqual(look.returncode, 0, look.stderr)
        return self.parse_tree(look.stdout)

    def outline(self):
        return [(level, text) for level, _, _, text in self.tree()]

    def ok(self, *args):
        result = run(self.home, *args)
        self.assertEqual(result.returncode, 0, f"{args}: {result.stderr}")
        return self.parse_tree(result.stdout)

    def ok_lines(self, *args):
        result = run(self.home, *args)
        self.assertEqual(result.returncode, 0, f"{args}: {result.stderr}")
        return result.stdout.splitlines()

    def tree_files(self):
        files = {}
        for name in ("struct", "image", "add_Data"):
            with open(self.base(name), "rb") as f:
                files[name] = f.read()
        return files

    def records(self, name):
        """A table's live records; the presence records are the instances' own bookkeeping, not data."""
        rows = [tuple(r.values()) for r in dbfread.DBF(self.base(name), encoding="cp1251")]
        return sorted(row for row in rows if row[0] != "_Multi_User_")

    def data(self):
        """The tree files with their modification times (a save rewrites them even unchanged), the tables, and
        the names in BASE (a backup made by the run would show)."""
        stamps = [os.stat(self.base(name)).st_mtime_ns for name in ("struct", "image", "add_Data")]
        names = sorted(os.listdir(os.path.join(self.home, "BASE")))
        return self.tree_files(), stamps, self.records("other.dbf"), self.records("device.dbf"), names

    def test_add_as_child_and_as_a_numbered_series_of_siblings(self):
        monitor = self.ok("node", "add", self.uno[PETROV], "5", "  Монитор")
        self.assertEqual([(level, icon, text) for level, icon, _, text in monitor], [(3, 5, "Монитор")])

        series = self.ok("node", "add", self.uno[DIRECTORATE], "6", "Принтер", "--sibling", "--repeat", "3",
                         "--inventory", "ИН-", "--from", "9")
        # One digit less than the last counter needs: 9, 10, 11 and no padding.
        self.assertEqual([(level, icon, text) for level, icon, _, text in series],
                         [(1, 6, "Принтер №ИН-9"), (1, 6, "Принтер №ИН-10"), (1, 6, "Принтер №ИН-11")])
        fixed = self.ok("node", "add", self.uno[IVANOV], "10", "Сейф", "--inventory", "С-7")
        self.assertEqual([text for *_, text in fixed], ["Сейф №С-7"])

        tree = self.tree()
        self.assertEqual(len({uno for _, _, uno, _ in tree}), len(tree), "every new node has its own UNO")
        for line in monitor + series + fixed:
            self.assertIn(line, tree, "the printed lines are the saved nodes")
        self.assertEqual([(level, text) for level, _, _, text in tree], [
            (0, BUCKET), (0, ENTERPRISE),
            (1, DIRECTORATE), (2, IVANOV), (3, "Сейф №С-7"),
            (1, ACCOUNTS), (2, PETROV), (3, "Монитор"), (2, SIDOROV),
            (1, NOTE_DELETE), (1, NOTE_OTHER),
            (1, "Принтер №ИН-9"), (1, "Принтер №ИН-10"), (1, "Принтер №ИН-11"),
        ])

    def test_renaming_a_networked_computer_writes_its_journal(self):
        [(_, _, computer, _)] = self.ok("node", "add", self.uno[IVANOV], "3", "ПК-1")
        self.ok("node", "add", computer, "4", "00AABBCCDDEE")
        self.assertEqual(self.records("device.dbf"), [])
        [(level, icon, uno, text)] = self.ok("node", "rename", computer, "ПК-2")
        self.assertEqual((level, icon, uno, text), (3, 3, computer, "ПК-2"))
        self.assertIn((3, "ПК-2"), self.outline())
        [journal] = self.records("device.dbf")
        self.assertEqual(journal[:2], ("00AABBCCDDEE", "_Config_log_"))
        self.assertTrue(journal[3].startswith("Изменено "), journal)
        self.assertTrue(journal[3].endswith(" с ПК-1 на ПК-2"), journal)

    def test_move_into_move_before_and_shift(self):
        moved = self.ok("node", "move", self.uno[SIDOROV], self.uno[PETROV], "--into", self.uno[DIRECTORATE])
        self.assertEqual([(level, text) for level, _, _, text in moved], [(2, SIDOROV), (2, PETROV)])
        self.ok("node", "move", self.uno[NOTE_OTHER], "--before", self.uno[DIRECTORATE])
        self.ok("node", "shift", self.uno[ACCOUNTS], "up")
        self.assertEqual(self.outline()[1:], [
            (0, ENTERPRISE), (1, NOTE_OTHER), (1, ACCOUNTS),
            (1, DIRECTORATE), (2, IVANOV), (2, SIDOROV), (2, PETROV),
            (1, NOTE_DELETE),
        ])
        self.ok("node", "shift", self.uno[NOTE_OTHER], "down")
        self.assertEqual([text for level, text in self.outline() if level == 1],
                         [ACCOUNTS, NOTE_OTHER, DIRECTORATE, NOTE_DELETE])

        before = self.data()
        in_place = (["shift", self.uno[NOTE_DELETE], "down"],
                    ["move", self.uno[NOTE_OTHER], "--before", self.uno[DIRECTORATE]])
        for args in in_place:
            [(_, _, uno, _)] = self.ok("node", *args)
            self.assertEqual(uno, args[1])
        self.assertEqual(self.data(), before, "a node already in place is not saved again")

    def test_delete_needs_yes_then_type_and_comments(self):
        before = self.data()
        asked = run(self.home, "node", "delete", self.uno[IVANOV])
        self.assertNotEqual(asked.returncode, 0)
        self.assertIn(f'Удалить запись "{IVANOV}"', asked.stderr)
        self.assertIn("--yes", asked.stderr)
        self.assertEqual(self.data(), before)

        self.assertEqual(self.ok("node", "delete", self.uno[IVANOV], "--yes"), [])
        self.assertNotIn(IVANOV, [text for _, text in self.outline()])

        [(_, icon, _, _)] = self.ok("node", "type", self.uno[PETROV], "10")
        self.assertEqual(icon, 10)
        with open(self.base("image"), "rb") as f:
            self.assertIn(f"10 ; {self.uno[PETROV]} ;{PETROV}".encode("cp1251"), f.read())

        # After "--" a line may begin with dashes; a line longer than the file keeps goes on in the next.
        self.ok("node", "comment", self.uno[SIDOROV], "--", "Стол 5", "--------", "я" * 300)
        index = [uno for _, _, uno, _ in self.tree()].index(self.uno[SIDOROV])
        self.assertEqual(self.tree_files()["add_Data"],
                         "".join(f"{index};Comment;{line}\r\n" for line in ["Стол 5", "--------", "я" * 255, "я" * 45])
                         .encode("cp1251"))
        self.ok("node", "comment", self.uno[SIDOROV], "--delete")
        self.assertEqual(self.tree_files()["add_Data"], b"")

    def test_bookmarks_are_kept_in_the_settings_across_runs(self):
        def listed():
            return [line.split(" ", 2) for line in self.ok_lines("bookmark", "list")]

        self.assertEqual(self.ok_lines("bookmark", "add", self.uno[PETROV]), [f"1 {self.uno[PETROV]} {PETROV}"])
        self.assertEqual(self.ok_lines("bookmark", "add", self.uno[ACCOUNTS]), [f"2 {self.uno[ACCOUNTS]} {ACCOUNTS}"])
        ini = os.path.join(self.home, "pelgo.ini")
        slots = [run(self.home, "profile", "get", ini, "BookMarks", f"BM{n}").stdout.strip() for n in (1, 2, 3)]
        self.assertEqual(slots, ["5", "4", "-1"], "absolute indexes of the nodes")

        # Another run loads the tree and saves it: the bookmarks follow their nodes.
        self.ok("node", "shift", self.uno[ACCOUNTS], "up")
        self.assertEqual(listed(), [["1", self.uno[PETROV], PETROV], ["2", self.uno[ACCOUNTS], ACCOUNTS]])

        self.assertEqual(self.ok_lines("bookmark", "delete", "1"), [])
        self.assertEqual(listed(), [["1", self.uno[ACCOUNTS], ACCOUNTS]])
        empty = run(self.home, "bookmark", "delete", "2")
        self.assertEqual(empty.returncode, 1)
        self.assertIn("slot 2 is empty", empty.stderr)

    def test_refusals_and_wrong_use_write_nothing(self):
        u = self.uno
        cases = [
            (["node", "delete", u[BUCKET], "--yes"], 1, "Первую запись дерева"),
            (["node", "delete", u[ACCOUNTS], "--yes"], 1, "Эта запись имеет вложенные ветви.\nВначале удалите их."),
            (["node", "move", u[DIRECTORATE], "--into", u[IVANOV]], 1,
             f'Нельзя переместить "{DIRECTORATE}" в её собственную ветвь "{IVANOV}"'),
            (["node", "move", u[ENTERPRISE], "--before", u[PETROV]], 1, "в её собственную ветвь"),
            (["node", "rename", "AAAAAAAAAAAA", "Склад"], 1,
             'no node of the structure tree has the UNO "AAAAAAAAAAAA"'),
            (["bookmark", "add", "AAAAAAAAAAAA"], 1, "no node of the structure tree has the UNO"),
            (["node", "add", u[IVANOV], "99", "Сейф"], 64, "there is no node type 99"),
            (["node", "add", u[IVANOV], "3", "ПК", "--repeat", "2"], 64, "--repeat adds siblings"),
            (["node", "add", u[IVANOV], "3", "ПК", "--sibbling"], 64, "unknown option --sibbling"),
            (["node", "move", u[IVANOV]], 64, "--into TARGET or --before TARGET"),
            (["bookmark", "delete", "6"], 64, "SLOT is 1 to 5"),
        ]
        protected_cases = [
            (["node", "rename", u[IVANOV], "Склад"], 1, "Включена защита данных"),
            (["node", "add", u[IVANOV], "3", "ПК"], 1, "Включена защита данных"),
            (["node", "move", u[PETROV], "--into", u[DIRECTORATE]], 1, "Включена защита данных"),
            (["node", "comment", u[IVANOV], "Стол 5"], 1, "Включена защита данных"),
            (["bookmark", "add", u[IVANOV]], 1, "Включена защита данных"),
        ]
        before = self.data()

        def check(table):
            for args, code, message in table:
                with self.subTest(args=args):
                    result = run(self.home, *args)
                    self.assertEqual(result.returncode, code, result.stderr)
                    self.assertIn(message, result.stderr)
                    self.assertEqual(result.stdout, "")
                    self.assertEqual(self.data(), before)

        check(cases)
        ini = os.path.join(self.home, "pelgo.ini")
        self.assertEqual(run(self.home, "profile", "set", ini, "Setup", "ProtectStructTree", "1").returncode, 0)
        check(protected_cases)


if __name__ == "__main__":
    unittest.main()
