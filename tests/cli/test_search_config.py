"""pelgo-cli search config: the collector-file search run to its end, which only looks at the installation."""

import os
import unittest

from installation_cli import SharedInstallation, run

# Two directories of collector files (cp1251): the first holds two hits in INFO, one of them with a number.
FILES = {
    "сбор": {
        "b.ini": "[Info]\r\nMAC_Addr=00AABBCCDDEE\r\nInventoryNumber=ПК №7\r\nUser=Иванов\r\n",
        "A.ini": "[INFO]\r\nMAC_Addr=001122334455\r\nUser=иванова\r\n[Windows_Soft]\r\nSoft_1=Офис\r\n",
        "c.ini": "[Info]\r\nMAC_Addr=0011223344FF\r\nUser=Петров\r\n[Windows_Soft]\r\nSoft_1=Офис\r\n",
    },
    "second": {"d.ini": "[Info]\r\nMAC_Addr=00-11-22-33-44-AA\r\nИванов=ключ\r\nSoft=офис\r\n"},
}


class SearchConfigTest(SharedInstallation):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.dirs = []
        for folder, files in FILES.items():
            path = os.path.join(cls.tmp.name, folder)
            os.mkdir(path)
            cls.dirs.append(path)
            for name, text in files.items():
                with open(os.path.join(path, name), "wb") as f:
                    f.write(text.encode("cp1251"))

    def snapshot(self):
        """Every file of the installation with its bytes and modification time."""
        files = {}
        for root, _, names in os.walk(self.home):
            for name in names:
                path = os.path.join(root, name)
                with open(path, "rb") as f:
                    files[path] = (f.read(), os.stat(path).st_mtime_ns)
        return files

    def search(self, *args, code=0):
        result = run(self.home, "search", "config", *args)
        self.assertEqual(result.returncode, code, result.stderr)
        return result

    def test_every_hit_from_the_update_directories_and_nothing_written(self):
        refused = self.search("иванов", code=1)
        self.assertEqual(refused.stdout, "")
        self.assertIn("Настройка поиска :\nКнопками \"Добавить\"-\"Удалить\"\nзаполните перечень каталогов !",
                      refused.stderr)

        settings = os.path.join(self.home, "pelgo.ini")
        for i, path in enumerate(self.dirs):
            self.assertEqual(run(self.home, "profile", "set", settings, "UpdPatches", str(i), path).returncode, 0)
        before = self.snapshot()
        result = self.search("иванов")
        self.assertEqual(result.stdout.splitlines(), [
            f"{self.dirs[0]}/A.ini\t1/3\t001122334455\t\t",
            f"{self.dirs[0]}/b.ini\t2/3\t00AABBCCDDEE\tПК №7\tНайти ПК №7 ?",
        ])
        self.assertEqual(self.snapshot(), before)
        self.assertEqual(self.search("nowhere").stdout, "")

    def test_options(self):
        first, second = self.dirs[0] + "/", self.dirs[1]
        cases = [
            (["--section", "WINDOWS Soft", "офис"], [f"{self.dirs[0]}/A.ini\t1/3", f"{self.dirs[0]}/c.ini\t3/3"]),
            (["--case", "Офис"], []),
            (["--case", "офис"], [f"{second}/d.ini\t1/1"]),
            (["--case", "иванов"], [f"{self.dirs[0]}/A.ini\t1/3"]),
            (["--first", "иванов"], [f"{self.dirs[0]}/A.ini\t1/3"]),
            (["soft"], []),
        ]
        for args, hits in cases:
            with self.subTest(args=args):
                lines = self.search("--dir", first, "--dir", second, *args).stdout.splitlines()
                self.assertEqual(["\t".join(line.split("\t")[:2]) for line in lines], hits)

    def test_question_by_mac_address(self):
        line, = self.search("--dir", self.dirs[1], "ОФИС").stdout.splitlines()
        self.assertEqual(line.split("\t")[2:], ["00-11-22-33-44-AA", "", "Найти MAC-adr 00-11-22-33-44-AA ?"])

    def test_window(self):
        lines = self.search("--dir", self.dirs[0], "--dir", "/nowhere/at/all", "--window", "петров").stdout
        lines = lines.splitlines()
        heading = f"---- файл {self.dirs[0]}/c.ini (3-й из 3)"
        self.assertEqual(lines[:4], ["Поиск \"ПЕТРОВ\"...", "", f"----[{self.dirs[0]}]---- (Total files : 3)",
                                     heading + " --- BEGIN " + "-" * 96])
        self.assertEqual(lines[4:9], ["   [Info]", "   MAC_Addr=0011223344FF", "   User=Петров", "   [Windows_Soft]",
                                      "   Soft_1=Офис"])
        self.assertEqual(lines[9:11], [heading + " ---  END  " + "-" * 96, ""])
        self.assertRegex(lines[11], r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d  Продолжение поиска \"ПЕТРОВ\"\.\.\.$")
        self.assertEqual(lines[12:], ["Path not found : /nowhere/at/all"])


if __name__ == "__main__":
    unittest.main()
