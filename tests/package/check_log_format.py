#!/usr/bin/env python3
"""Keeps docs/log-format.md true to what the library writes.

Runs the demo host (`quillpen_demo logs`) and the format host (`format_host out`) in a fresh
directory, then checks that
  - every fenced sample of the document is a run of whole lines of the demo's log file or
    of the format host's refusal file, or is the LOG_SLEEP file after its byte-order mark;
  - the stamp table: each mode's layout matches the line that mode wrote, and its example
    is the layout at 09:03:04 on 5 December 2026;
  - the terminator table: each newline mode's file is made of the terminators it names;
  - every file is named <prefix>YYYYMMDD.log after the local date of the run.
Values that differ from run to run are normalised on both sides first: the stamp, the date
in a file name, the directory separator, the decode table's address, the system's error text
and the stopwatch's seconds.

Usage: check_log_format.py DOC DEMO FORMAT_HOST WORKDIR [EMULATOR]
"""
import datetime
import os
import re
import shutil
import subprocess
import sys

NORMALISE = [
    (re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\[", re.M), "YYYY-MM-DD hh:mm:ss:["),
    (re.compile(r"(\w+)\d{8}\.log"), r"\1YYYYMMDD.log"),
    (re.compile(r"Log=\{logs[\\/]"), r"Log={logs\\"),
    (re.compile(r"addr=\{[0-9A-F]{16}\}"), "addr={ADDRESS}"),
    (re.compile(r"(Win32 ErrCode=-?\d+ :)[^\]\n]*\]"), r"\1SYSTEM TEXT]"),
    (re.compile(r"=-?\d+\.\d{6}\[秒\]"), "=SECONDS[秒]"),
]
TERMINATORS = {"CR LF": "\r\n", "LF": "\n", "CR": "\r", "none": ""}
EXAMPLE_TIME = datetime.datetime(2026, 12, 5, 9, 3, 4)
STAMP_ROW = re.compile(r"^\| *([0-9][0-9, ]*?) *\| *`([^`]*)` *\| *`([^`]*)` *\|$", re.M)
OTHER_STAMP_ROW = re.compile(r"^\| *any other *\| *nothing\b", re.M)
NEWLINE_ROW = re.compile(r"^\| *([0-9]|any other) *\| *(CR LF|LF|CR) *\| *(CR LF|LF|CR|none)\b", re.M)
UNKNOWN_MODE = {"stamp": 10, "newline": 7}  # what the format host uses for "any other"

failures = []


def fail(message):
    failures.append(message)


def normalise(text):
    for pattern, replacement in NORMALISE:
        text = pattern.sub(replacement, text)
    return text


def run(command, cwd):
    result = subprocess.run(command, cwd=cwd, capture_output=True, timeout=120)
    if result.returncode != 0:
        sys.exit(f"{command} failed ({result.returncode}):\n{result.stderr.decode(errors='replace')}")


def dated_file(directory, prefix, dates):
    """The bytes of directory/<prefix>YYYYMMDD.log, named after one of `dates`."""
    names = [f"{prefix}{d:%Y%m%d}.log" for d in dates]
    for name in names:
        path = os.path.join(directory, name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                return f.read()
    fail(f"{directory}: none of {names}; found {sorted(os.listdir(directory))}")
    return b""


def samples(doc):
    """The fenced blocks, each as its list of lines."""
    blocks = re.findall(r"^```[^\n]*\n(.*?)^```$", doc, re.M | re.S)
    return [block[:-1].split("\n") if block.endswith("\n") else [block] for block in blocks]


def contains_lines(lines, run_of_lines):
    n = len(run_of_lines)
    return any(lines[i:i + n] == run_of_lines for i in range(len(lines) - n + 1))


def layout_pattern(layout, when, message):
    """A regex for a stamp layout at time `when` holding `message`."""
    tokens = {
        "YYYY": f"{when.year:04d}", "MM": f"{when.month:02d}", "DD": f"{when.day:02d}",
        "hh": f"{when.hour:02d}", "mm": f"{when.minute:02d}", "ss": f"{when.second:02d}",
    }
    parts = re.split(r"(YYYY|MM|DD|hh|mm|ss|<tid>|<seconds>|message)", layout)
    pattern = ""
    for part in parts:
        if part in tokens:
            pattern += tokens[part]
        elif part == "<tid>":
            pattern += r"\d+"
        elif part == "<seconds>":
            pattern += r"\d+\.\d{6}"
        elif part == "message":
            pattern += re.escape(message)
        else:
            pattern += re.escape(part)
    return re.compile(pattern + r"\Z")


def log_lines(data):
    """A log file of CR LF lines, normalised, as its list of lines."""
    if data.replace(b"\r\n", b"").translate(None, b"\r\n") != data.replace(b"\r\n", b""):
        fail("a log file has lines that do not end in CR LF")
    return normalise(data.decode().replace("\r\n", "\n")).split("\n")


def check_samples(doc, logs, sleep_text):
    blocks = samples(doc)
    if len(blocks) < 10:
        fail(f"only {len(blocks)} samples in the document")
    for block in blocks:
        wanted = [normalise(line) for line in block]
        if block == [sleep_text] or any(contains_lines(lines, wanted) for lines in logs):
            continue
        fail("sample not written by the hosts:\n  " + "\n  ".join(block))


def check_stamps(doc, stamp_dir, times, dates):
    rows = STAMP_ROW.findall(doc)
    if not rows or not OTHER_STAMP_ROW.search(doc):
        fail("no stamp table")
    documented = set()
    for modes, layout, example in rows:
        if not layout_pattern(layout, EXAMPLE_TIME, "count=5").match(example):
            fail(f"stamp modes {modes}: example {example!r} is not {layout!r}")
        for mode in (int(m) for m in modes.split(",")):
            documented.add(mode)
            text = dated_file(stamp_dir, f"m{mode}", dates).decode()
            lines = text.split("\r\n")
            if len(lines) != 4 or lines[3] != "":
                fail(f"stamp mode {mode}: {lines}")
                continue
            start = re.search(r"--- \[m%d\] start Log=\{[^}]*\} ---" % mode, lines[0])
            messages = [start.group(0) if start else "(a start line)", "x",
                        f"--- [m{mode}] end Log. ---"]
            for line, message in zip(lines, messages):
                if not any(layout_pattern(layout, t, message).match(line) for t in times):
                    fail(f"stamp mode {mode}: {line!r} is not {layout!r}")
    written = {int(re.match(r"m(\d+)\d{8}\.log$", n).group(1)) for n in os.listdir(stamp_dir)}
    if documented | {UNKNOWN_MODE["stamp"]} != written:
        fail(f"stamp table modes {sorted(documented)} against files {sorted(written)}")
    other = dated_file(stamp_dir, f"m{UNKNOWN_MODE['stamp']}", dates)
    if other != b"":
        fail(f"stamp mode {UNKNOWN_MODE['stamp']} wrote {other!r}")


def check_newlines(newline_dir, doc, dates, separator):
    rows = NEWLINE_ROW.findall(doc)
    if len(rows) != 4:
        fail(f"terminator table has {len(rows)} rows")
    for mode, line_end, dump_end in rows:
        mode = UNKNOWN_MODE["newline"] if mode == "any other" else int(mode)
        t1, t2 = TERMINATORS[line_end], TERMINATORS[dump_end]
        data = dated_file(newline_dir, f"nl{mode}", dates).decode()
        name = re.search(r"Log=\{(.*?)\}", data)
        path = name.group(1) if name else "?"
        if not path.startswith(f"out{separator}newlines{separator}nl{mode}"):
            fail(f"newline mode {mode}: file named {path!r} in its start line")
        expected = (f"[--- [nl{mode}] start Log={{{path}}} ---]{t1}[x]{t1}{t2}ab{t2}"
                    f"[--- [nl{mode}] end Log. ---]{t1}")
        if data != expected:
            fail(f"newline mode {mode}: {data!r}, documented {expected!r}")


def main():
    doc_path, demo, host, workdir = sys.argv[1:5]
    emulator = sys.argv[5:6]
    separator = "\\" if emulator or os.name == "nt" else "/"
    with open(doc_path, encoding="utf-8") as f:
        doc = f.read()

    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(os.path.join(workdir, "demo"))
    os.makedirs(os.path.join(workdir, "host", "out"))
    before = datetime.datetime.now().replace(microsecond=0)
    run(emulator + [demo, "logs"], os.path.join(workdir, "demo"))
    run(emulator + [host, "out"], os.path.join(workdir, "host"))
    after = datetime.datetime.now()
    times = [before + datetime.timedelta(seconds=s)
             for s in range(-1, int((after - before).total_seconds()) + 2)]
    dates = sorted({t.date() for t in times})

    out = os.path.join(workdir, "host", "out")
    logs = [log_lines(dated_file(os.path.join(workdir, "demo", "logs"), "demo", dates)),
            log_lines(dated_file(os.path.join(out, "refused"), "refused", dates))]

    sleep_bytes = dated_file(os.path.join(out, "sleep"), "sleep", dates)
    if not sleep_bytes.startswith(b"\xef\xbb\xbf"):
        fail(f"the LOG_SLEEP file does not start with a byte-order mark: {sleep_bytes[:8]!r}")
    sleep_text = sleep_bytes[3:].decode()
    if "\n" in sleep_text or "\r" in sleep_text:
        fail(f"the LOG_SLEEP file holds more than its notice: {sleep_text!r}")

    check_samples(doc, logs, sleep_text)
    check_stamps(doc, os.path.join(out, "stamps"), times, dates)
    check_newlines(os.path.join(out, "newlines"), doc, dates, separator)

    for message in failures:
        print("FAIL:", message)
    if failures:
        sys.exit(1)
    print(f"{len(samples(doc))} samples, the stamp table and the terminator table hold")


if __name__ == "__main__":
    main()
