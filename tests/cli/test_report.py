"""pelgo-cli report and template: template reports over an installation, in every output kind, read-only."""

import hashlib
import os
import shutil
import tempfile
import time
import unittest

from installation_cli import SharedInstallation, run

ADDRESS = "0050BA1C2D3E"

COLLECTOR_FILE = [
    "[Info]",
    "Record_Date=10.12.2026 09:15:00",
    "Computer_Name=PC-BUH-07",
    f"MAC_Addr={ADDRESS}",
    "[Computer]",
    "BIOS=Award Modular BIOS v6.00PG",
    "MotherBoard=ASUS P5K",
    "CPU_Freq_in_MHz=450",
    "[Current_Config]",
    "Device_1=[Info]Computer_Name PC-BUH-07",
    "Device_2=Net Realtek RTL8139",
    "Device_3=HDD ST320011A",
    "Device_4=HDD ST340016A",
]

BULLET = r"{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720"


# What follows the codes of a saved start line.
KEEP_TEXT = " Do not Delete this string ! ".ljust(60, "-")


def rtf_text(text):
    out = ""
    for ch in text:
        if ch in "\\{}":
            out += "\\" + ch
        elif ord(ch) < 128:
            out += ch
        else:
            out += "\\'%02x" % ch.encode("cp1251")[0]
    return out


def write_template(path, paragraphs):
    """`paragraphs`: (RTF control words, text) pairs, written as RichEdit writes them."""
    body = "".join(f"\\pard\\plain{controls} {rtf_text(text)}\\par\r\n" for controls, text in paragraphs)
    with open(path, "wb") as f:
        f.write((r"{\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fnil\fcharset204 Arial;}{\f1\fnil\fcharset2 Symbol;}}"
                 "\r\n" + body + "}").encode("ascii"))


# Scope C (the employee around the node) for employees, computers and monitors.
TEMPLATE = [
    (r"\qc\b\fs28", "Опись на [GET|CurrDate]"),
    (r"\fs20", "<DETAIL_START><C><1><2><4> Do not Delete this string ! -------------------------------"),
    ("", "[GET|DevTyp]: [GET|DevName] ([GET|DevNumber])"),
    ("", "Инв. [OTHER|Main|aInumber], тел. [other|main|aPhone]"),
    (BULLET, "[DEVICE|Current_Config|?hdd] = [GET|CurrHDD]"),
    ("", "Плата [GET|Motherboard], сеть [DEVICE|Current_Config|Device_2], владелец [GET|DevOvner], [GET|DevPath]"),
    ("", "<DETAIL_END>"),
    (r"\qr", "Конец[OTHER|Main|aInumber][GET|DevName]."),
]


def report_lines(date):
    return [
        f"Опись на {date}",
        "Сотрудник: Петрова Анна ()",
        "Инв. , тел. 22-33",
        " = ",
        "Плата , сеть , владелец Петрова Анна, Бухгалтерия",
        "Компьютер: Компьютер №1207 (1207)",
        "Инв. 0451, тел. 22-33",
        "HDD ST320011A; HDD ST340016A = ST320011A; ST340016A",
        "Плата ASUS P5K, сеть Net Realtek RTL8139, владелец Петрова Анна, Бухгалтерия;Петрова Анна",
        "Монитор: Монитор Samsung ()",
        "Инв. 0452, тел. 22-33",
        " = ",
        "Плата , сеть , владелец Петрова Анна, Бухгалтерия;Петрова Анна",
        "Конец.",
    ]


def today():
    return time.strftime("%d.%m.%Y")


def ok(case, result):
    case.assertEqual(result.returncode, 0, result.stderr)
    return result.stdout


