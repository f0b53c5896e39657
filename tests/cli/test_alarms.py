"""pelgo-cli alarms: the change monitor's records of other.dbf, listed without ageing them."""

import hashlib
import os
import subprocess
import unittest

from installation_cli import CLI, InstallationCase, run


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class AlarmsTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.other = os.path.join(self.home, "BASE", "other.dbf")
        # UNO, GROUP, NAME, TEXT in the order the monitor and the window would append them.
        for record in [
            ("0050BA1C2D3E", "09.03.2026 08:00:05", "SENTINOX", ">>>Память 128 -> 64 Мб"),
            ("_SNX_ALARM_", "Диск C", "SENTINOX", "осталось 2%"),
            ("0050BA1C2D3E", "aModel", "aModel", "ASUS P5K"),
            ("_SNX_ALARM_", "Сеть", "XXXXX", "нет связи"),
            ("_Multi_User_", "ПК-1", "SENTINOX", "a presence record, not the monitor's"),
            ("00AA00000001", "08.03.2026 23:59:59", "SENTINOX", "CPU changed"),
            ("0050BA1C2D3E", "09.03.2026 08:00:05", "SENTINOX", "Soft_3=Notepad"),
        ]:
            result = subprocess.run([CLI, "dbf", "append", self.other, *record], capture_output=True, text=True,
                                    encoding="utf-8")
            self.assertEqual(result.returncode, 0, result.stderr)

    def test_lists_the_monitors_records_in_index_order_and_writes_nothing(self):
        before = digest(self.other)
        result = run(self.home, "alarms")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines(), [
            "0050BA1C2D3E\t09.03.2026 08:00:05\t>>>Память 128 -> 64 Мб",
            "0050BA1C2D3E\t09.03.2026 08:00:05\tSoft_3=Notepad",
            "00AA00000001\t08.03.2026 23:59:59\tCPU changed",
            "_SNX_ALARM_\tДиск C\tосталось 2%",
            "_SNX_ALARM_\tСеть\tнет связи",
        ])
        self.assertEqual(run(self.home, "alarms").stdout, result.stdout, "a second look finds them unaged")
        self.assertEqual(digest(self.other), before)

    def test_no_records_no_lines_and_wrong_use(self):
        self.assertEqual(run(os.path.join(self.tmp.name, "fresh"), "init").returncode, 0)
        fresh = run(os.path.join(self.tmp.name, "fresh"), "alarms")
        self.assertEqual((fresh.returncode, fresh.stdout), (0, ""), fresh.stderr)
        self.assertEqual(run(self.home, "alarms", "extra").returncode, 64)


if __name__ == "__main__":
    unittest.main()
