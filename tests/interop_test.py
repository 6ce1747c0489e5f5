#!/usr/bin/python3
"""Page files against independent dBASE readers and writers.

Writes a page file with sorakumo-tool and reads it back with Perl XBase (dbf_dump, index_dump)
and python3-dbfread; checks records, memo texts and the order of all ten tags.  Then opens a
dBASE III file with memos written by python3-dbf.

Usage: interop_test.py PATH/TO/sorakumo-tool
"""

import datetime
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import dbf
import dbfread
from dbfread.field_parser import FieldParser

TOOL = None

FIELDS = ["BUNRUI", "TITLE", "SUBTITLE", "DATE", "TEXT", "IMAGEFILE", "KEY"]
WIDTH = {"BUNRUI": 20, "TITLE": 50, "SUBTITLE": 50}
# Tag name -> key expression parts (field, DTOS or UPPER).
TAGS = {
    "SD": ["SUBTITLE", "DTOS"], "TD": ["TITLE", "DTOS"], "BD": ["BUNRUI", "DTOS"],
    "S": ["SUBTITLE"], "T": ["TITLE"], "B": ["BUNRUI"], "D": None,
    "BT": ["BUNRUI", "TITLE"], "BS": ["BUNRUI", "SUBTITLE"], "TS": ["TITLE", "SUBTITLE"],
}


class Page:
    """One page as handed to `sorakumo-tool append` (UTF-8 strings)."""

    def __init__(self, category="", title="", subtitle="", date=None, text="", images="", key=0):
        self.category, self.title, self.subtitle = category, title, subtitle
        self.date, self.text, self.images, self.key = date, text, images, key

    def stored(self):
        """The field values as CP932 bytes the way the page record holds them (C fields without
        trailing spaces, text with CR LF line ends, date as YYYYMMDD or b'')."""
        text = self.text.replace("\r\n", "\n").replace("\n", "\r\n")
        return {
            "BUNRUI": self.category.encode("cp932"),
            "TITLE": self.title.encode("cp932"),
            "SUBTITLE": self.subtitle.encode("cp932"),
            "DATE": self.date.strftime("%Y%m%d").encode() if self.date else b"",
            "TEXT": text.encode("cp932"),
            "IMAGEFILE": self.images.encode("cp932"),
            "KEY": bytes([self.key]) if self.key else b"",
        }


def run(*args, check=True):
    p = subprocess.run([TOOL, *args], capture_output=True)
    if check and p.returncode != 0:
        raise AssertionError(f"{args}: exit {p.returncode}\n{p.stderr.decode(errors='replace')}")
    return p


def big_text():
    lines = []
    i = 0
    while sum(len(l.encode("cp932")) + 2 for l in lines) < 20 * 1024:
        lines.append(f"{i:05d} 長い本文の行です。ソフト表示能力テスト abc/ＡＢＣ ｶﾀｶﾅ ～①")
        i += 1
    return "\n".join(lines)


def sample_pages():
    """About forty pages: mixed-case and Japanese titles (incl. characters whose trail byte is
    0x5C or a lower-case ASCII letter), duplicates, blank dates and fields filled to the byte."""
    rng = random.Random(20240131)
    titles = ["apple", "Apple", "APPLE", "abc", "ABD", "banana", "ソフト", "表計算", "ヂャ", "アイ",
              "ｱｲｳｴｵ", "ａｂｃ全角", "zebra", "日記", "日記", " 先頭空白", "あ" * 25, "x" * 50,
              "C:\\dir\\file", "tab\there", "予定", "能力", "mIxEd CaSe 漢字", ""]
    categories = ["日記", "日記", "メモ", "MY日記", "my日記", "", "分類" * 5, "work", "Work", "ソ"]
    subtitles = ["", "", "朝日", "Web", "web", "山田 太郎", "s" * 50, "表"]
    dates = [None, None, datetime.date(2024, 1, 31), datetime.date(1999, 12, 31),
             datetime.date(2000, 2, 29), datetime.date(1901, 1, 1), datetime.date(2038, 1, 19),
             datetime.date(2024, 1, 31)]
    texts = ["", "一行だけ", "一行目\n二行目\n\n四行目（空行の後）", "CRLF済み\r\n次の行\r\n",
             "末尾に空白   ", "\\バックスラッシュ\tタブ", "English only\nsecond line"]
    images = ["", "", "a.jpg", "photo 1.jpg;写真２.png;C:\\pic\\x.bmp"]
    keys = [0, 0, 1, 5, 0x41, 0x81, 0xA5, 0xFF]
    pages = []
    for i in range(40):
        pages.append(Page(
            category=categories[i % len(categories)],
            title=titles[i % len(titles)],
            subtitle=rng.choice(subtitles),
            date=dates[(i * 3) % len(dates)],
            text=big_text() if i == 17 else rng.choice(texts),
            images=rng.choice(images),
            key=rng.choice(keys)))
    return pages


