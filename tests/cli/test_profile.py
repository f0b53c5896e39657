"""pelgo-cli profile: UTF-8 on the command line, cp1251 with CR LF in the file, the rest of the file kept."""

import os
import subprocess
import tempfile
import unittest

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")


def run(*args):
    return subprocess.run([CLI, "profile", *args], capture_output=True, text=True, encoding="utf-8")


class ProfileCommandsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.tmp.name, "папка", "pelgo.ini")

    def tearDown(self):
        self.tmp.cleanup()

    def check(self, *args):
        result = run(*args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def content(self):
        with open(self.path, "rb") as f:
            return f.read()

    def test_round_trip_with_cyrillic(self):
        self.check("set", self.path, "Отдел", "Имя", "Иванов И.И.")
        self.check("set", self.path, "Отдел", "Стаж", "5")
        self.check("set", self.path, "Прочее", "Ключ", "значение")
        self.assertEqual(
            self.content(),
            "[Отдел]\r\nИмя=Иванов И.И.\r\nСтаж=5\r\n[Прочее]\r\nКлюч=значение\r\n".encode("cp1251"),
        )
        self.assertEqual(self.check("get", self.path, "ОТДЕЛ", "имя"), "Иванов И.И.\n")
        self.assertEqual(self.check("get", self.path, "Отдел", "Нет", "по умолчанию"), "по умолчанию\n")

        self.check("delete", self.path, "отдел", "ИМЯ")
        self.assertEqual(self.check("get", self.path, "Отдел", "Имя", "-"), "-\n")
        self.assertEqual(self.check("get", self.path, "Отдел", "Стаж"), "5\n")

        self.check("delete", self.path, "Отдел")
        self.assertEqual(self.content(), "[Прочее]\r\nКлюч=значение\r\n".encode("cp1251"))

    def test_set_keeps_comments_and_other_lines(self):
        os.makedirs(os.path.dirname(self.path))
        before = "; настройки\r\n[Setup]\r\n; путь к базе\r\nPath = old\r\n#Не комментарий=1\r\n\r\n[Other]\r\nX=1\r\n"
        with open(self.path, "wb") as f:
            f.write(before.encode("cp1251"))
        self.check("set", self.path, "SETUP", "PATH", ".\\БАЗА\\")
        self.assertEqual(self.content(), before.replace("Path = old", "Path=.\\БАЗА\\").encode("cp1251"))
        self.assertEqual(self.check("get", self.path, "Setup", "#не КОММЕНТАРИЙ"), "1\n")

    def test_get_of_a_missing_file_prints_the_default_and_creates_nothing(self):
        self.assertEqual(self.check("get", self.path, "Setup", "Path", "нет"), "нет\n")
        self.assertFalse(os.path.exists(os.path.dirname(self.path)))

    def test_wrong_use_and_unwritable_file(self):
        self.assertEqual(run("get", self.path, "Setup").returncode, 64)
        self.assertEqual(run("rename", self.path, "Setup", "Path").returncode, 64)
        blocker = os.path.join(self.tmp.name, "file")
        with open(blocker, "wb"):
            pass
        result = run("set", os.path.join(blocker, "pelgo.ini"), "A", "K", "1")
        self.assertEqual(result.returncode, 1)
        self.assertIn(os.path.join(blocker, "pelgo.ini"), result.stderr)


if __name__ == "__main__":
    unittest.main()
