#!/usr/bin/python3
"""Reads every record of a page file with dbfread (memos included) and prints the median time.

    dbfread_bench.py FILE.dbf [REPEAT [MODE...]]

Three ways are timed (MODE picks them, all by default): dbfread as documented ("decoded": fields
decoded from cp932), with the memos handed back as raw bytes and the other fields decoded
("rawmemo"), and with a parser that hands back every text field as raw bytes ("raw"), so that no
decoding counts against it.  Output: one line "mode wall_seconds cpu_seconds memo_bytes" per way,
the median of the repeats.
"""
import statistics
import sys
import time

from dbfread import DBF
from dbfread.field_parser import FieldParser


class RawMemoParser(FieldParser):
    """Memo fields as bytes, as they are in the memo file; the rest decoded as usual."""

    def parseM(self, field, data):
        return self.get_memo(self._parse_memo_index(data))


class RawParser(RawMemoParser):
    """Character and memo fields as bytes, as they are in the files."""

    def parseC(self, field, data):
        return data


def run(path, parser):
    start, cpu = time.perf_counter(), time.process_time()
    memo_bytes = 0
    # dbfread takes a dBASE IV memo's length as the length of its text, while the length counts
    # the 8-byte block header too: it reads 8 bytes past each text (into the padding or the
    # next memo's header), which need not decode.  Undecodable bytes are replaced, not raised.
    kwargs = {"encoding": "cp932", "char_decode_errors": "replace"}
    if parser:
        kwargs["parserclass"] = parser
    for rec in DBF(path, **kwargs):
        text = rec["TEXT"]
        if text:
            memo_bytes += len(text)
    return time.perf_counter() - start, time.process_time() - cpu, memo_bytes


def main():
    path = sys.argv[1]
    repeat = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    modes = sys.argv[3:] or ["decoded", "rawmemo", "raw"]
    for mode, parser in (("decoded", None), ("rawmemo", RawMemoParser), ("raw", RawParser)):
        if mode not in modes:
            continue
        runs = [run(path, parser) for _ in range(repeat)]
        wall = statistics.median(r[0] for r in runs)
        cpu = statistics.median(r[1] for r in runs)
        print(mode, "%.3f" % wall, "%.3f" % cpu, runs[0][2])


if __name__ == "__main__":
    main()
