"""Runs pelgo-cli (the binary named by PELGO_CLI) on an installation folder, UTF-8 in and out."""

import os
import re
import subprocess
import tempfile
import unittest

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")
# A line of `pelgo-cli tree`: TAB levels, icon index, UNO, text.
TREE_LINE = re.compile(r"^(\t*)(\d+) ([A-}]{12}) (.*)$")


def run(home, *args, **options):
    """`options` go to subprocess.run, e.g. the user and group to run as."""
    return subprocess.run([CLI, "--home", home, *args], capture_output=True, text=True, encoding="utf-8", **options)


class InstallationCase(unittest.TestCase):
    """A test on a fresh installation made by init in a temporary folder with a Cyrillic name."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.home = os.path.join(self.tmp.name, "Учёт")
        result = run(self.home, "init")
        self.assertEqual(result.returncode, 0, result.stderr)

    def tearDown(self):
        self.tmp.cleanup()

    def parse_tree(self, stdout):
        """The tree lines of a command's output as (level, icon, UNO, text)."""
        nodes = []
        for line in stdout.splitlines():
            match = TREE_LINE.match(line)
            self.assertIsNotNone(match, line)
            nodes.append((len(match.group(1)), int(match.group(2)), match.group(3), match.group(4)))
        return nodes


class SharedInstallation(unittest.TestCase):
    """One installation, made by init in a temporary folder with a Cyrillic name, for every case of a class;
    a subclass builds on it in its own setUpClass after calling this one."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.home = os.path.join(cls.tmp.name, "Учёт")
        cls.cli("init")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    @classmethod
    def cli(cls, *args):
        """The command's output; a failure fails the class's set-up or the case."""
        result = run(cls.home, *args)
        if result.returncode != 0:
            raise AssertionError(f"{args}: {result.stderr}")
        return result.stdout

    @classmethod
    def tree(cls):
        return [TREE_LINE.match(line) for line in cls.cli("tree").splitlines()]

    @classmethod
    def nodes(cls):
        """(UNO, text) of every node."""
        return [m.group(3, 4) for m in cls.tree()]

    @classmethod
    def unos(cls, *icons):
        """The UNO of the first node of each icon index."""
        lines = cls.tree()
        return [next(m.group(3) for m in lines if int(m.group(2)) == icon) for icon in icons]

    @classmethod
    def uno_of(cls, text):
        uno, = [m.group(3) for m in cls.tree() if m.group(4) == text]
        return uno
