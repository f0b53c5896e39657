"""Runs pelgo-cli (the binary named by PELGO_CLI) on an installation folder, UTF-8 in and out."""

import os
import subprocess
import tempfile
import unittest

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")


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
