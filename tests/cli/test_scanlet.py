"""pelgo-cli scanlet: the known settings files of the collector agent, one shown as a save would write it, and
a save that keeps what it does not know."""

import os
import unittest

from installation_cli import InstallationCase, run

AGENT_INI = (
    "; настройки агента\r\n"
    "[Program]\r\n"
    "Program=Scanlet v.1.31\r\n"
    "OutputDir=\\\\srv\\вывод\r\n"
    "MapNetDisk=y:\r\n"
    "Неизвестный = ключ  \r\n"
    "MACaddrToFileName=7\r\n"
    "RunMode=9\r\n"
    "[Modules]\r\n"
    "Additional=1\r\n"
    "History=0\r\n"
    "[Additional_Software]\r\n"
    "DayOfWeek=7_once\r\n"
    "File=x.ini\r\n"
)


class ScanletCommandsTest(InstallationCase):
    def setUp(self):
        super().setUp()
        self.agent = os.path.join(self.tmp.name, "агент")
        os.makedirs(self.agent)
        self.ini = os.path.join(self.agent, "scanlet.ini")
        with open(self.ini, "wb") as f:
            f.write(AGENT_INI.encode("cp1251"))

    def cli(self, *args):
        result = run(self.home, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result

    def content(self):
        with open(self.ini, "rb") as f:
            return f.read().decode("cp1251")

    def pelgo_ini(self, section, key, value):
        self.cli("profile", "set", os.path.join(self.home, "pelgo.ini"), section, key, value)

    def log(self):
        path = os.path.join(self.home, "pelgo.log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("cp1251")

    def test_paths_list_the_known_files_or_the_update_directories(self):
        self.pelgo_ini("UpdPatches", "0", "D:\\сбор")
        self.assertEqual(self.cli("scanlet", "paths").stdout, "D:\\сбор\n")
        self.pelgo_ini("ScanletPatches", "0", self.agent + "\\")
        self.pelgo_ini("ScanletPatches", "1", "D:\\x\\SCANLET.INI")
        self.assertEqual(self.cli("scanlet", "paths").stdout, f"{self.agent}\\\nD:\\x\\SCANLET.INI\n")

    def test_show_prints_every_key_as_saved(self):
        self.pelgo_ini("ScanletPatches", "0", self.agent + "\\")
        modules = ["Additional\t1", "S.M.A.R.T.\t1", "Current_Config\t1", "Windows_Devices\t1", "Windows_Updates\t1",
                   "Windows_StartUp\t1", "Windows_Soft\t1", "Post_Accounts\t1", "Remote_Access\t1", "Sharing\t1",
                   "Scanlet_Log\t1", "History\t0"]
        expected = [
            os.path.join(self.agent, "scanlet.ini"),
            "Program\tProgram\tScanlet v.1.31",
            "Program\tOutputDir\t\\\\srv\\вывод",
            "Program\tMapNetDisk\tY:",
            "Program\tMaxConfigChanges\t12",
            "Program\tDOSFileName\t0",
            "Program\tMACaddrToFileName\t11",
            "Program\tNoBadMACaddr\t0",
            "Program\tWindowsCountersAlarms\t1",
            "Program\tCPUspeedAlarm\t0",
            "Program\tRemoveSharedDirs\t0",
            "Program\tRunMode\t9",
            "Program\tClearThisFile\t0",
            "Program\tMaxNameLength\t12",
            "HardDisk\tmin_drv\t1",
            "HardDisk\tmax_drv\t12",
            "HardDisk\tFreeAlarmPercent\t10",
            "HardDisk\tMaxChangeOfFreeSpace_Mb\t100",
            *["Modules\t" + m for m in modules],
            "Additional_Software\tOS\t0",
            "Additional_Software\tDayOfWeek\t7_ONCE",
            "Additional_Software\tEXEfile\tC:\\",
            "Additional_Software\tEXEparam\t",
            "Additional_Software\tOutputDir\tC:\\",
            "Additional_Software\tOutputFile\t",
            "Additional_Software\tFile\tx.ini",
        ]
        self.assertEqual(self.cli("scanlet", "show").stdout.splitlines(), expected)
        self.assertEqual(self.cli("scanlet", "show", self.ini).stdout.splitlines(), [self.ini, *expected[1:]])
        self.assertEqual(self.content(), AGENT_INI, "show writes nothing")

    def test_set_keeps_unknown_keys_and_comments(self):
        free = os.path.join(self.tmp.name, "free.txt")
        with open(free, "wb") as f:
            f.write(" Путь = D:\\доп \r\n\r\nбез равенства\r\nFile=y.ini\r\n".encode("cp1251"))
        result = self.cli("scanlet", "set", self.agent + "/", "Program.DOSFileName=1", "Modules.S.M.A.R.T.=2",
                          "Additional_Software.DayOfWeek=15", "--free", free)
        self.assertIn("Неверная строка №3 (нет =)", result.stderr)
        self.assertIn("без равенства", result.stderr)
        after = self.content()
        for kept in ["; настройки агента\r\n[Program]\r\nProgram=Scanlet v.1.31\r\n",
                     "\r\nНеизвестный = ключ  \r\n"]:
            self.assertIn(kept, after)
        for written in ["\r\nDOSFileName=1\r\n", "\r\nMACaddrToFileName=11\r\n", "\r\nRunMode=9\r\n",
                        "\r\nMapNetDisk=Y:\r\n", "\r\nS.M.A.R.T.=2\r\n",
                        "[Additional_Software]\r\nOS=0\r\nDayOfWeek=15\r\nEXEfile=C:\\\r\nEXEparam=\r\n"
                        "OutputDir=C:\\\r\nOutputFile=\r\nПуть = D:\\доп\r\nFile=y.ini\r\n"]:
            self.assertIn(written, after)
        self.assertNotIn("File=x.ini", after)
        self.assertIn("Изменены настройки " + os.path.join(self.agent, "scanlet.ini"), self.log())

    def test_errors_write_nothing(self):
        short = os.path.join(self.agent, "short.ini")
        with open(short, "wb") as f:
            f.write(b"[Program]\r\nOutputDir=C\r\n")
        missing = os.path.join(self.tmp.name, "нет")
        cases = [
            (("scanlet", "set", self.agent, "Program.Program=x"), 64, "no control for Program.Program"),
            (("scanlet", "set", self.agent, "Other.Key=1"), 64, "no control"),
            (("scanlet", "set", self.agent, "DOSFileName=1"), 64, "SECTION.KEY=VALUE"),
            (("scanlet", "erase", self.agent), 64, "unknown scanlet command"),
            (("scanlet", "set", missing, "Program.RunMode=1"), 1, "НЕВЕРНО:" + missing + "/scanlet.ini"),
            (("scanlet", "set", short, "Program.RunMode=1"), 1, "Ошибка чтения или неверный INI-файл"),
            (("scanlet", "show"), 1, "Укажите путь к файлам Scanlet.ini !"),
        ]
        for args, code, message in cases:
            with self.subTest(args=args):
                result = run(self.home, *args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(message, result.stderr)
        self.assertEqual(self.content(), AGENT_INI)
        with open(short, "rb") as f:
            self.assertEqual(f.read(), b"[Program]\r\nOutputDir=C\r\n")
        self.assertFalse(os.path.exists(missing))
        self.assertNotIn("Изменены настройки", self.log())


if __name__ == "__main__":
    unittest.main()
