"""pelgo-cli dbf: tables we write as dbfread reads them, tables another writer made as we read them, index
dumps, pack, check and repair, and a table held by another process."""

import fcntl
import os
import struct
import subprocess
import tempfile
import unittest

import dbfread

CLI = os.environ.get("PELGO_CLI", "pelgo-cli")
# The byte every holder of a table locks: shared and read-only a read lock, exclusive a write lock.
MODE_LOCK_OFFSET = 0x7FFFFFFF00
OTHER_LAYOUT = ["UNO:12", "GROUP:32", "NAME:32", "TEXT:254"]


def dbf(*args):
    return subprocess.run([CLI, "dbf", *args], capture_output=True, text=True, encoding="utf-8")


def dbf_ok(*args):
    result = dbf(*args)
    if result.returncode != 0:
        raise AssertionError(f"dbf {args} exited {result.returncode}: {result.stderr}")
    return result.stdout


def dump_rows(*args):
    return [line.split("\t") for line in dbf_ok("dump", *args).splitlines()]


def write_table(path, fields, records, language_driver=0xC9, encoding="cp1251", mdx_flag=0, header_padding=b""):
    """A dBase III table as another writer makes it; records are (deleted, [values])."""
    header_length = 32 + 32 * len(fields) + 1 + len(header_padding)
    record_length = 1 + sum(length for _, _, length in fields)
    out = struct.pack("<B3BIHH", 0x03, 124, 5, 17, len(records), header_length, record_length)
    out += bytes(16) + bytes([mdx_flag, language_driver, 0, 0])
    for name, kind, length in fields:
        out += name.encode("ascii").ljust(11, b"\0") + kind.encode("ascii") + bytes(4)
        out += bytes([length, 0]) + bytes(14)
    out += b"\r" + header_padding
    for deleted, values in records:
        out += b"*" if deleted else b" "
        for (_, kind, length), value in zip(fields, values):
            data = value.encode(encoding)
            out += data.rjust(length) if kind == "N" else data.ljust(length)
    out += b"\x1a"
    with open(path, "wb") as f:
        f.write(out)
    return header_length, record_length