class BytesParser(FieldParser):
    """dbfread parser that leaves C fields and memos as CP932 bytes, for exact comparison."""

    def decode_text(self, text):
        return bytes(text)


def read_dbfread(path):
    """Records as dicts of bytes (C fields right-trimmed; DATE as YYYYMMDD or b'')."""
    out = []
    for r in dbfread.DBF(path, encoding="cp932", parserclass=BytesParser):
        rec = {}
        for f in FIELDS:
            v = r[f]
            if f == "DATE":
                v = v.strftime("%Y%m%d").encode() if v else b""
            elif f in ("TEXT", "IMAGEFILE"):
                # dBASE IV memos come back with 8 extra bytes at the end.
                v = (v or b"").rstrip(b"\0")
            rec[f] = v
        out.append(rec)
    return out


def read_dbf_dump(path):
    p = subprocess.run(["dbf_dump", "--fs", "\x1f", "--rs", "\x1e", path], capture_output=True)
    if p.returncode != 0:
        raise AssertionError("dbf_dump: " + p.stderr.decode(errors="replace"))
    recs = p.stdout.split(b"\x1e")
    assert recs[-1] == b"", recs[-1]
    return [dict(zip(FIELDS, r.split(b"\x1f"))) for r in recs[:-1]]


def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s):
            out.append({"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}[s[i + 1]])
            i += 2
        else:
            out.append(s[i])
            i += 1
    return "".join(out)


def read_tool_dump(path, order=None):
    """(page numbers, records as dicts of CP932 bytes) from `sorakumo-tool dump`."""
    args = ["dump", path] + (["--order", order] if order else [])
    lines = run(*args).stdout.decode("utf-8").split("\n")
    assert lines[-1] == ""
    pages, recs = [], []
    for line in lines[:-1]:
        cols = line.split("\t")
        assert len(cols) == 8, line
        pages.append(int(cols[0]))
        v = dict(zip(FIELDS, (unescape(c) for c in cols[1:])))
        rec = {f: v[f].encode("cp932") for f in FIELDS}
        rec["DATE"] = v["DATE"].replace("-", "").encode()
        rec["KEY"] = bytes([int(v["KEY"])]) if v["KEY"] else b""
        recs.append(rec)
    return pages, recs


def upper(b):
    """UPPER() on CP932 bytes: half-width a-z only, trail bytes untouched."""
    out, i = bytearray(), 0
    while i < len(b):
        c = b[i]
        if (0x81 <= c <= 0x9F or 0xE0 <= c <= 0xFC) and i + 1 < len(b):
            out += b[i:i + 2]
            i += 2
            continue
        out.append(c - 0x20 if 0x61 <= c <= 0x7A else c)
        i += 1
    return bytes(out)


def tag_key(tag, rec):
    parts = TAGS[tag]
    if parts is None:
        d = rec["DATE"]
        jd = 0.0 if not d else float(
            datetime.date(int(d[:4]), int(d[4:6]), int(d[6:])).toordinal() + 1721425)
        return struct.pack("<d", jd)
    key = b""
    for p in parts:
        key += rec["DATE"].ljust(8) if p == "DTOS" else upper(rec[p]).ljust(WIDTH[p])
    return key


def expected_order(tag, recs):
    """Record numbers (from 1) sorted by the tag's key, ties by record number."""
    def sort_key(n):
        k = tag_key(tag, recs[n - 1])
        return (struct.unpack("<d", k)[0] if tag == "D" else k, n)
    return sorted(range(1, len(recs) + 1), key=sort_key)


def read_index_dump(mdx, tag, key_len):
    """(key bytes, record number) pairs from Perl XBase's index_dump; keys are raw bytes of fixed
    length, so lines are cut by length rather than by white space."""
    p = subprocess.run(["index_dump", mdx, tag], capture_output=True)
    if p.returncode != 0:
        raise AssertionError(f"index_dump {tag}: " + p.stderr.decode(errors="replace"))
    out, data, i = [], p.stdout, 0
    while i < len(data):
        key = data[i:i + key_len]
        end = data.index(b"\n", i + key_len)
        assert data[i + key_len:i + key_len + 1] == b" ", data[i:end]
        out.append((key, int(data[i + key_len + 1:end])))
        i = end + 1
    return out


class PageFileInterop(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="sk_interop_")
        cls.path = os.path.join(cls.dir, "pages.dbf")
        cls.pages = sample_pages()
        run("new", cls.path)
        for n, pg in enumerate(cls.pages, 1):
            args = ["append", cls.path, "--key", str(pg.key)]
            for opt, v in (("category", pg.category), ("title", pg.title),
                           ("subtitle", pg.subtitle), ("images", pg.images)):
                if v:
                    args += ["--" + opt, v]
            if pg.date:
                args += ["--date", pg.date.isoformat()]
            if pg.text:
                tf = os.path.join(cls.dir, f"text{n}.txt")
                with open(tf, "w", encoding="utf-8", newline="") as f:
                    f.write(pg.text)
                args += ["--text-file", tf]
            out = run(*args).stdout.decode().strip()
            assert out == str(n), f"append {n} printed {out!r}"
        cls.expected = [pg.stored() for pg in cls.pages]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def assertRecords(self, got, source):
        self.assertEqual(len(got), len(self.expected), source)
        for n, (g, e) in enumerate(zip(got, self.expected), 1):
            for f in FIELDS:
                self.assertEqual(g[f], e[f], f"{source}: page {n} field {f}")

    def test_file_is_consistent(self):
        self.assertEqual(run("check", self.path).returncode, 0)

    def test_perl_xbase_reads_what_was_written(self):
        self.assertRecords(read_dbf_dump(self.path), "dbf_dump")

    def test_dbfread_reads_what_was_written(self):
        self.assertRecords(read_dbfread(self.path), "dbfread")
        t = dbfread.DBF(self.path, encoding="cp932")
        self.assertEqual(t.header.dbversion, 0x8B)
        self.assertEqual(t.header.language_driver, 0x13)
        self.assertEqual(t.header.mdx_flag, 1)
        self.assertEqual(t.header.headerlen, 257)
        self.assertEqual(t.header.recordlen, 150)

    def test_tool_dump_reads_what_was_written(self):
        pages, recs = read_tool_dump(self.path)
        self.assertEqual(pages, list(range(1, len(self.pages) + 1)))
        self.assertRecords(recs, "sorakumo-tool dump")

    def test_every_tag_matches_xbase_and_tool_order(self):
        recs = read_dbfread(self.path)
        mdx = os.path.splitext(self.path)[0] + ".mdx"
        for tag in TAGS:
            with self.subTest(tag=tag):
                want = expected_order(tag, recs)
                key_len = len(tag_key(tag, recs[0]))
                dumped = read_index_dump(mdx, tag, key_len)
                self.assertEqual([n for _, n in dumped], want, f"index_dump {tag}")
                for key, n in dumped:
                    self.assertEqual(key, tag_key(tag, recs[n - 1]), f"{tag} key of record {n}")
                tool_pages, _ = read_tool_dump(self.path, tag)
                self.assertEqual(tool_pages, want, f"dump --order {tag}")


class DBase3FileOpens(unittest.TestCase):
    """A dBASE III table with a .dbt written by another program, without an index."""

    def test_dbase3_with_memos(self):
        d = tempfile.mkdtemp(prefix="sk_db3_")
        try:
            path = os.path.join(d, "old.dbf")
            t = dbf.Table(path, "BUNRUI C(20); TITLE C(50); SUBTITLE C(50); DATE D; TEXT M; "
                          "IMAGEFILE M; KEY C(1)", dbf_type="db3", codepage="cp932")
            pages = [
                Page("日記", "最初のページ", "", datetime.date(2001, 3, 4), "本文\r\n二行目", "a.jpg", 0),
                Page("", "blank date", "sub", None, "", "", 0x41),
                Page("メモ", "ソフト", "表", datetime.date(1999, 12, 31),
                     "長いメモ\r\n" * 300, "x.png;y.png", 0),
                Page("メモ", "apple", "", datetime.date(2024, 1, 31), "one", "", 0),
                Page("", "", "", None, "", "", 0),
            ]
            with t:
                for pg in pages:
                    s = pg.stored()
                    t.append({"bunrui": pg.category, "title": pg.title, "subtitle": pg.subtitle,
                              "date": pg.date, "text": s["TEXT"].decode("cp932"),
                              "imagefile": pg.images, "key": s["KEY"].decode("cp932")})
            with open(path, "rb") as f:
                head = f.read(32)
            self.assertEqual(head[0], 0x83)
            self.assertEqual(head[29], 0x13)
            self.assertFalse(os.path.exists(os.path.join(d, "old.mdx")))

            p = run("dump", path)
            self.assertIn("old.mdx", p.stderr.decode("utf-8"), "no notice of the rebuilt index")
            pages_seen, recs = read_tool_dump(path)
            self.assertEqual(pages_seen, [1, 2, 3, 4, 5])
            for n, (g, pg) in enumerate(zip(recs, pages), 1):
                e = pg.stored()
                for f in FIELDS:
                    self.assertEqual(g[f], e[f], f"record {n} field {f}")
            self.assertEqual(run("check", path, check=False).returncode, 0,
                             run("check", path, check=False).stdout.decode())
            # The rebuilt index gives the same orders as on a file of our own.
            for tag in ("T", "BD", "D"):
                got, _ = read_tool_dump(path, tag)
                self.assertEqual(got, expected_order(tag, [pg.stored() for pg in pages]), tag)
        finally:
            shutil.rmtree(d)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
