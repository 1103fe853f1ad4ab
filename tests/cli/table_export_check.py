#!/usr/bin/python3
"""ostrolen-cli table's CSV, TSV and JSON read back by Python's own csv and
json modules, cell for cell: the CSV and TSV rows against the JSON records,
and both against the labels and words the input was made of. Cells that a
spreadsheet would take for formulas come back with their "'"."""

import csv
import io
import json
import random
import subprocess
import sys
import tempfile

CLI = sys.argv[1]
FORMULA_STARTS = ("=", "+", "-", "@", "\t", "\r")
KEYS = ["line", "label", "words", "fields", "lines", "reports", "error"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def guarded(cell):
    return "'" + cell if cell.startswith(FORMULA_STARTS) else cell


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        kind = text[i + 1]
        if kind in "\\tnr":
            out.append({"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}[kind])
            i += 2
        elif kind == "x":
            out.append(chr(int(text[i + 2 : i + 4], 16)))
            i += 4
        elif kind == "u":
            out.append(chr(int(text[i + 2 : i + 6], 16)))
            i += 6
        else:
            raise ValueError("a backslash that begins no escape: " + text)
    return "".join(out)


LABELS = ["=SUM(A1)", "+7", "-1", "@x", "a;b", 'say "hi"', 'q"', "Семёнов", "21-35-07", "x\ry", "ул. Ленина, 5", None]


def make_input(page_words, rng):
    """Lines of records with every kind of label, comments and empty lines
    between; returns the text and, by line number, the label and words."""
    lines, expected = [], {}
    for i in range(120):
        if i % 17 == 5:
            lines.append("# a note: 0075")
        if i % 23 == 7:
            lines.append("")
        label = LABELS[i % len(LABELS)]
        words = rng.choice(page_words)
        if i % 3 == 0:
            words = words.replace(rng.choice("0123456789"), rng.choice("7FZ"))
        lines.append(words if label is None else label + ("\t" if i % 2 else ": ") + words)
        expected[len(lines)] = (label, words.split())
    return "\n".join(lines) + "\n", expected


def run(args, stdin=None):
    return subprocess.run([CLI, "table"] + args, input=stdin, capture_output=True)


def expected_cells(record, headings, has_fields):
    cells = [record["label"] or "", " ".join(record["words"])]
    if has_fields:
        cells += [record["fields"][name] for name in headings[2:-1]]
        filled = any(record["fields"].values())
    else:
        cells.append("; ".join(record["lines"]))
        filled = bool(record["lines"])
    if record["error"] is not None:
        error = record["error"]
    elif not filled:
        error = "; ".join(record["reports"] + [line for line in record["lines"] if line])
    else:
        error = ""
    return cells + [error]


def check_page(page, page_words, has_fields, seed):
    rng = random.Random(seed)
    text, expected = make_input(page_words, rng)
    with tempfile.NamedTemporaryFile("wb", suffix=".txt", delete=False) as file:
        file.write(text.encode("utf-8"))
        path = file.name

    # JSON: one object a record, keys in order, the input's labels and words.
    js = run([page, path, "--format", "json"])
    check(js.returncode == 1, f"{page}: json status {js.returncode}: {js.stderr!r}")
    records = [json.loads(line, object_pairs_hook=lambda pairs: pairs) for line in js.stdout.decode().splitlines()]
    check([dict(r)["line"] for r in records] == sorted(expected), f"{page}: json line numbers")
    for pairs in records:
        check([key for key, _ in pairs] == KEYS, f"{page}: json keys {[key for key, _ in pairs]}")
    records = [json.loads(line) for line in js.stdout.decode().splitlines()]
    for record in records:
        label, words = expected[record["line"]]
        check(record["label"] == label, f"{page}: line {record['line']}: label {record['label']!r} != {label!r}")
        check(record["words"] == words, f"{page}: line {record['line']}: words {record['words']!r}")
        check(has_fields == bool(record["fields"]), f"{page}: fields {record['fields']!r}")
    check(any(r["error"] for r in records) and any(not r["error"] for r in records), f"{page}: errors and not")

    # CSV: byte order mark, CRLF, ";" and quotes as a Russian-locale spreadsheet reads them.
    cs = run(["--format", "csv", page, path])
    check(cs.returncode == 1, f"{page}: csv status {cs.returncode}")
    raw = cs.stdout
    check(raw.startswith(b"\xef\xbb\xbf"), f"{page}: csv byte order mark")
    check(raw.endswith(b"\r\n"), f"{page}: csv ends with CRLF")
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline=""), delimiter=";"))
    headings = rows[0]
    check(headings[:2] == ["Метка", "Слова"] and headings[-1] == "Ошибка", f"{page}: csv headings {headings}")
    if has_fields:
        check(headings[2:-1] == list(records[0]["fields"]), f"{page}: csv field headings")
    else:
        check(headings[2:-1] == ["Строки"], f"{page}: csv headings {headings}")
    check(len(rows) == len(records) + 1, f"{page}: csv rows {len(rows)} for {len(records)} records")
    guards = 0
    for row, record in zip(rows[1:], records):
        want = [guarded(cell) for cell in expected_cells(record, headings, has_fields)]
        check(row == want, f"{page}: line {record['line']}: csv {row!r} != {want!r}")
        guards += row[0].startswith("'")
    check(guards >= 40, f"{page}: only {guards} labels guarded")

    # TSV, from standard input: decode's escapes, the same cells.
    ts = run([page], stdin=text.encode("utf-8"))
    check(ts.returncode == 1, f"{page}: tsv status {ts.returncode}")
    lines = ts.stdout.decode().split("\n")
    check(lines[-1] == "" and all("\r" not in line for line in lines), f"{page}: tsv lines")
    check([unescape(cell) for cell in lines[0].split("\t")] == headings, f"{page}: tsv headings")
    for line, record in zip(lines[1:-1], records):
        want = [guarded(cell) for cell in expected_cells(record, headings, has_fields)]
        check([unescape(cell) for cell in line.split("\t")] == want, f"{page}: line {record['line']}: tsv {line!r}")
    check(len(lines) == len(records) + 2, f"{page}: tsv rows")


check_page("sko", ["271A6", "27100", "17102", "00000", "371A6 1", "27"], True, 1)
check_page("uvp", ["0075 003F", "4035 403F", "0030-0034", "1234", "0075 003F 1"], False, 2)

if failures:
    for failure in failures[:40]:
        print(failure)
    print(f"{len(failures)} failures")
    sys.exit(1)
print("table exports read back cell for cell")
