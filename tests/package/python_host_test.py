#!/usr/bin/env python3
"""examples/python/quillpen.py with the library named by QUILLPEN_LIBRARY: every export wrapped,
arguments passed whole, results of their C types, and what the binding refuses before a call."""
import os
import re
import sys
import tempfile
import unittest

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(SOURCE, "examples", "python"))
import quillpen  # noqa: E402
from quillpen import double, int32, int64, uint32, wide  # noqa: E402

QP = quillpen.Quillpen()


class BindingTest(unittest.TestCase):
    def setUp(self):  # a session in stamp mode 0 and CR LF, in a directory of its own
        self.dir = self.enterContext(tempfile.TemporaryDirectory())
        self.assertEqual(QP.logInit(self.dir, "t", stampMode=0), 1)
        self.addCleanup(QP.logTerm)

    def lines(self):  # those between the start and the end line, address and seconds masked
        QP.logTerm()
        [name] = os.listdir(self.dir)
        with open(os.path.join(self.dir, name), encoding="utf-8", newline="") as log:
            return re.sub(r"addr=\{\w+\}|=[\d.]+\[秒\]", "#", log.read()).split("\r\n")[1:-2]

    def test_every_export_is_wrapped_under_its_name(self):
        with open(os.path.join(SOURCE, "exports", "quillpen.def")) as f:
            exports = set(f.read().split("EXPORTS")[1].split())
        methods = {n for n in vars(quillpen.Quillpen) if n[:2] != "__"} - {"_formatted", "_dump"}
        self.assertEqual((set(quillpen._SIGNATURES), methods), (exports, exports))

    def test_variadic_arguments_reach_their_conversions(self):
        QP._log("%d %u %lld %lf", int32(-2**31), uint32(2**32 - 1), int64(-2**62), double(-1.5))
        QP._log("[%s] [%hs] [%s] 100%%", wide("日本語 😀"), b"bytes", wide(""))
        for name in ("log_debug", "log_info", "log_warning", "log_error", "log_critical"):
            getattr(QP, name)("%hs", name.encode())
        QP._log("a\ud800b")  # a lone surrogate is passed on; the library drops it
        QP._log(None)  # a null pointer, which the library reports
        self.assertEqual(self.lines(), [
            "[-2147483648 4294967295 -4611686018427387904 -1.500000]",
            "[[日本語 😀] [bytes] [] 100%]", "[log_debug]", "[log_info]", "[log_warning]",
            "[log_error]", "[log_critical]", "[ab]",
            "[SYSLOG][■--ERROR--■] func={_log() format} NULLポインタです、処理せずにリターンします。"])

    def test_fixed_arguments_pass_whole_and_results_come_back(self):
        QP.w32_reset_errCode()
        self.assertEqual(QP.GetLastErr(), 0)
        QP.w32_err_log("py", 2**31 - 1)
        QP.logPut("abcdefghijk", -2**31, True, 10)
        QP.logDumpUTF8("é😀", -1, "pre")
        QP.makeBitStringUSHORT16(0xFFFF, "u16")
        QP.makeBitStringUINT32(0x80000001, "u32")
        QP.profileTimeStart("lap")
        QP.profileTimeStop()
        QP.msgBox("text", "title")  # without a desktop, a line on standard error
        self.assertEqual(QP.msgBoxOkCancel("text", "title"), 1)  # and the answer OK
        self.assertLessEqual({
            "[py line=2147483647 Win32 ErrCode=0 :The operation completed successfully.]",
            "---------- logPut-start len=-2147483648", "[SYSLOG][□--INFO--□] [lap] 経過時間#",
            "# prefix={pre} charSet={UTF8(NoBom)} size(BYTE)=6", "|   ff   |   ff   |   HEX=0xffff",
            "|   01   |   00   |   00   |   80   |  HEX=0x80000001", "abcdefghij",
        }, set(self.lines()))

    def test_what_the_binding_refuses(self):
        T, O = TypeError, OverflowError
        for error, function, *args in [
                (T, QP._log, "%d", 5), (T, QP._log, "%lf", 1.5), (T, QP.log_error, "%s", "text"),
                (T, QP.w32_err_log, "f", 1.0), (T, QP.msgBox, b"text", "t"),
                (O, QP.logPut, "a", 1, 256, 10), (O, QP.logPutHex, "a", 2**31, 1, 10),
                (O, QP.makeBitStringUSHORT16, 0x10000, "v"), (O, QP.makeBitStringUINT32, -1, "v"),
                (O, QP.logDumpUTF8, "a", 2**63, "p")]:
            with self.subTest(function.__name__, args=args), self.assertRaises(error):
                function(*args)
        self.assertEqual(self.lines(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