def snapshot(folder):
    """Every file under the folder with its content's digest: a look must change none and add none."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[path] = hashlib.sha256(f.read()).hexdigest()
    return files


class ReportInstallation(SharedInstallation):
    """One installation for every case of a class: a department, an employee with a computer (archived, with
    its address node) and a monitor, additional data on the employee, the computer and the monitor."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        files = os.path.join(cls.tmp.name, "files")
        os.makedirs(files)
        with open(os.path.join(files, ADDRESS), "wb") as f:
            f.write(("\r\n".join(COLLECTOR_FILE) + "\r\n").encode("cp1251"))
        cls.cli("tree", "--save", "--no")
        cls.cli("update", files, "--no-copy")
        bucket, computer = cls.unos(1, 3)
        cls.cli("node", "add", bucket, "1", "Бухгалтерия", "--sibling")
        department, = [uno for uno, text in cls.nodes() if text == "Бухгалтерия"]
        cls.cli("node", "add", department, "2", "Петрова Анна")
        employee, = cls.unos(2)
        cls.cli("node", "move", computer, "--into", employee)
        cls.cli("node", "rename", computer, "Компьютер №1207")
        cls.cli("node", "add", employee, "5", "Монитор Samsung")
        monitor, = cls.unos(5)
        cls.cli("adddata", employee, "--set", "aPhone=22-33")
        cls.cli("adddata", computer, "--set", "aInumber=0451")
        cls.cli("adddata", monitor, "--set", "aInumber=0452")
        cls.bucket, cls.computer, cls.monitor = bucket, computer, monitor
        cls.template = os.path.join(cls.tmp.name, "опись.rtf")
        write_template(cls.template, TEMPLATE)

    def setUp(self):
        self.out = tempfile.TemporaryDirectory()
        self.addCleanup(self.out.cleanup)


