"""pelgo-cli init chooses the start language: Russian, or the one named by --language."""

import os
import tempfile
import unittest

from installation_cli import run


class InitLanguageTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.home = os.path.join(self.tmp.name, "pelgo")

    def tearDown(self):
        self.tmp.cleanup()

    def stored_language(self):
        with open(os.path.join(self.home, "pelgo.ini"), "rb") as f:
            ini = f.read().decode("cp1251")
        language = ini[ini.index("[Language]"):]
        return language.split("\r\nLanguage=")[1].split("\r\n")[0]

    def test_the_position_in_the_sorted_language_list_is_stored(self):
        # The shipped languages sort as English, Русский.
        cases = (((), "1"), (("--language", "english"), "0"), (("--language", "Русский"), "1"))
        for number, (args, position) in enumerate(cases):
            with self.subTest(args=args):
                self.home = os.path.join(self.tmp.name, "pelgo%d" % number)
                result = run(self.home, "init", *args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(self.stored_language(), position)
                for name in ("English.lng", "Russian.lng"):
                    self.assertTrue(os.path.isfile(os.path.join(self.home, "BASE", name)))

    def test_an_unknown_language_is_refused_and_init_can_be_run_again(self):
        result = run(self.home, "init", "--language", "Klingon")
        self.assertEqual(result.returncode, 64)
        self.assertIn("no language file is named Klingon (there are: English, Русский)", result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.home, "pelgo.ini")))
        result = run(self.home, "init", "--language", "English")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.stored_language(), "0")


if __name__ == "__main__":
    unittest.main()
