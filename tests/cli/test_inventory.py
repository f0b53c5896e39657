"""pelgo-cli inventory: the tree's inventory numbers written into the collector files, with the protocol."""

import fcntl
import os
import re
import unittest

from installation_cli import InstallationCase, run

DESKTOP = "0050BA000001"
LAPTOP = "0050BA000002"
UNKNOWN = "00FF00000009"
HEADING = re.compile(r"^Простановка инвентарных номеров \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$")


def collector(address):
    return f"[Info]\r\nMAC_Addr={address}\r\nComputer_Name=WS\r\n\r\n[Computer]\r\nCPU=Pentium\r\n\r\n".encode("cp1251")


def read(path):
    with open(path, "rb") as f:
        return f.read()


class InventoryTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)
        # Неоприходованная техника > Бухгалтерия > two computers with one number, each with its address.
        top = self.parse_tree(run(self.home, "tree").stdout)[0][2]
        department = self.add(top, 1, "Бухгалтерия")
        for caption, address in (("Системный блок №101", DESKTOP), ("Ноутбук №101", LAPTOP)):
            self.add(self.add(department, 3, caption), 4, address)
        self.files = os.path.join(self.tmp.name, "сбор")
        os.makedirs(self.files)
        for address in (DESKTOP, LAPTOP, UNKNOWN):
            with open(self.path(address), "wb") as f:
                f.write(collector(address))

    def add(self, parent, icon, text):
        added = run(self.home, "node", "add", parent, str(icon), text)
        self.assertEqual(added.returncode, 0, added.stderr)
        return self.parse_tree(added.stdout)[0][2]

    def path(self, address):
        return os.path.join(self.files, address)

    def keys(self, address):
        """The file's [InventoryData] keys and [Info] InventoryNumber."""
        text = read(self.path(address)).decode("cp1251")
        section = text.split("[InventoryData]\r\n", 1)[1].split("\r\n\r\n", 1)[0]
        keys = dict(line.split("=", 1) for line in section.split("\r\n"))
        info = re.search(r"^InventoryNumber=(.*)\r$", text, re.M)
        keys["Info"] = info.group(1) if info else None
        return keys

    def test_the_numbers_are_written_and_the_protocol_printed_and_kept(self):
        result = run(self.home, "inventory", "сбор", cwd=self.tmp.name)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(lines[:2], ["ВНИМАНИЕ ! Дублируются инвентарные номера :", "Бухгалтерия №101"])
        self.assertRegex(lines[2], HEADING)
        # The directory as given, made absolute; the files in name order.
        self.assertEqual(lines[3:], [self.files, "Системный блок №101 \tБухгалтерия", "Ноутбук №101 \tБухгалтерия"])
        self.assertIn("Обнаружены дублирующиеся инвентарные номера (см.протокол)!", result.stderr)
        log = os.path.join(self.home, "inventory.log")
        self.assertIn(f"Обработано файлов - 3\nпротокол инвентаризации сохранен в\n{log}", result.stderr)
        self.assertEqual(read(log), "".join(line + "\r\n" for line in lines).encode("cp1251"))

        for address, caption in ((DESKTOP, "Системный блок №101"), (LAPTOP, "Ноутбук №101")):
            keys = self.keys(address)
            self.assertEqual(keys["Info"], caption)
            self.assertEqual(keys["InventoryNumber"], caption)
            self.assertEqual(keys["Ovner"], "Бухгалтерия")
            self.assertEqual(keys["Location"], "Неоприходованная техника;Бухгалтерия")
            self.assertRegex(keys["InventoryDate"], r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d \(.+\)$")
        self.assertEqual(read(self.path(UNKNOWN)), collector(UNKNOWN), "an unknown address is left as it was")

    def test_a_file_held_by_another_writer_is_recorded_and_skipped(self):
        # The agent holds the file with a POSIX record lock, which our open-file-description locks respect.
        with open(self.path(DESKTOP), "r+b") as agent:
            fcntl.lockf(agent, fcntl.LOCK_EX | fcntl.LOCK_NB)
            result = run(self.home, "inventory", self.files)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines()[3:], [
            self.files,
            f"{DESKTOP} : Cannot open file {self.path(DESKTOP)}",
            "Ноутбук №101 \tБухгалтерия",
        ])
        self.assertEqual(read(self.path(DESKTOP)), collector(DESKTOP))
        self.assertEqual(self.keys(LAPTOP)["InventoryNumber"], "Ноутбук №101")
        self.assertIn(f"{DESKTOP} : Cannot open file", read(os.path.join(self.home, "inventory.log")).decode("cp1251"))

    def test_the_update_directories_are_the_default_and_an_empty_list_is_refused(self):
        refused = run(self.home, "inventory")
        self.assertEqual(refused.returncode, 1)
        self.assertIn("Для заполнения перечня каталогов нажмите на кнопку \"Добавить\"", refused.stderr)
        self.assertEqual(refused.stdout, "")
        self.assertFalse(os.path.exists(os.path.join(self.home, "inventory.log")))

        settings = os.path.join(self.home, "pelgo.ini")
        self.assertEqual(run(self.home, "profile", "set", settings, "UpdPatches", "0", self.files).returncode, 0)
        result = run(self.home, "inventory")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines()[3], self.files)
        self.assertEqual(self.keys(DESKTOP)["InventoryNumber"], "Системный блок №101")


if __name__ == "__main__":
    unittest.main()
