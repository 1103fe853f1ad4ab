#!/usr/bin/env python3
"""The keys of scripts/lint's clang-tidy cache: for each unit given, a hash of
all that clang-tidy reads of it (the unit preprocessed with its comments, so
that NOLINT marks count, its flags, .clang-tidy and clang-tidy's version),
with the source folder's own path taken out so that every clone shares them.
Prints "KEY UNIT" a line; a unit that cannot be preprocessed gets no key.

    tidy_keys.py BUILD ROOT JOBS TIDY UNIT...
"""
import hashlib
import json
import os
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

build, root, jobs, tidy, *units = sys.argv[1:]
with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
    entries = json.load(f)
commands = {os.path.realpath(os.path.join(e["directory"], e["file"])): e for e in entries}

common = hashlib.sha256()
common.update(subprocess.run([tidy, "--version"], capture_output=True, check=False).stdout)
with open(os.path.join(root, ".clang-tidy"), "rb") as f:
    common.update(f.read())


def relative(text):
    return text.replace(build, "@build").replace(root, "@root")


def key(unit):
    entry = commands.get(os.path.realpath(os.path.join(root, unit)))
    if entry is None:
        return None
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    preprocess, skip = [], False
    for arg in args:
        if skip:
            skip = False
        elif arg == "-o":
            skip = True
        elif arg != "-c":
            preprocess.append(arg)
    out = subprocess.run(preprocess + ["-E", "-C", "-P", "-o", "-"], cwd=entry["directory"],
                         capture_output=True, check=False)
    if out.returncode != 0:
        return None
    h = common.copy()
    h.update(relative(unit + "\0" + " ".join(args)).encode())
    h.update(out.stdout.replace(build.encode(), b"@build").replace(root.encode(), b"@root"))
    return h.hexdigest()


with ThreadPoolExecutor(max_workers=int(jobs)) as pool:
    for unit, k in zip(units, pool.map(key, units)):
        if k:
            print(k, unit)
