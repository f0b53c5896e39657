"""pelgo-cli ini: UTF-8 on the command line, cp1251 in the file, and the writer lock seen from other processes."""

import os
import subprocess
import tempfile
import unittest

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")


def run(*args):
    return subprocess.run([CLI, "ini", *args], capture_output=True, text=True, encoding="utf-8", timeout=30)


class IniCommandsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.dir.name, "001122334455.ini")
        with open(self.path, "wb") as f:
            f.write("; agent\r\n[Общие]\r\nИмя = \"Бухгалтерия\"\r\nЧисло=0x1F\r\nФлаг=0\r\n".encode("cp1251"))

    def tearDown(self):
        self.dir.cleanup()

    def check(self, *args, out=""):
        result = run(*args)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, out)
        return result

    def file_bytes(self):
        with open(self.path, "rb") as f:
            return f.read()

    def test_round_trip_with_cyrillic(self):
        self.check("dump", self.path, out="[Общие]\nИмя=Бухгалтерия\nЧисло=0x1F\nФлаг=0\n\n")
        self.check("get", self.path, "общие", "ИМЯ", out="Бухгалтерия\n")
        self.check("get", self.path, "Общие", "Нет", "по умолчанию", out="по умолчанию\n")
        self.check("get", self.path, "Общие", "Нет", out="\n")

        self.check("set", self.path, "Сеть", "Адрес", "Комната 5")
        self.check("delete", self.path, "Общие", "Флаг")
        self.assertEqual(
            self.file_bytes(),
            "[Общие]\r\nИмя=Бухгалтерия\r\nЧисло=0x1F\r\n\r\n[Сеть]\r\nАдрес=Комната 5\r\n\r\n".encode("cp1251"),
        )
        self.check("delete", self.path, "ОБЩИЕ")
        self.assertEqual(self.file_bytes(), "[Сеть]\r\nАдрес=Комната 5\r\n\r\n".encode("cp1251"))

    def test_unchanged_set_leaves_the_file_alone(self):
        before = self.file_bytes()
        self.check("set", self.path, "Общие", "Флаг", "0")
        self.assertEqual(self.file_bytes(), before)

    def test_int_and_bool(self):
        cases = [
            (("--int", "Общие", "Число"), "31\n"),
            (("--int", "Общие", "Имя", "-7"), "-7\n"),
            (("--int", "Общие", "Нет"), "0\n"),
            (("--bool", "Общие", "Флаг", "1"), "0\n"),
            (("--bool", "Общие", "Число"), "1\n"),
            (("--bool", "Общие", "Нет", "5"), "1\n"),
        ]
        for (flag, *rest), out in cases:
            with self.subTest(args=rest, flag=flag):
                self.check("get", flag, self.path, *rest, out=out)

    def test_wrong_use(self):
        for args in [("get", "--int", self.path, "S", "K", "abc"), ("get", "--int", "--bool", self.path, "S", "K"),
                     ("set", self.path, "S", "K"), ("frobnicate", self.path)]:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 64)
                self.assertTrue(result.stderr.startswith("pelgo-cli: "), result.stderr)

    def test_a_held_writer_keeps_other_writers_out_but_not_readers(self):
        holder = subprocess.Popen([CLI, "ini", "set", "--hold", "3", self.path, "Общие", "Имя", "Склад"],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, encoding="utf-8")
        try:
            self.assertTrue(holder.stdout.readline().startswith("holding "))
            blocked = run("set", self.path, "Общие", "Имя", "Касса")
            self.assertEqual(blocked.returncode, 2)
            self.assertIn("Cannot open file " + self.path, blocked.stderr)
            self.check("get", self.path, "Общие", "Имя", out="Бухгалтерия\n")
        finally:
            _, errors = holder.communicate(timeout=30)
        self.assertEqual(holder.returncode, 0, errors)
        self.check("get", self.path, "Общие", "Имя", out="Склад\n")
        self.check("set", self.path, "Общие", "Имя", "Касса")
        self.check("get", self.path, "Общие", "Имя", out="Касса\n")


if __name__ == "__main__":
    unittest.main()
