"""The Python host: writes a log through quillpen.py and prints it.

    QUILLPEN_LIBRARY=build/linux/libquillpen.so python3 examples/python/demo.py [DIR]

Stamp mode 0 leaves the time out of the lines, so the file reads the same on every run; only
its name carries the date. DIR defaults to quillpen-python-logs.
"""
import datetime
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from quillpen import Quillpen, double, int32, int64, wide  # noqa: E402


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "quillpen-python-logs"
    qp = Quillpen()
    if not qp.logInit(directory, "python", stampMode=0, logLevel=4):
        print("logInit failed", file=sys.stderr)
        return 1
    day = datetime.date.today()  # the file is named after the day of logInit
    qp._log("hello from Python")
    qp._log("count=%d total=%lld ratio=%lf", int32(5), int64(1 << 40), double(0.25))
    qp._log("%s and %hs", wide("日本語 😀"), b"bytes")
    qp.log_warning("warning at logLevel %d", int32(4))
    qp.log_debug("not written: debug needs logLevel 5")
    qp.logPut("abcdefghijkl", 12, 1, 10)
    qp.logPutHex("あい", 2, 0, 10)
    qp.makeBitStringUSHORT16(0x1234, "unit")
    qp.logTerm()

    path = os.path.join(directory, f"python{day:%Y%m%d}.log")
    print(f"log file: {path}")
    with open(path, encoding="utf-8", newline="") as log:
        sys.stdout.write(log.read())
    return 0


if __name__ == "__main__":
    sys.exit(main())
