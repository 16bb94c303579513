#!/usr/bin/env python3
"""Gathers the batch_summary.tsv files of the chunks into one table.

    gather_summaries.py OUTPUT SUMMARY...

The columns are those of all summaries, in the order first met (the statistics of studies
whose samples or markers differ may differ); a value a summary lacks is NA. Rows keep the
order of the summaries given, then of their lines. Python 3 standard library only.
"""
import os
import sys


def read(path):
    with open(path, encoding="utf-8") as table:
        lines = [line.rstrip("\r\n") for line in table if line.strip()]
    if not lines:
        sys.exit("%s: empty summary" % path)
    header = lines[0].split("\t")
    return header, [line.split("\t") for line in lines[1:]]


def gather(output, paths):
    columns, seen, tables = [], set(), []
    for path in paths:
        header, rows = read(path)
        tables.append((header, rows))
        for column in header:
            if column not in seen:
                seen.add(column)
                columns.append(column)
    with open(output + ".partial", "w", encoding="utf-8") as out:
        out.write("\t".join(columns) + "\n")
        for header, rows in tables:
            for row in rows:
                values = dict(zip(header, row))
                out.write("\t".join(values.get(column, "NA") for column in columns) + "\n")
    os.replace(output + ".partial", output)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: gather_summaries.py OUTPUT SUMMARY...")
    gather(sys.argv[1], sys.argv[2:])
