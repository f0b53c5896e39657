"""Runs pelgo-cli (the binary named by PELGO_CLI) on an installation folder, UTF-8 in and out."""

import os
import subprocess

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")


def run(home, *args):
    return subprocess.run([CLI, "--home", home, *args], capture_output=True, text=True, encoding="utf-8")
