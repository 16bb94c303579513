#!/usr/bin/env python3
"""Splits a batch table (header line, then one study per row) into chunks of rows.

    split_table.py TABLE ROWS_PER_CHUNK OUTDIR

writes OUTDIR/chunk_0000.tsv, chunk_0001.tsv, ... each with the header and at most
ROWS_PER_CHUNK rows, in table order, and prints the number of chunks. Comment and blank lines
are dropped. The rows keep their name and seed columns, so every study keeps its folder name
and its seed whichever chunk runs it. Python 3 standard library only.
"""
import os
import sys


def data_lines(path):
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.rstrip("\r\n")
            if line.strip() and not line.startswith("#"):
                yield line


def chunk_name(index):
    return "chunk_%04d.tsv" % index


def count_chunks(path, rows_per_chunk):
    rows = sum(1 for _ in data_lines(path)) - 1
    return max(0, (rows + rows_per_chunk - 1) // rows_per_chunk)


def split(path, rows_per_chunk, outdir):
    lines = data_lines(path)
    header = next(lines, None)
    if header is None:
        sys.exit("%s: no header line" % path)
    if "name" not in header.split("\t"):
        sys.exit("%s: the table needs a name column, so that every study keeps its folder "
                 "name in whichever chunk it runs (orvantis priors writes one)" % path)
    os.makedirs(outdir, exist_ok=True)
    count = 0
    chunk = []

    def flush():
        nonlocal count, chunk
        target = os.path.join(outdir, chunk_name(count))
        with open(target + ".partial", "w", encoding="utf-8") as out:
            out.write(header + "\n")
            out.writelines(row + "\n" for row in chunk)
        os.replace(target + ".partial", target)
        count += 1
        chunk = []

    for row in lines:
        chunk.append(row)
        if len(chunk) == rows_per_chunk:
            flush()
    if chunk:
        flush()
    return count


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: split_table.py TABLE ROWS_PER_CHUNK OUTDIR")
    size = int(sys.argv[2])
    if size < 1:
        sys.exit("ROWS_PER_CHUNK must be at least 1")
    print(split(sys.argv[1], size, sys.argv[3]))
