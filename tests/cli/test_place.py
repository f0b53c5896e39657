"""pelgo-cli place: the placement of unplaced computers as one more instance on the data."""

import os
import unittest

from installation_cli import InstallationCase, run

BUCKET = "Неоприходованная техника"


class PlaceTest(InstallationCase):
    def test_the_protocol_is_printed_and_kept_in_the_installation_folder(self):
        made = run(self.home, "tree", "--save", "--yes")
        self.assertEqual(made.returncode, 0, made.stderr)
        bucket = next(uno for _, _, uno, text in self.parse_tree(made.stdout) if text == BUCKET)
        # A computer without archive records is no candidate: it stays where it is.
        [(_, _, computer, _)] = self.parse_tree(run(self.home, "node", "add", bucket, "3", "ПК-1").stdout)
        self.assertEqual(run(self.home, "node", "add", computer, "4", "00AA00000001").returncode, 0)
        before = run(self.home, "tree").stdout

        placed = run(self.home, "place")
        self.assertEqual(placed.returncode, 0, placed.stderr)
        self.assertEqual(placed.stdout, "Распределение неучтенных компьютеров...\n")
        with open(os.path.join(self.home, "move.log"), "rb") as f:
            self.assertEqual(f.read(), "Распределение неучтенных компьютеров...\r\n".encode("cp1251"))
        self.assertEqual(run(self.home, "tree").stdout, before)
        self.assertEqual(run(self.home, "place", "--all").returncode, 64)


if __name__ == "__main__":
    unittest.main()
