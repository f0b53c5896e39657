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
