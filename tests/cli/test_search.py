"""pelgo-cli search tree|archive|adddata|log: the hits of "C начала" and each "Дальше..." after it, and the work
log as the viewer shows it; a look that writes nothing."""

import datetime
import os
import unittest

from installation_cli import SharedInstallation, run

IVANOV = "Иванов Иван Иванович"
PETROV = "Петров Петр Петрович"
MAC = "00AABBCCDDEE"


class SearchTest(SharedInstallation):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.cli("tree", "--save", "--yes")
        computer = cls.parse(cls.cli("node", "add", cls.uno_of(IVANOV), "3", "ПК-1"))
        cls.cli("node", "add", computer, "4", MAC)
        cls.cli("node", "add", cls.uno_of(PETROV), "3", "ПК-2")
        cls.index = {text: i for i, (_, text) in enumerate(cls.nodes())}
        cls.cli("adddata", cls.uno_of(PETROV), "--set", "Телефон=22-15 комн. 12")
        cls.cli("adddata", cls.uno_of(IVANOV), "--set", "Помещение=комн. 12")
        device = os.path.join(cls.home, "BASE", "device.dbf")
        # In MAC order the record of no computer comes first.
        for values in ([MAC, "CPU", "Name", "Intel Core"], ["000000000001", "CPU", "Name", "Intel Atom"],
                       [MAC, "RAM", "Size", "4096"]):
            cls.cli("dbf", "append", device, *values)
        cls.log = os.path.join(cls.home, "pelgo.log")
        today = datetime.date.today().strftime("%d.%m.%Y")
        with open(cls.log, "wb") as out:
            out.write("\r\n".join([
                "01.03.2026 10:00:00 IVANOV ПК-1 добавлен",
                f"01.03.2026 10:01:00 IVANOV MAC={MAC} Удален и добавлен",
                f"{today} 09:00:00 PETROV Чтение pelgo.ini",
                f"{today} 09:05:00 PETROV ПК-2 Удален",
            ]).encode("cp1251") + b"\r\n")

    @staticmethod
    def parse(stdout):
        return stdout.split()[1]

    def files(self):
        found = {}
        for folder, _, names in os.walk(self.home):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    found[path] = (os.stat(path).st_mtime_ns, f.read())
        return found

    def search(self, *args, code=0):
        before = self.files()
        result = run(self.home, "search", *args)
        self.assertEqual(result.returncode, code, f"{args}: {result.stderr}")
        self.assertEqual(self.files(), before, f"{args} wrote to the installation")
        return [line.split("\t") for line in result.stdout.splitlines()]

    def test_tree(self):
        ivanov, pc1 = str(self.index[IVANOV]), str(self.index["ПК-1"])
        for args, hits in [
            (["иванов"], [[ivanov, IVANOV]]),
            (["Иванов Иван Иванович, бухгалтер"], [[ivanov, IVANOV]]),
            (["пк-"], [[pc1, "ПК-1"], [str(self.index["ПК-2"]), "ПК-2"]]),
            (["--first", "пк-"], [[pc1, "ПК-1"]]),
            (["--after", pc1, "пк-1"], []),
            (["--case", "пк-"], []),
        ]:
            self.assertEqual(self.search("tree", *args), hits, args)

    def test_archive_and_additional_data(self):
        computer = str(self.index["ПК-1"])
        self.assertEqual(self.search("archive", "intel"), [[computer, "ПК-1", MAC, "CPU", "Name", "Intel Core"]])
        self.assertEqual(self.search("archive", "--case", "intel"), [])
        hits = self.search("adddata", "КОМН. 12")
        self.assertEqual(sorted(hit[1] for hit in hits), sorted([IVANOV, PETROV]))
        unos = [hit[2] for hit in hits]
        self.assertEqual(unos, sorted(unos), "in UNO order")
        self.assertEqual(self.search("adddata", "--first", "КОМН. 12"), hits[:1])

    def test_log(self):
        today = datetime.date.today().strftime("%d.%m.%Y")
        computer = str(self.index["ПК-1"])
        everything = [
            ["green", "01.03.2026 10:00:00 IVANOV ПК-1 добавлен"],
            ["green", f"01.03.2026 10:01:00 IVANOV MAC={MAC} Удален и добавлен"],
            ["olive", f"{today} 09:00:00 PETROV Чтение pelgo.ini"],
            ["red", f"{today} 09:05:00 PETROV ПК-2 Удален"],
        ]
        for args, shown in [
            ([], everything),
            (["--filter", "пк-"], [everything[0], everything[3]]),
            (["--today"], everything[2:]),
            (["--node", computer], everything[:2]),
            (["--node", computer, "--reload"], everything[:1]),
        ]:
            self.assertEqual(self.search("log", *args), shown, args)

    def test_missing_log(self):
        os.rename(self.log, self.log + ".away")
        try:
            self.assertEqual(self.search("log", code=1), [["black", "Файл не найден " + self.log]])
        finally:
            os.rename(self.log + ".away", self.log)


if __name__ == "__main__":
    unittest.main()
