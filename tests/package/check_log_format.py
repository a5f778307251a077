#!/usr/bin/env python3
"""Every fenced sample of DOC is a run of whole lines of the log the demo host writes, byte for
byte but for what changes from run to run.   Usage: check_log_format.py DOC [EMULATOR] DEMO"""
import pathlib
import re
import subprocess
import sys
import tempfile

# The time stamp, the file's date and separator, the decode table's address, the system's
# text for error 0, the seconds.
VARIES = (r"(?m)^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:|(?<=Log=\{logs)[\\/]demo\d{8}|=\{[0-9A-F]{16}\}"
          r"|(?<=ErrCode=0 :)[^\]\n]*|=\d+\.\d{6}\[")
# From sessions the demo does not open; the unit tests expect these bytes.
NOT_FROM_DEMO = [
    "##### LOG_SLEEP Switch ON! No save logs...  logInit() No.5 Param 0 Set to start Log! #####",
    "[SYSLOG][■--ERROR--■] func={_log() format} buf size over max=8190  user data size=8192"]

with tempfile.TemporaryDirectory() as workdir:
    if subprocess.run(sys.argv[2:] + ["logs"], cwd=workdir, timeout=120).returncode:
        sys.exit("the demo failed")
    [log] = pathlib.Path(workdir, "logs").iterdir()
    data = log.read_bytes()
if re.search(rb"\r(?!\n)|(?<!\r)\n", data):
    sys.exit("a line of the log does not end in CR LF")
text = "\n" + re.sub(VARIES, "#", data.decode()).replace("\r\n", "\n")
with open(sys.argv[1], encoding="utf-8") as f:
    samples = [s for s in re.findall(r"(?ms)^```\n(.*?)\n```$", f.read()) if s not in NOT_FROM_DEMO]
missing = [s for s in samples if "\n" + re.sub(VARIES, "#", s) + "\n" not in text]
print("\n\n".join(["not in the demo's log:"] + missing) if missing else f"{len(samples)} samples")
sys.exit(1 if missing or len(samples) < 10 else 0)
