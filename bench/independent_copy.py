#!/usr/bin/python3
"""Copies a page file through another program's writer, for the benchmarks' second file.

    independent_copy.py SOURCE.dbf TARGET.dbf

The pages of SOURCE are read with python3-dbfread (memos from the memo file as written) and written with python3-dbf as a dBASE III
table with its memo file (512-byte blocks, each memo ended by 1A 1A), as a file made by another
program comes.  The copy has no index: the benchmark scripts run `sorakumo-tool reindex` on it.
"""
import sys

import dbf
import dbfread
from dbfread.field_parser import FieldParser


class BytesParser(FieldParser):
    """Text fields and memos as they are in the file (CP932 bytes)."""

    def decode_text(self, text):
        return text

    def parseM(self, field, data):
        return int(data.strip(b" \0") or b"0")


def main():
    src, dst = sys.argv[1:3]
    t = dbf.Table(dst, "BUNRUI C(20); TITLE C(50); SUBTITLE C(50); DATE D; TEXT M; "
                  "IMAGEFILE M; KEY C(1)", dbf_type="db3", codepage="cp932")

    def text(b):
        return (b or b"").rstrip(b" \0").decode("cp932", errors="replace")

    memo = open(src[:-4] + ".dbt", "rb").read()

    def memo_text(block):
        if not block:
            return ""
        off = block * 512
        n = int.from_bytes(memo[off + 4:off + 8], "little")
        return memo[off + 8:off + n].decode("cp932", errors="replace")

    with t:
        for r in dbfread.DBF(src, encoding="cp932", parserclass=BytesParser):
            t.append({"bunrui": text(r["BUNRUI"]), "title": text(r["TITLE"]),
                      "subtitle": text(r["SUBTITLE"]), "date": r["DATE"],
                      "text": memo_text(r["TEXT"]), "imagefile": memo_text(r["IMAGEFILE"]),
                      "key": text(r["KEY"])})


if __name__ == "__main__":
    main()
