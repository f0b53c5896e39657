"""pelgo-cli show: a computer's archive page, its current file and the changes between them, read-only."""

import hashlib
import os
import unittest

from installation_cli import InstallationCase, run

ADDRESS = "0050BA1C2D3E"

COLLECTOR_FILE = [
    "[Info]",
    "Record_Date=10.12.2026 09:15:00",
    "Computer_Name=PC-BUH-07",
    "Current_User_Name=PETROVA",
    f"MAC_Addr={ADDRESS}",
    "MAC_Addr2=00E04C112233",
    "IP_Addr=10.0.12.34",
    "System=Windows XP 5.1.2600",
    "Param_0=scanlet.exe",
    "Param_1=buh",
    "Param_2=floor2",
    "Param_3=room 14",
    "Param_4=x",
    "[Computer]",
    "BIOS=Award Modular BIOS v6.00PG",
    "Motherboard=ASUS P5K",
    "CPU=Intel Pentium II",
    "CPU_Freq_in_MHz=450",
    "Memory_in_Mb=128",
    "Total_HDD_in_Mb=20000",
    "Drive_C=C:\\ FIXED 20000 Mb",
    "[Current_Config]",
    "Device_1=[Info]Computer_Name PC-BUH-07",
    "Device_2=Net Realtek RTL8139",
    "Device_3=HDD ST320011A",
    "Device_4=HDD ST340016A",
    "[Windows_Devices]",
    "Device_1=Keyboard Standard 101/102-Key",
    "Device_2=Net [1]Card Realtek RTL8139",
    "[Sharing]",
    "Share_1=C$ C:\\",
]


def write_cp1251(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))


def digest(paths):
    result = {}
    for path in paths:
        with open(path, "rb") as f:
            result[path] = hashlib.sha256(f.read()).hexdigest()
    return result


class ShowTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.files = os.path.join(self.tmp.name, "files")
        os.makedirs(self.files)
        self.file = os.path.join(self.files, ADDRESS)
        write_cp1251(self.file, COLLECTOR_FILE)
        self.assertEqual(run(self.home, "tree", "--save", "--no").returncode, 0)
        # Named relative to the working directory: the journal must still name the folder.
        loaded = run(self.home, "update", "files", "--no-copy", cwd=self.tmp.name)
        self.assertEqual(loaded.returncode, 0, loaded.stderr)
        settings = os.path.join(self.home, "pelgo.ini")
        self.assertEqual(run(self.home, "profile", "set", settings, "Setup", "INIpath", self.files).returncode, 0)

    def show(self, *args):
        result = run(self.home, "show", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.splitlines()

    def test_the_archive_page_of_a_computer(self):
        lines = self.show(ADDRESS)
        fields = {line.split("\t")[0]: line.split("\t")[1:] for line in lines[:19]}
        self.assertEqual(fields["Info"], ["buh floor2 room 14 x"])
        self.assertEqual(fields["Computer name"], ["PC-BUH-07"])
        self.assertEqual(fields["User"], ["PETROVA"])
        self.assertEqual(sorted(fields["MAC"]), [ADDRESS, "00E04C112233"], "the value and the list's other address")
        self.assertEqual(fields["CPU freq"], ["450"])
        self.assertEqual(sorted(fields["HDD"]), ["ST320011A", "ST340016A"], "both disks of the list")
        self.assertEqual(list(fields)[1], "Record date")
        self.assertIn("Inventory", fields)
        # 450 MHz against 200/500, 128 Mb against 32/60, 20000 Mb against 1000/6000, weights 1.
        self.assertEqual(lines[19], "Rating\t36\t85\t133\t847")
        tree = lines[20:]
        self.assertIn("33 Sharing", tree)
        self.assertIn("\t34 Share_1 : C$ C:\\", tree)
        self.assertIn("6 Drives...", tree)
        self.assertTrue(any(line.startswith("\t") and "Realtek RTL8139" in line for line in tree), tree)
        self.assertIn("30 _Config_log_", tree, "the load's journal entry")

    def test_a_look_writes_nothing_and_names_a_computer_by_its_node_too(self):
        watched = [os.path.join(self.home, "pelgo.ini"), os.path.join(self.home, "BASE", "device.dbf"),
                   os.path.join(self.home, "BASE", "other.dbf"), self.file]
        before = digest(watched)
        by_address = self.show(ADDRESS.lower())
        nodes = self.parse_tree(run(self.home, "tree").stdout)
        computer = next(uno for (level, icon, uno, text), following in zip(nodes, nodes[1:])
                        if following[1] == 4 and following[3] == ADDRESS)
        self.assertEqual(self.show(computer), by_address)
        self.show("--current", ADDRESS)
        self.show("--diff", ADDRESS)
        self.assertEqual(digest(watched), before)

    def test_the_current_file_and_its_changes(self):
        current = self.show("--current", ADDRESS)
        self.assertEqual(current[0].split(" ", 1)[1], "< FileInfo >")
        self.assertIn(f"\t0 File path : {self.file}", current)
        self.assertIn("\t0 CPU_Freq_in_MHz : 450", current)
        self.assertEqual(self.show("--diff", ADDRESS), [], "a file just loaded has no changes")

        edited = [line for line in COLLECTOR_FILE if not line.startswith("Share_1=")]
        edited = [line.replace("Memory_in_Mb=128", "Memory_in_Mb=256") for line in edited]
        edited.append("[Windows_Soft]")
        edited.append("Soft_1=Notepad++")
        write_cp1251(self.file, edited)
        changes = sorted(self.show("--diff", ADDRESS))
        self.assertEqual(changes, sorted([
            "~\tComputer\tMemory_in_Mb\t128\t256",
            "-\tSharing\tShare_1\tC$ C:\\\t",
            "+\tWindows_Soft\tSoft_1\t\tNotepad++",
        ]))

    def test_the_current_file_is_looked_for_where_the_last_load_found_it(self):
        elsewhere = os.path.join(self.tmp.name, "elsewhere")
        os.makedirs(elsewhere)
        settings = os.path.join(self.home, "pelgo.ini")
        self.assertEqual(run(self.home, "profile", "set", settings, "Setup", "INIpath", elsewhere).returncode, 0)
        self.assertIn(f"\t0 File path : {self.file}", self.show("--current", ADDRESS))
        self.assertEqual(self.show("--diff", ADDRESS), [])

    def test_a_department_shows_its_nodes_by_type(self):
        nodes = self.parse_tree(run(self.home, "tree").stdout)
        department = next(uno for level, icon, uno, text in nodes if icon == 1 and level == 0)
        lines = self.show(department)
        self.assertTrue(lines[0].startswith("1 Сводка по \\\\"), lines)
        self.assertTrue(all(" - " in line for line in lines[1:]), lines)

    def test_errors(self):
        for args, message in [((("0000DEADBEEF",)), "no node"),
                              (("--current", "--diff", ADDRESS), "exclude")]:
            result = run(self.home, "show", *args)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn(message, result.stderr)
        os.remove(self.file)
        missing = run(self.home, "show", "--current", ADDRESS)
        self.assertEqual(missing.returncode, 1)
        self.assertIn("Не найден файл конфигурации !", missing.stderr)


if __name__ == "__main__":
    unittest.main()
