#!/usr/bin/env python3
"""Kills `f2tp-cli import` of a large exchange set at random moments.

A filled report is made in a scratch program folder; an exchange set whose
section 2 lists ROWS pollutants (and new sections 1 and 3) is imported into
it, and the process is killed with SIGKILL at a random moment of the
import's last second. After each kill `f2tp-cli sections` starts on the
report, and its output is compared with the report before and after a
complete import: old, new, or mixed (a report of two halves). Files a save
left aside in the data folder after that start are counted as left.

    bench/import_kill.py --cli build/run/bin/f2tp-cli --data build/run/bin/data

Prints the counts; exits 1 when a report came out mixed or files were left.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

CLASSIFIERS = ["TEMPLR.xml", "KLZAV.xml", "klreg.xml", "klobl.xml"]


def packet(columns, rows):
    """A data packet file from "NAME:type[:width]" columns and value rows."""
    fields = ""
    for column in columns.split():
        parts = column.split(":")
        width = ' WIDTH="%s"' % parts[2] if len(parts) > 2 else ""
        fields += '<FIELD attrname="%s" fieldtype="%s"%s></FIELD>' % (parts[0], parts[1], width)
    names = [c.split(":")[0] for c in columns.split()]
    body = ""
    for row in rows:
        attrs = "".join(' %s="%s"' % (n, v) for n, v in zip(names, row) if v != "")
        body += "<ROW%s />" % attrs
    text = ('<?xml version="1.0" encoding="windows-1251" standalone="yes"?>'
            '<DATAPACKET Version="2.0"><METADATA><FIELDS>%s</FIELDS><PARAMS/></METADATA>'
            "<ROWDATA>%s</ROWDATA></DATAPACKET>" % (fields, body))
    return text.encode("cp1251")


def write_set(folder, rows):
    os.makedirs(folder)
    section1 = [[str(ca), "%.3f" % (ca / 7.0)] for ca in range(101, 110)]
    section2 = [[str(200 + i), str(1000 + i), "%.3f" % (i / 3.0)]
                for i in range(1, rows + 1)]
    section3 = [[str(ca), "7", "5", "2.5"] for ca in range(301, 304)]
    files = {
        "F2TPR1.xml": packet("CA:i2 C2:r8", section1),
        "F2TPR2.xml": packet("CA:i2 C1:i2 C2:r8", section2),
        "F2TPR3.xml": packet("CA:i2 C1:i4 C2:i4 C3:r8", section3),
    }
    lines = ["Caption=Набор", "Label=Набор", "Code=35"]
    for n, name in enumerate(files, 1):
        lines.append("UPDATE%d=2,KODP,YEAR_,REG" % n)
    for n, name in enumerate(files, 1):
        lines.append("Table%d=%s" % (n, name))
    lines.append("Tables=%d" % len(files))
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    manifest = os.path.join(folder, "TableList.inf")
    with open(manifest, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))
    return manifest


def run(cli, *args):
    return subprocess.run([cli, *args], capture_output=True, check=False)


def sections(cli, program):
    result = run(cli, "sections", program, "--decimal-separator", ".")
    if result.returncode != 0:
        return b"failed: " + result.stderr
    return result.stdout


def restore(snapshot, data):
    shutil.rmtree(data)
    shutil.copytree(snapshot, data)


def left_aside(data):
    return [n for n in os.listdir(data) if ".f2tp-new" in n or n.startswith("f2tp-save.journal")]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--data", required=True, help="folder with the classifier files")
    parser.add_argument("--kills", type=int, default=100)
    parser.add_argument("--rows", type=int, default=2600)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--tail", type=float, default=1.0,
                        help="kill within the import's last TAIL seconds (its saves come last)")
    args = parser.parse_args()
    random.seed(args.seed)
    cli = os.path.abspath(args.cli)

    with tempfile.TemporaryDirectory(prefix="f2tp-kill-") as scratch:
        program = os.path.join(scratch, "program")
        data = os.path.join(program, "data")
        os.makedirs(data)
        for name in CLASSIFIERS:
            shutil.copy(os.path.join(args.data, name), data)
        # The report before: typed values in sections 1, 2 and 3.
        for cell in (["1", "104", "C2", "1.5"], ["2", "201", "C2", "2.25"],
                     ["3", "301", "C3", "4"]):
            result = run(cli, "set", program, *cell, "--decimal-separator", ".")
            if result.returncode != 0:
                sys.exit("set failed: " + result.stderr.decode())
        snapshot = os.path.join(scratch, "before")
        shutil.copytree(data, snapshot)
        old = sections(cli, program)
        manifest = write_set(os.path.join(scratch, "set"), args.rows)

        durations = []
        for _ in range(3):
            restore(snapshot, data)
            start = time.monotonic()
            result = run(cli, "import", program, manifest)
            durations.append(time.monotonic() - start)
            if result.returncode != 0:
                sys.exit("import failed: " + result.stderr.decode())
        new = sections(cli, program)
        if new == old:
            sys.exit("the import changed nothing")
        duration = min(durations)

        counts = {"old": 0, "new": 0, "mixed": 0}
        left = 0
        finished = 0
        while sum(counts.values()) < args.kills:
            restore(snapshot, data)
            process = subprocess.Popen([cli, "import", program, manifest], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            time.sleep(random.uniform(max(0.0, duration - args.tail), duration))
            if process.poll() is not None:
                finished += 1
                continue
            process.kill()
            process.wait()
            now = sections(cli, program)
            counts["old" if now == old else "new" if now == new else "mixed"] += 1
            left += 1 if left_aside(data) else 0
            if sum(counts.values()) % 10 == 0:
                print("%d killed: %s" % (sum(counts.values()), counts), file=sys.stderr, flush=True)

        print("import of %d section 2 rows: %.2f s" % (args.rows, duration))
        print("killed %d: old %d, new %d, mixed %d; files left after the start: %d; "
              "finished before the kill: %d"
              % (sum(counts.values()), counts["old"], counts["new"], counts["mixed"], left,
                 finished))
        return 1 if counts["mixed"] or left else 0


if __name__ == "__main__":
    sys.exit(main())