def dbfread_rows(path, encoding="cp1251"):
    """None decodes by the table's language-driver byte."""
    return [[str(value) for value in record.values()] for record in dbfread.DBF(path, encoding=encoding)]


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class DbfCommandsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_tables_we_write_read_identically_in_dbfread(self):
        path = self.path("other.dbf")
        dbf_ok("create", path, *OTHER_LAYOUT)
        rows = [
            ["AAAAAAAAAAAB", "Main", "Модель", "Ноутбук «Эльбрус», ёЁ"],
            ["_Multi_User_", "Exclusive", "Рабочее место 1"],
            ["_SNX_ALARM_", "Группа", "SENTINOX", "Я" * 254],
        ]
        for row in rows:
            dbf_ok("append", path, *row)
        expected = [row + [""] * (4 - len(row)) for row in rows]

        table = dbfread.DBF(path, encoding="cp1251")
        self.assertEqual(table.header.dbversion, 0x03)
        self.assertEqual(table.header.language_driver, 0xC9)
        self.assertEqual(table.header.mdx_flag, 0)
        self.assertEqual([(f.name, f.type, f.length) for f in table.fields],
                         [("UNO", "C", 12), ("GROUP", "C", 32), ("NAME", "C", 32), ("TEXT", "C", 254)])
        self.assertEqual(dbfread_rows(path), expected)
        self.assertEqual(dump_rows(path), expected)
        self.assertEqual(os.path.getsize(path), table.header.headerlen + 3 * table.header.recordlen + 1)

    def test_tables_another_writer_made_read_identically_here(self):
        path = self.path("foreign.dbf")
        fields = [("NAME", "C", 20), ("CITY", "C", 15), ("QTY", "N", 4)]
        header_length, record_length = write_table(path, fields, [
            (False, ["Иванов Пётр", "Москва", "42"]),
            (True, ["Удалённый", "Тверь", "7"]),
            (False, ["Smith", "", "-3"]),
        ], header_padding=b"\0")
        self.assertEqual(dump_rows(path), [["Иванов Пётр", "Москва", "42"], ["Smith", "", "-3"]])
        self.assertEqual(dump_rows(path), dbfread_rows(path))

        dbf_ok("append", path, "Новая запись", "Омск", "5")
        self.assertEqual(dbfread_rows(path)[-1], ["Новая запись", "Омск", "5"])
        self.assertEqual(os.path.getsize(path), header_length + 4 * record_length + 1)

    def test_a_dos_table_is_read_and_written_in_code_page_866(self):
        path = self.path("dos.dbf")
        text = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдеёжзийклмнопрстуфхцчшщъыьэюя №°·¤ЄєЇїЎў"
        header_length, record_length = write_table(path, [("KEY", "C", 4), ("NAME", "C", 100)],
                                                   [(False, ["K1", text])],
                                                   language_driver=0x26, encoding="cp866", mdx_flag=1)
        before = read_bytes(path)
        self.assertEqual(dump_rows(path), [["K1", text]])
        self.assertEqual(dump_rows(path, "--tag", "NAME", "--key", text), [["K1", text]])
        self.assertEqual(read_bytes(path), before, "reading changes nothing, not even the index flag")

        dbf_ok("append", path, "K2", text)
        after = read_bytes(path)
        self.assertEqual(after[header_length + record_length:], b" K2  " + text.encode("cp866").ljust(100) + b"\x1a")
        table = dbfread.DBF(path, encoding=None)
        self.assertEqual((table.header.language_driver, table.header.mdx_flag), (0x26, 0))
        self.assertEqual(dbfread_rows(path, encoding=None), [["K1", text], ["K2", text]])
        self.assertEqual(dump_rows(path, "--tag", "NAME", "--key", text), [["K1", text], ["K2", text]])

    def test_dump_by_tag_and_key(self):
        path = self.path("device.dbf")
        dbf_ok("create", path, "MAC_ADR:12", "GROUP:32", "NAME:64", "TEXT:254")
        for mac, name in [("00AA", "1"), ("00BB", "2"), ("00AA", "3"), ("00aa", "4"), ("00AA", "5")]:
            dbf_ok("append", path, mac, "Computer", name)
        names = lambda rows: [row[2] for row in rows]
        self.assertEqual(names(dump_rows(path)), ["1", "2", "3", "4", "5"])
        self.assertEqual(names(dump_rows(path, "--tag", "MAC_ADR")), ["1", "3", "5", "2", "4"])
        self.assertEqual(names(dump_rows(path, "--tag", "MAC_ADR", "--key", "00AA")), ["1", "3", "5"])
        self.assertEqual(dump_rows(path, "--tag", "MAC_ADR", "--key", "00CC"), [])
        self.assertEqual(dbf("dump", path, "--key", "00AA").returncode, 64)
        self.assertEqual(dbf("append", path, "1", "2", "3", "4", "5").returncode, 64)
        self.assertNotEqual(dbf("dump", path, "--tag", "NOSUCH").returncode, 0)

    def test_pack_removes_the_deleted_records(self):
        path = self.path("other.dbf")
        fields = [("UNO", "C", 12), ("GROUP", "C", 32), ("NAME", "C", 32), ("TEXT", "C", 254)]
        header_length, record_length = write_table(path, fields, [
            (True, ["A", "Main", "x", "удалена"]),
            (False, ["B", "Main", "y", "живая"]),
            (True, ["C", "Main", "z", "удалена"]),
            (False, ["A", "Main", "w", "тоже живая"]),
        ])
        before = dump_rows(path)
        self.assertEqual(dbf_ok("pack", path).strip(), "2 records kept, 2 deleted records removed")
        self.assertEqual(dump_rows(path), before)
        self.assertEqual(len(dbfread.DBF(path, encoding="cp1251").deleted), 0)
        self.assertEqual(os.path.getsize(path), header_length + 2 * record_length + 1)
        self.assertFalse(os.path.exists(path + ".pack~"))

    def test_check_reports_damage_and_repair_mends_it(self):
        path = self.path("other.dbf")
        dbf_ok("create", path, *OTHER_LAYOUT)
        for key in ["K1", "K2", "K3"]:
            dbf_ok("append", path, key, "Main", "имя", "значение")
        damaged = self.path("damaged.dbf")
        with open(path, "rb") as f:
            data = bytearray(f.read())
        data[4:8] = struct.pack("<I", 5)
        with open(damaged, "wb") as f:
            f.write(bytes(data[:-1]) + b" K4    Mai")

        report = dbf("check", damaged)
        self.assertEqual(report.returncode, 1, report.stdout)
        self.assertIn("records: 5 counted in the header, 3 in the file", report.stdout)
        self.assertIn("damaged: an incomplete record of 10 bytes ends the file", report.stdout)
        self.assertIn("end marker: missing", report.stdout)

        repair = dbf("check", damaged, "--repair")
        self.assertEqual(repair.returncode, 0, repair.stdout + repair.stderr)
        self.assertIn("repaired: set the record count from 5 to 3", repair.stdout)
        self.assertIn("status: repaired", repair.stdout)
        self.assertIn("status: sound", dbf_ok("check", damaged))
        with open(damaged, "rb") as f:
            repaired = f.read()
        self.assertEqual(struct.unpack_from("<I", repaired, 4)[0], 3)
        self.assertEqual(repaired[32:], bytes(data[32:]))
        self.assertEqual(dbfread_rows(damaged), dbfread_rows(path))

    def test_bytes_after_the_end_marker_are_read_by_nobody_and_written_over(self):
        path = self.path("other.dbf")
        dbf_ok("create", path, *OTHER_LAYOUT)
        for key in ["K1", "K2", "K3"]:
            dbf_ok("append", path, key, "Main", "имя")
        sound = read_bytes(path)
        junk = b" K9 " + b"J" * 400  # starts like a record and is longer than one: an unfinished append
        with open(path, "ab") as f:
            f.write(junk)

        report = dbf("check", path)
        self.assertEqual(report.returncode, 0, report.stdout)
        self.assertIn("records: 3 counted in the header, 3 in the file", report.stdout)
        self.assertIn(f"note: {len(junk)} bytes follow the end marker", report.stdout)
        self.assertIn("status: sound", report.stdout)
        self.assertEqual(dbfread_rows(path), [[key, "Main", "имя", ""] for key in ["K1", "K2", "K3"]])
        dbf_ok("append", path, "K4", "Main", "имя")
        record_length = struct.unpack_from("<H", sound, 10)[0]
        self.assertEqual(len(read_bytes(path)), len(sound) + record_length, "nothing of the unfinished append stays")
        self.assertEqual([row[0] for row in dbfread_rows(path)], ["K1", "K2", "K3", "K4"])
        self.assertNotIn("note:", dbf_ok("check", path))

    def test_repair_sets_a_mark_damaged_into_the_end_marker_to_live(self):
        path = self.path("other.dbf")
        dbf_ok("create", path, *OTHER_LAYOUT)
        for key in ["K1", "K2", "K3"]:
            dbf_ok("append", path, key, "Main", "имя")
        sound = read_bytes(path)
        table = dbfread.DBF(path, encoding="cp1251")
        second_mark = table.header.headerlen + table.header.recordlen
        with open(path, "r+b") as f:
            f.seek(second_mark)
            f.write(b"\x1a")
        self.assertEqual(len(dbfread_rows(path)), 1, "other readers end the table at the damaged mark")

        report = dbf("check", path)
        self.assertEqual(report.returncode, 1, report.stdout)
        self.assertIn("records: 3 counted in the header, 3 in the file", report.stdout)
        self.assertIn("damaged: the deletion mark of 1 record is damaged", report.stdout)
        repair = dbf("check", path, "--repair")
        self.assertEqual(repair.returncode, 0, repair.stdout + repair.stderr)
        self.assertEqual([line for line in repair.stdout.splitlines() if line.startswith("repaired:")],
                         ["repaired: set the damaged deletion mark of 1 record to live"])
        self.assertIn("status: sound", dbf_ok("check", path))
        self.assertEqual(read_bytes(path)[32:], sound[32:])
        self.assertEqual(dbfread_rows(path), [[key, "Main", "имя", ""] for key in ["K1", "K2", "K3"]])

    def test_a_table_held_by_another_process_is_refused(self):
        path = self.path("other.dbf")
        dbf_ok("create", path, *OTHER_LAYOUT)
        dbf_ok("append", path, "K1")
        with open(path, "r+b") as holder:
            fcntl.lockf(holder, fcntl.LOCK_EX | fcntl.LOCK_NB, 1, MODE_LOCK_OFFSET)
            for args in (["dump", path], ["append", path, "K2"], ["check", path]):
                result = dbf(*args)
                self.assertNotIn(result.returncode, (0, 64), args)
                self.assertIn("exclusive use by another program", result.stderr)
            fcntl.lockf(holder, fcntl.LOCK_SH | fcntl.LOCK_NB, 1, MODE_LOCK_OFFSET)
            self.assertEqual(dump_rows(path), [["K1", "", "", ""]])
            result = dbf("pack", path)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("open in another program", result.stderr)


if __name__ == "__main__":
    unittest.main()
