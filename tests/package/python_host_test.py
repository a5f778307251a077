#!/usr/bin/env python3
"""The Python host (examples/python) against the built library named by QUILLPEN_LIBRARY.

Usage: python_host_test.py WORKDIR
"""
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
PYTHON_HOST = os.path.join(SOURCE, "examples", "python")
sys.path.insert(0, PYTHON_HOST)
import quillpen  # noqa: E402
from quillpen import Quillpen, double, int32, int64, uint32, wide  # noqa: E402

WORKDIR = None
LIBRARY = Quillpen()


def dated(directory, prefix):
    """The one log file in `directory`, named <prefix>YYYYMMDD.log after today or yesterday."""
    names = os.listdir(directory)
    days = {datetime.date.today(), datetime.date.today() - datetime.timedelta(days=1)}
    allowed = {f"{prefix}{day:%Y%m%d}.log" for day in days}
    if len(names) != 1 or names[0] not in allowed:
        raise AssertionError(f"{directory} holds {names}, not one of {sorted(allowed)}")
    return os.path.join(directory, names[0])


class DemoTest(unittest.TestCase):
    def test_demo_writes_the_documented_lines(self):
        cwd = tempfile.mkdtemp(dir=WORKDIR)
        result = subprocess.run([sys.executable, os.path.join(PYTHON_HOST, "demo.py"), "out"],
                                cwd=cwd, capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        path = dated(os.path.join(cwd, "out"), "python")
        name = os.path.relpath(path, cwd)
        with open(path, "rb") as log:
            data = log.read()
        self.assertEqual(result.stdout, f"log file: {name}\n".encode() + data)
        self.assertEqual(data.decode().split("\r\n"), [
            f"[--- [python] start Log={{{name}}} ---]",
            "[hello from Python]",
            "[count=5 total=1099511627776 ratio=0.250000]",
            "[日本語 😀 and bytes]",
            "[warning at logLevel 4]",
            "",
            "---------- logPut-start len=12",
            "abcdefghij",
            "kl",
            "---------- logPut-end!!",
            "",
            "e3 81 82 e3 81 84 ",
            "+-----------------+",
            "|    0   |    1   |  [unit]",
            "+-----------------+",
            "|   34   |   12   |   HEX=0x1234",
            "+-----------------+",
            "|00110100|00010010|   UTF16_LE Bit Pattern!",
            "+-----------------+",
            "[--- [python] end Log. ---]",
            "",
        ])


class SessionTest(unittest.TestCase):
    """Each test opens its own session, stamp mode 0 and CR LF, in a directory of its own."""

    def setUp(self):
        self.dir = os.path.join(tempfile.mkdtemp(dir=WORKDIR), "logs")
        self.assertEqual(LIBRARY.logInit(self.dir, "t", stampMode=0), 1)
        self.closed = False

    def tearDown(self):
        if not self.closed:
            LIBRARY.logTerm()

    def body(self):
        """The lines written between the start and the end line."""
        LIBRARY.logTerm()
        self.closed = True
        with open(dated(self.dir, "t"), encoding="utf-8", newline="") as log:
            lines = log.read().split("\r\n")
        self.assertTrue(lines[0].startswith("[--- [t] start Log="), lines[0])
        self.assertEqual(lines[-2:], ["[--- [t] end Log. ---]", ""])
        return lines[1:-2]


class FormattedTest(SessionTest):
    def test_each_typed_argument_reaches_its_conversion(self):
        LIBRARY._log("%d %u %lld %lf", int32(-2147483648), uint32(4294967295),
                     int64(-(1 << 62)), double(-1.5))
        LIBRARY._log("[%s] [%hs] [%s]", wide("日本語 😀"), b"bytes", wide(""))
        LIBRARY.log_critical("100%% of %d", int32(3))
        self.assertEqual(self.body(), [
            "[-2147483648 4294967295 -4611686018427387904 -1.500000]",
            "[[日本語 😀] [bytes] []]",
            "[100% of 3]",
        ])

    def test_untyped_arguments_are_refused_before_the_call(self):
        for value in (5, 1.5, "text", [1]):
            with self.assertRaises(TypeError):
                LIBRARY._log("%d", value)
        self.assertEqual(self.body(), [])

    def test_level_functions_filter_by_log_level(self):
        LIBRARY.logTerm()
        self.dir += "2"
        self.assertEqual(LIBRARY.logInit(self.dir, "t", stampMode=0, logLevel=2), 1)
        for name in ("log_debug", "log_info", "log_warning", "log_error", "log_critical"):
            getattr(LIBRARY, name)(name)
        LIBRARY._log("_log")
        self.assertEqual(self.body(), ["[log_error]", "[log_critical]", "[_log]"])

    def test_a_lone_surrogate_is_passed_on_and_dropped_by_the_library(self):
        LIBRARY._log("a\ud800b")
        self.assertEqual(self.body(), ["[ab]"])

    def test_none_is_a_null_pointer_that_the_library_reports(self):
        LIBRARY._log(None)
        self.assertEqual(self.body(), [
            "[SYSLOG][■--ERROR--■] func={_log() format} NULLポインタです、処理せずにリターンします。"])


class IntegerTest(SessionTest):
    def test_values_outside_the_c_types_are_refused(self):
        with self.assertRaises(OverflowError):
            LIBRARY.makeBitStringUSHORT16(0x10000, "v")
        with self.assertRaises(OverflowError):
            LIBRARY.makeBitStringUINT32(-1, "v")
        with self.assertRaises(OverflowError):
            LIBRARY.logPut("a", 1 << 31, 1, 10)
        with self.assertRaises(TypeError):
            LIBRARY.w32_err_log("f", 1.0)
        self.assertEqual(self.body(), [])

    def test_unsigned_limits_pass_whole(self):
        LIBRARY.makeBitStringUSHORT16(0xFFFF, "")
        LIBRARY.makeBitStringUINT32(0x80000001, "v")
        lines = self.body()
        self.assertEqual(lines[3], "|   ff   |   ff   |   HEX=0xffff")
        self.assertEqual(lines[10], "|   01   |   00   |   00   |   80   |  HEX=0x80000001")

    def test_scalar_table_and_its_range(self):
        LIBRARY.makeBitStringUnicodeScalarValue(0x10FFFF, "max")
        LIBRARY.makeBitStringUnicodeScalarValue(0x110000, "over")
        lines = self.body()
        self.assertEqual(len(lines), 16)
        self.assertEqual(lines[9], "|  0xf4  |  0x8f  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0xbfbf8ff4")
        self.assertEqual(lines[15], "[SYSLOG][■--ERROR--■] makeBitStringUnicodeScalarValue() "
                                    "scalar値がUNICODE文字の範囲外 =0x110000")


class DumpTest(SessionTest):
    def test_text_and_hex_dumps_take_their_four_arguments_in_order(self):
        LIBRARY.logPut("abcdefghijk", 99, False, 10)
        LIBRARY.logPutHex("abcdefghijk", -1, True, 10)
        self.assertEqual(self.body(), [
            "", "abcdefghij", "k",
            "", "---------- logPutHex-start len=-1",
            "61 62 63 64 65 66 67 68 69 6a ", "6b ", "---------- logPutHex-end"])

    def test_decode_table_ignores_n(self):
        LIBRARY.logDumpUTF8("é", -1, "pre")
        lines = self.body()
        self.assertRegex(lines[1], r"^addr=\{[0-9A-F]{16}\} prefix=\{pre\} "
                                   r"charSet=\{UTF8\(NoBom\)\} size\(BYTE\)=2$")
        # Sixteen hex cells of three characters, the middle mark after the eighth.
        self.assertEqual(lines[4], "c3 a9 " + "   " * 6 + "|" + "   " * 8 +
                         "|é.      |        | 000002 0x0002")


class ErrorAndBoxTest(SessionTest):
    def test_last_error_is_read_reset_and_logged(self):
        LIBRARY.w32_reset_errCode()
        self.assertEqual(LIBRARY.GetLastErr(), 0)
        LIBRARY.w32_err_log("python_host_test.py", 7)
        self.assertEqual(self.body(), [
            "[python_host_test.py line=7 Win32 ErrCode=0 :The operation completed successfully.]"])

    def test_boxes_answer_and_refusals_are_logged(self):
        # Without a desktop each box is one line "<title>: <text>" on standard error.
        captured = tempfile.TemporaryFile(dir=WORKDIR)
        saved = os.dup(2)
        os.dup2(captured.fileno(), 2)
        try:
            LIBRARY.msgBox("text", "title")
            ok = LIBRARY.msgBoxOkCancel("日本語", "question")
            refused = LIBRARY.msgBoxOkCancel("x" * 256, "question")
        finally:
            os.dup2(saved, 2)
            os.close(saved)
        captured.seek(0)
        self.assertEqual(captured.read().decode(), "title: text\nquestion: 日本語\n")
        self.assertEqual((ok, refused), (1, 0))
        self.assertEqual(self.body(), [
            "[SYSLOG][■--ERROR--■] func={msgBoxOkCancel() msg} buf size over max=510  "
            "user data size=512"])

    def test_stopwatch_lines(self):
        LIBRARY.profileTimeStart("lap")
        LIBRARY.profileTimeStop()
        lines = self.body()
        self.assertEqual(len(lines), 1)
        self.assertRegex(lines[0], r"^\[SYSLOG\]\[□--INFO--□\] \[lap\] 経過時間=\d+\.\d{3}000\[秒\]$")


class CoverageTest(unittest.TestCase):
    def test_every_export_is_wrapped_under_its_name(self):
        with open(os.path.join(SOURCE, "exports", "quillpen.def")) as f:
            lines = [line.strip() for line in f]
        exports = set(lines[lines.index("EXPORTS") + 1:]) - {""}
        methods = {name for name in vars(Quillpen) if not name.startswith("__")
                   and name not in ("_formatted", "_dump")}
        self.assertEqual(methods, exports)
        self.assertEqual(set(quillpen._SIGNATURES), exports)


if __name__ == "__main__":
    WORKDIR = os.path.abspath(sys.argv[1])
    shutil.rmtree(WORKDIR, ignore_errors=True)
    os.makedirs(WORKDIR)
    unittest.main(argv=sys.argv[:1], verbosity=2)
