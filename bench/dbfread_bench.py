#!/usr/bin/python3
"""Reads every record of a page file with dbfread (memos included) and prints the fastest time.

Two ways are timed and both reported: dbfread as documented (fields decoded from cp932), and
dbfread with a parser that hands back raw bytes, so that decoding does not count against it.
Output: one line "mode wall_seconds cpu_seconds memo_bytes" per way, the best of the repeats.
"""
import sys
import time

from dbfread import DBF
from dbfread.field_parser import FieldParser


class RawParser(FieldParser):
    """Character and memo fields as bytes, as they are in the files."""

    def parseC(self, field, data):
        return data

    def parseM(self, field, data):
        return self.get_memo(self._parse_memo_index(data))


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
    for mode, parser in (("decoded", None), ("raw", RawParser)):
        best = min(run(path, parser) for _ in range(repeat))
        print(mode, "%.3f" % best[0], "%.3f" % best[1], best[2])


if __name__ == "__main__":
    main()
