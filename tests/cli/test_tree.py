"""pelgo-cli tree: the first run, saving through the commit, a look that writes nothing, rejected files."""

import os
import subprocess
import unittest

from installation_cli import CLI, InstallationCase, run

SAMPLE = [
    (0, 1, "Неоприходованная техника"),
    (0, 1, "Название Вашего предприятия"),
    (1, 1, "Дирекция"),
    (2, 2, "Иванов Иван Иванович"),
    (1, 1, "Бухгалтерия"),
    (2, 2, "Петров Петр Петрович"),
    (2, 2, "Сидоров Сидор Сидорович"),
    (1, 11, "Для удаления используйте клавиши [Ctrl+DEL]"),
    (1, 11, 'Прочие операции - правая клавиша мыши или меню "Навигация"'),
]


class TreeTest(InstallationCase):
    def base(self, name):
        return os.path.join(self.home, "BASE", name)

    def read(self, name):
        with open(self.base(name), "rb") as f:
            return f.read()

    def snapshot(self, folder=None):
        """Every file under the folder with its bytes and modification time."""
        files = {}
        for root, _, names in os.walk(folder or self.home):
            for name in names:
                path = os.path.join(root, name)
                with open(path, "rb") as f:
                    files[path] = (f.read(), os.stat(path).st_mtime_ns)
        return files

    def test_a_new_installation_gets_no_tree_without_an_answer(self):
        before = self.snapshot()
        for args in (["tree"], ["tree", "--save"], ["tree", "--yes"]):
            result = run(self.home, *args)
            self.assertNotEqual(result.returncode, 0, args)
            self.assertIn("there is no structure tree yet", result.stderr)
            self.assertIn("--yes", result.stderr)
        self.assertEqual(self.snapshot(), before)

    def test_yes_save_writes_the_sample_tree_and_a_look_prints_it_untouched(self):
        created = run(self.home, "tree", "--yes", "--save")
        self.assertEqual(created.returncode, 0, created.stderr)
        self.assertIn("Здравствуйте !", created.stderr)
        nodes = self.parse_tree(created.stdout)
        self.assertEqual([(level, icon, text) for level, icon, _, text in nodes], SAMPLE)
        image = self.read("image").decode("cp1251").split("\r\n")
        self.assertEqual(image[:-1], [f"{icon} ; {uno} ;{text}" for _, icon, uno, text in nodes])
        self.assertEqual(self.read("add_Data"), b"")
        self.assertTrue(os.path.isfile(self.base("help_rus.bak")))

        before = self.snapshot()
        look = run(self.home, "tree")
        self.assertEqual(look.returncode, 0, look.stderr)
        self.assertEqual(look.stdout, created.stdout)
        self.assertEqual(self.snapshot(), before, "a look writes nothing, not even a log line")

    def test_no_save_writes_the_bucket_alone_and_saving_again_keeps_the_bytes(self):
        created = run(self.home, "tree", "--no", "--save")
        self.assertEqual(created.returncode, 0, created.stderr)
        self.assertEqual([text for *_, text in self.parse_tree(created.stdout)], ["Неоприходованная техника"])
        files = [self.read(name) for name in ("struct", "image", "add_Data")]
        again = run(self.home, "tree", "--save")
        self.assertEqual(again.returncode, 0, again.stderr)
        self.assertEqual([self.read(name) for name in ("struct", "image", "add_Data")], files)
        with open(os.path.join(self.home, "pelgo.log"), "rb") as f:
            self.assertEqual(f.read().decode("cp1251").count("Данные сохранены"), 2)

    def test_a_dead_writers_commit_is_shown_by_a_look_and_finished_by_the_next_save(self):
        self.assertEqual(run(self.home, "tree", "--no", "--save").returncode, 0)
        image = self.read("image").decode("cp1251").replace("Неоприходованная техника", "Склад")
        for name, content in (("struct.tmp", "Склад\r\n".encode("cp1251")), ("image.tmp", image.encode("cp1251")),
                              ("add_Data.tmp", b""), ("struct.commit", b"")):
            with open(self.base(name), "wb") as f:
                f.write(content)
        before = self.snapshot()
        look = run(self.home, "tree")
        self.assertEqual(look.returncode, 0, look.stderr)
        self.assertEqual([text for *_, text in self.parse_tree(look.stdout)], ["Склад"])
        self.assertEqual(self.snapshot(), before, "a look leaves the dead writer's files to a writer")

        saved = run(self.home, "tree", "--save")
        self.assertEqual(saved.returncode, 0, saved.stderr)
        self.assertEqual([text for *_, text in self.parse_tree(saved.stdout)], ["Склад"])
        tree_files = [n for n in os.listdir(os.path.join(self.home, "BASE")) if n.startswith(("struct", "image", "add"))]
        self.assertEqual(sorted(tree_files), ["add_Data", "image", "struct", "struct.lock"])
        self.assertEqual(self.read("struct"), "Склад\r\n".encode("cp1251"))

    def test_a_save_is_present_on_the_data_while_it_runs_and_leaves_no_presence(self):
        self.assertEqual(run(self.home, "tree", "--no", "--save").returncode, 0)
        dump = subprocess.run([CLI, "dbf", "dump", self.base("other.dbf")], capture_output=True, text=True)
        presence = [line.split("\t") for line in dump.stdout.splitlines() if line.startswith("_Multi_User_")]
        self.assertEqual(len(presence), 1, dump.stdout)
        self.assertEqual(len(presence[0][2]), 16, "the instance id names this user and computer")
        self.assertEqual(presence[0][1:2] + presence[0][3:], ["", ""], "marker and text are cleared at the end")
        self.assertEqual(run(self.home, "presence").stdout, "status: 0\n")

    def test_a_file_with_an_invalid_level_is_refused_and_left_alone(self):
        with open(self.base("struct"), "wb") as f:
            f.write("Отдел\r\n\tБухгалтерия\r\n\t\t\tКасса\r\n".encode("cp1251"))
        with open(self.base("image"), "wb") as f:
            f.write(b"1 ;\r\n1 ;\r\n1 ;\r\n")
        before = self.snapshot(os.path.join(self.home, "BASE"))
        ini = self.snapshot()[os.path.join(self.home, "pelgo.ini")]
        for args in (["tree"], ["tree", "--save"]):
            result = run(self.home, *args)
            self.assertEqual(result.returncode, 1, args)
            self.assertIn('line 3: Invalid level (3) for item "Касса"', result.stderr)
            self.assertIn(self.base("struct"), result.stderr)
            self.assertIn("nothing was written", result.stderr)
            self.assertEqual(result.stdout, "")
        self.assertEqual(self.snapshot(os.path.join(self.home, "BASE")), before)
        self.assertEqual(self.snapshot()[os.path.join(self.home, "pelgo.ini")], ini)


if __name__ == "__main__":
    unittest.main()
