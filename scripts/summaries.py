#!/usr/bin/env python3
"""Gathers the summary.json files of many workbench-cli runs into one table.

    scripts/summaries.py results/*/summary.json > table.tsv
    scripts/summaries.py results/            # every summary.json below the folder

One row per run, tab-separated, with a header: the folder, the command, its
inputs, the counts and the seconds of each step. Columns are the union of
what the runs report; a run without a column leaves it empty.
"""
import json
import os
import sys


def summaries(args):
    for arg in args:
        if os.path.isdir(arg):
            for root, _, files in sorted(os.walk(arg)):
                if "summary.json" in files:
                    yield os.path.join(root, "summary.json")
        else:
            yield arg


def flatten(summary):
    row = {
        "folder": None,
        "command": summary.get("command", ""),
        "inputs": " ".join(i["path"] for i in summary.get("inputs", [])),
        "threads": summary.get("threads", ""),
        "version": summary.get("version", ""),
    }
    for key, value in summary.get("counts", {}).items():
        row[key] = value
    for key, value in summary.get("seconds", {}).items():
        row["seconds_" + key] = round(value, 3)
    return row


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    rows = []
    for path in summaries(sys.argv[1:]):
        try:
            with open(path) as f:
                row = flatten(json.load(f))
        except (OSError, ValueError, KeyError, TypeError) as e:
            sys.exit("%s: not a workbench-cli summary (%s)" % (path, e))
        row["folder"] = os.path.dirname(path) or "."
        rows.append(row)
    columns = []
    for row in rows:
        for key in row:
            if key not in columns:
                columns.append(key)
    print("\t".join(columns))
    for row in rows:
        print("\t".join(str(row.get(c, "")) for c in columns))


if __name__ == "__main__":
    main()
