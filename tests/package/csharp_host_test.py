#!/usr/bin/env python3
"""The C# declarations (examples/csharp/Quillpen.cs) under Mono: compiled by mcs with
csharp_host.cs, run against the built library (found on LD_LIBRARY_PATH, as DllImport's
"quillpen" names libquillpen.so), and the log it writes compared byte for byte, the
decode table's address and the stopwatch's seconds masked.

Usage: csharp_host_test.py WORKDIR LIBRARY_DIR
Without mcs or mono the test is skipped (exit code 77) unless QUILLPEN_CSHARP_REQUIRED is set.
"""
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
SKIP = 77

EXPECTED_BODY = [
    "[日本語 😀 100%]",
    "[debug]",
    "[info]",
    "[warning]",
    "[error]",
    "[critical]",
    "[csharp_host.cs line=2147483647 Win32 ErrCode=0 :The operation completed successfully.]",
    "",
    "---------- logPut-start len=-2147483648",
    "abcdefghij",
    "k",
    "---------- logPut-end!!",
    "",
    "c3 a9 f0 9f 98 80 ",
    "-" * 83,
    "addr={<address>} prefix={pre} charSet={UTF8(NoBom)} size(BYTE)=5",
    "00 01 02 03 04 05 06 07 |08 09 0A 0B 0C 0D 0E 0F |01234567|89ABCDEF| Dec   Hex",
    "-" * 83,
    "61 f0 9f 98 80          |                        |a😀..   |        | 000005 0x0005",
    "-" * 83,
    "+-----------------+",
    "|    0   |    1   |  [u16]",
    "+-----------------+",
    "|   ff   |   ff   |   HEX=0xffff",
    "+-----------------+",
    "|11111111|11111111|   UTF16_LE Bit Pattern!",
    "+-----------------+",
    "+-----------------------------------+",
    "|    0   |    1   |    2   |    3   |  [u32]",
    "+-----------------------------------+",
    "|   01   |   00   |   00   |   80   |  HEX=0x80000001",
    "+-----------------------------------+",
    "|00000001|00000000|00000000|10000000|  UTF32_LE Bit Pattern!",
    "+-----------------------------------+",
    "+-----------------------------------+",
    "|    0   |    1   |    2   |    3   |  [max]",
    "+-----------------------------------+",
    "|********|  0x10  |  0xff  |  0xff  |  SCALAR-HEX(UINT32)=0x0010ffff",
    "+-----------------------------------+",
    "|32    24| 21   16|       8|       0|  [max]",
    "+-----------------------------------+",
    "|********|***10000|11111111|11111111|  UNICODE(SCALAR) Bit Pattern!",
    "+-----------------------------------+",
    "|  0xf4  |  0x8f  |  0xbf  |  0xbf  |  DECODE-HEX(UINT32)=0xbfbf8ff4",
    "+-----------------------------------+",
    "|32    24|      16|       8|       0|  [max]",
    "+-----------------------------------+",
    "|11110100|10001111|10111111|10111111|  UTF8 Decode(4 bytes char)!",
    "+-----------------------------------+",
    "[SYSLOG][□--INFO--□] [lap] 経過時間=<seconds>[秒]",
]


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, timeout=120, **kwargs)
    if result.returncode != 0:
        fail(f"{' '.join(command)} exited with {result.returncode}:\n"
             f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return result


def main():
    workdir, library_dir = (os.path.abspath(arg) for arg in sys.argv[1:3])
    mcs, mono = shutil.which("mcs"), shutil.which("mono")
    if not mcs or not mono:
        if os.environ.get("QUILLPEN_CSHARP_REQUIRED"):
            fail("mcs and mono are required here (scripts/install-deps.sh installs them)")
        print("C# host skipped: mcs or mono not found")
        return SKIP
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    host = os.path.join(workdir, "csharp_host.exe")
    run([mcs, "-warnaserror", f"-out:{host}",
         os.path.join(SOURCE, "examples", "csharp", "Quillpen.cs"),
         os.path.join(HERE, "csharp_host.cs")])

    logs = os.path.join(workdir, "logs")
    env = dict(os.environ, LD_LIBRARY_PATH=library_dir)
    result = run([mono, host, logs], env=env)
    if result.stdout != b"GetLastErr=0\nmsgBoxOkCancel=1\n":
        fail(f"the host printed {result.stdout!r}")
    if result.stderr.decode() != "title: text\nquestion: 日本語\n":
        fail(f"the boxes were {result.stderr!r}")

    names = os.listdir(logs)
    if len(names) != 1 or not re.fullmatch(r"cs\d{8}\.log", names[0]):
        fail(f"{logs} holds {names}, not one file cs<date>.log")
    path = os.path.join(logs, names[0])
    with open(path, "rb") as log:
        text = log.read().decode()
    text = re.sub(r"addr=\{[0-9A-F]{16}\}", "addr={<address>}", text)
    text = re.sub(r"=\d+\.\d{3}000\[秒\]", "=<seconds>[秒]", text)
    expected = "".join(line + "\r\n" for line in
                       [f"[--- [cs] start Log={{{path}}} ---]"] + EXPECTED_BODY +
                       ["[--- [cs] end Log. ---]"])
    if text != expected:
        got, want = text.split("\r\n"), expected.split("\r\n")
        at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
        fail(f"{path} differs from line {at + 1}:\n  got:  {got[at:at + 3]}\n  want: {want[at:at + 3]}")
    print(f"C# host: {len(EXPECTED_BODY) + 2} lines as expected in {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