class ReportTest(ReportInstallation):
    def report(self, *args):
        """The output and the day it was made on."""
        date = today()
        return ok(self, run(self.home, "report", *args)), date

    def test_report_on_the_terminal_and_in_every_file_kind_writes_nothing_to_the_installation(self):
        before = snapshot(self.home)
        stdout, date = self.report(self.template, "--node", self.computer)
        expected = report_lines(date)
        self.assertEqual(stdout.split("\n"), expected + [""])

        rtf = os.path.join(self.out.name, "опись.rtf")
        self.report(self.template, "--node", self.computer, "-o", rtf)
        self.assertEqual(ok(self, run(self.home, "rtf", "text", rtf)), stdout)
        dump = ok(self, run(self.home, "rtf", "dump", rtf)).split("\n")
        # The formats of the template's paragraphs reach the report; a value takes its marker's format.
        self.assertTrue(dump[0].startswith("C\t-\t") and dump[0].endswith("\tb\t" + expected[0]), dump[0])
        self.assertTrue(dump[7].startswith("L\t*\t"), dump[7])
        self.assertTrue(dump[13].startswith("R\t-\t"), dump[13])

        txt = os.path.join(self.out.name, "опись.txt")
        self.report(self.template, "--node", self.computer, "-o", txt)
        with open(txt, "rb") as f:
            self.assertEqual(f.read(), ("\r\n".join(expected) + "\r\n").encode("cp1251"))

        imp = os.path.join(self.out.name, "опись.imp")
        self.report(self.template, "--node", self.computer, "-o", imp, "--separator", "semicolon")
        title = expected[0]
        with open(imp, "rb") as f:
            self.assertEqual(f.read().decode("cp1251").split("\r\n"), [
                f"0\t{title}\t",
                f"0\t{title}\t{expected[1]}",
                f"0\t{title}\t{expected[2]}",
                f"1\t{title}\t{expected[2]}\t; = ",
                f"0\t{title}\t{expected[4]}",
                f"0\t{title}\t{expected[5]}",
                f"0\t{title}\t{expected[6]}",
                f"1\t{title}\t{expected[6]}\t;{expected[7]}",
                f"0\t{title}\t{expected[8]}",
                f"0\t{title}\t{expected[9]}",
                f"0\t{title}\t{expected[10]}",
                f"1\t{title}\t{expected[10]}\t; = ",
                f"0\t{title}\t{expected[12]}",
                f"0\t{title}\t{expected[13]}",
                "",
            ])
        tab = os.path.join(self.out.name, "tab.IMP")
        self.report(self.template, "--node", self.computer, "-o", tab, "--separator", "tab")
        with open(tab, "rb") as f:
            self.assertIn(f"1\t{title}\t{expected[6]}\t\t{expected[7]}\r\n".encode("cp1251"), f.read())

        pdf = os.path.join(self.out.name, "опись.pdf")
        env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")}
        ok(self, run(self.home, "report", self.template, "--node", self.computer, "-o", pdf, env=env))
        with open(pdf, "rb") as f:
            self.assertEqual(f.read(5), b"%PDF-")

        self.assertEqual(snapshot(self.home), before)

    def test_scope_and_types_decide_the_nodes_and_the_first_node_is_the_default(self):
        # Scope A, monitors only: the monitor's detail alone, whatever node is named.
        whole = os.path.join(self.out.name, "whole.rtf")
        ok(self, run(self.home, "template", "save", self.template, "--scope", "A", "--types", "4", "-o", whole))
        stdout, date = self.report(whole)
        self.assertEqual(stdout.split("\n"), [report_lines(date)[0], *report_lines(date)[9:], ""])
        # Scope D on the first node, a department whose type the template leaves out: header and footer only.
        unit = os.path.join(self.out.name, "unit.rtf")
        ok(self, run(self.home, "template", "save", self.template, "--scope", "D", "-o", unit))
        self.assertEqual(self.report(unit)[0].split("\n"), [report_lines(date)[0], "Конец.", ""])

    @staticmethod
    def restore(path, content):
        with open(path, "wb") as f:
            f.write(content)

    def test_user_reports_of_the_settings(self):
        reports = os.path.join(self.home, "REPORTS")
        os.makedirs(reports, exist_ok=True)
        shutil.copy(self.template, os.path.join(reports, "opis.rtf"))
        settings = os.path.join(self.home, "pelgo.ini")
        with open(settings, "rb") as f:
            kept = f.read()
        self.addCleanup(self.restore, settings, kept)
        with open(settings, "ab") as f:
            f.write("\r\n[Reports]\r\nОпись=REPORTS\\opis.rtf\r\nПусто=REPORTS\\none.rtf\r\n".encode("cp1251"))

        self.assertEqual(ok(self, run(self.home, "report", "--list")).splitlines(),
                         [f"Опись\t{reports}/opis.rtf", f"Пусто\t{reports}/none.rtf"])
        by_name, date = self.report("--user", " Опись ", "--node", self.computer)
        self.assertEqual(by_name.split("\n"), report_lines(date) + [""])
        for args, message in [(("--user", "Нет"), "Данный отчет более не ведется"),
                              (("--user", "Пусто"), f"Файл не найден {reports}/none.rtf")]:
            with self.subTest(args=args):
                result = run(self.home, "report", *args)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)

    def test_errors(self):
        missing = os.path.join(self.out.name, "нет.rtf")
        unknown_kind = os.path.join(self.out.name, "report.doc")
        for args, code, message in [
            ((missing,), 1, f"Файл не найден {missing}"),
            ((self.template, "--node", "AAAAAAAAAAAA"), 1, "AAAAAAAAAAAA"),
            ((self.template, "-o", unknown_kind), 64, ".rtf, .pdf, .txt or .imp"),
            ((self.template, "-o", os.path.join(self.out.name, "x.imp"), "--separator", "pipe"), 64, "--separator"),
        ]:
            with self.subTest(args=args):
                result = run(self.home, "report", *args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual(result.stdout, "")
        self.assertEqual(os.listdir(self.out.name), [])

    def test_the_report_never_overwrites_its_template(self):
        copy = os.path.join(self.out.name, "own.rtf")
        shutil.copyfile(self.template, copy)
        before = open(copy, "rb").read()
        result = run(self.home, "report", copy, "-o", os.path.join(self.out.name, ".", "own.rtf"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("is an input of the command; choose another output file", result.stderr)
        self.assertEqual(open(copy, "rb").read(), before)


class TemplateTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.home = os.path.join(self.tmp.name, "home")
        self.assertEqual(run(self.home, "init").returncode, 0)

    def template(self, *args):
        return ok(self, run(self.home, "template", *args)).splitlines()

    def test_show_and_save_round_trip_scope_and_types(self):
        path = os.path.join(self.tmp.name, "t.rtf")
        write_template(path, TEMPLATE)
        self.assertEqual(self.template("show", path), ["scope\tC", "types\t1,2,4", "start\t2", "end\t7"])

        out = os.path.join(self.tmp.name, "out.rtf")
        saved = self.template("save", path, "--scope", "b", "--types", "0,5,12", "-o", out)
        self.assertEqual(saved, ["scope\tB", "types\t0,5,12", "start\t2", "end\t7"])
        self.assertEqual(self.template("show", out), saved)
        self.assertEqual(self.template("show", path)[0], "scope\tC", "-o leaves FILE as it was")
        start = ok(self, run(self.home, "rtf", "text", out)).split("\n")[1]
        self.assertEqual(start, "<DETAIL_START><B><0><5><12>" + KEEP_TEXT)

        self.assertEqual(self.template("save", out, "--types", ""), ["scope\tB", "types\t", "start\t2", "end\t7"])

    def test_save_adds_missing_start_and_end_lines(self):
        path = os.path.join(self.tmp.name, "plain.rtf")
        write_template(path, [("", "Заголовок"), ("", "[GET|DevName]")])
        self.assertEqual(self.template("show", path), ["scope\tD", "types\t2,4,5,6,7,8,9,10,11", "start\t0", "end\t0"])
        self.assertEqual(self.template("save", path, "--scope", "A"),
                         ["scope\tA", "types\t2,4,5,6,7,8,9,10,11", "start\t1", "end\t4"])
        lines = ok(self, run(self.home, "rtf", "text", path)).split("\n")
        self.assertEqual(lines[1:4], ["Заголовок", "[GET|DevName]", "<DETAIL_END>"])

    def test_a_missing_file_needs_yes_for_the_example(self):
        path = os.path.join(self.tmp.name, "new.rtf")
        refused = run(self.home, "template", "save", path)
        self.assertEqual(refused.returncode, 1)
        self.assertIn(f"Файл не найден {path}", refused.stderr)
        self.assertFalse(os.path.exists(path))
        shown = run(self.home, "template", "show", path)
        self.assertEqual(shown.returncode, 1)
        self.assertIn(f"Файл не найден {path}", shown.stderr)

        self.assertEqual(self.template("save", path, "--yes"), ["scope\tD", "types\t2", "start\t3", "end\t7"])
        text = ok(self, run(self.home, "rtf", "text", path)).split("\n")
        self.assertEqual(text[0], "Place here text of HEADER")
        self.assertEqual(text[2], "<DETAIL_START><D><2>" + KEEP_TEXT, "the example's line is rewritten at 60")
        self.assertIn("Place here text of FOOTER", text)

    def test_usage_errors(self):
        path = os.path.join(self.tmp.name, "t.rtf")
        write_template(path, TEMPLATE)
        for args in [("save", path, "--scope", "E"), ("save", path, "--types", "1,x"),
                     ("save", path, "--types", "13"), ("copy", path)]:
            with self.subTest(args=args):
                self.assertEqual(run(self.home, "template", *args).returncode, 64)
        self.assertEqual(self.template("show", path)[0], "scope\tC")


if __name__ == "__main__":
    unittest.main()


class MoveRequestTest(ReportInstallation):
    """The move request over the same installation, its template where [Setup] TPfile names it."""

    def test_documents_per_pair_from_the_template_of_the_settings(self):
        employee, department = [uno for uno, text in self.nodes() if text in ("Петрова Анна", "Бухгалтерия")][::-1]
        result = run(self.home, "move-request", f"{self.computer}:{employee}:{department}")
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("Файл не найден ", result.stderr)
        template = result.stderr.split("Файл не найден ", 1)[1].strip()
        self.addCleanup(os.remove, template)
        write_template(template, [
            ("", "[TP|From|Get_Name] -> [TP|To|Get_Name]"),
            ("", "<DETAIL_START>"),
            ("", "[TP|Detail|Get_Counter]. [TP|Detail|Get_Name] [TP|Detail|aInumber]"),
            ("", "<DETAIL_END>"),
        ])
        before = snapshot(self.home)
        moves = [f"{self.computer}:{employee}:{department}", f"{self.monitor}:{department}:{self.bucket}",
                 f"ZZZZZZZZZZZZ:{employee}:{department}", f"{self.monitor}:{employee}:{department}"]
        out = ok(self, run(self.home, "move-request", *moves))
        self.assertEqual(out.rstrip("\n").split("\n"), [
            "Петрова Анна -> Бухгалтерия", "1. Компьютер №1207 0451", "2. Монитор Samsung 0452",
            "\f", "Бухгалтерия -> " + [text for uno, text in self.nodes() if uno == self.bucket][0],
            "1. Монитор Samsung 0452"])
        self.assertEqual(snapshot(self.home), before)
        text = os.path.join(self.out.name, "move.txt")
        ok(self, run(self.home, "move-request", *moves, "-o", text))
        with open(text, "rb") as f:
            self.assertEqual(f.read().decode("cp1251"), "\r\n".join(out.rstrip("\n").split("\n")) + "\r\n")
        result = run(self.home, "move-request", *moves, "-o", template)
        self.assertEqual(result.returncode, 1, result.stderr)
        # The move-request template is a file the settings name.
        self.assertIn("is a file of the installation; choose another output file", result.stderr)
        self.assertEqual(snapshot(self.home), before)
        for args in [("AAA:BBB",), (f"{self.computer}:{employee}",)]:
            result = run(self.home, "move-request", *args)
            self.assertEqual(result.returncode, 64, result.stderr)
        result = run(self.home, "move-request")
        self.assertEqual(result.returncode, 1)
        self.assertIn("Нет данных о перемещениях", result.stderr)
