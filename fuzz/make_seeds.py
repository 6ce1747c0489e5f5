#!/usr/bin/python3
"""Makes the seed corpora of the fuzz targets from small page files.

usage: make_seeds.py SORAKUMO_TOOL OUT_DIR
Writes OUT_DIR/dbf, OUT_DIR/dbt and OUT_DIR/mdx: the files of page files of 0, 1, 3, 10 and 40
generated pages, a page file with a hand-written page, and a dBASE III memo file.  A dbt seed is
the dbt target's input: a flag byte, the count of block numbers, the TEXT and IMAGEFILE memo
pointers of the first records, then the memo file.
"""
import os
import struct
import subprocess
import sys
import tempfile


def memo_pointers(dbf):
    count, hdrlen, reclen = struct.unpack_from("<IHH", dbf, 4)
    fields, off = [], 1
    for i in range(32, hdrlen - 1, 32):
        if dbf[i] == 0x0D:
            break
        ftype, width = chr(dbf[i + 11]), dbf[i + 16]
        if ftype == "M":
            fields.append((off, width))
        off += width
    blocks = []
    for r in range(count):
        rec = dbf[hdrlen + r * reclen: hdrlen + (r + 1) * reclen]
        for o, w in fields:
            s = rec[o:o + w].strip(b" \0")
            if s.isdigit() and int(s):
                blocks.append(int(s))
    return blocks


def dbt_seed(dbase3, blocks, dbt):
    blocks = blocks[:16]
    head = bytes([1 if dbase3 else 0, len(blocks)])
    return head + b"".join(struct.pack("<I", b) for b in blocks) + dbt


def main():
    tool, out = sys.argv[1], sys.argv[2]
    for sub in ("dbf", "dbt", "mdx"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)

    def put(sub, name, data):
        with open(os.path.join(out, sub, name), "wb") as f:
            f.write(data)

    with tempfile.TemporaryDirectory() as tmp:
        made = []
        for n in (1, 3, 10, 40):
            path = os.path.join(tmp, "g%d.dbf" % n)
            subprocess.run([tool, "generate", path, "--pages", str(n), "--seed", str(n)], check=True)
            made.append(("g%d" % n, path))
        path = os.path.join(tmp, "empty.dbf")
        subprocess.run([tool, "new", path], check=True)
        made.append(("empty", path))
        path = os.path.join(tmp, "hand.dbf")
        text = os.path.join(tmp, "text.txt")
        with open(text, "w", encoding="utf-8") as f:
            f.write("一行目\n二行目 ＡＢＣ\n")
        subprocess.run([tool, "new", path], check=True)
        subprocess.run([tool, "append", path, "--category", "日記", "--title", "表題",
                        "--subtitle", "副題", "--date", "2024-02-29", "--text-file", text,
                        "--images", "a.jpg", "--key", "1"], check=True)
        made.append(("hand", path))
        for name, path in made:
            # A writable open settles the index, as the program would find it.
            subprocess.run([tool, "info", path], check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            stem = path[:-4]
            dbf = open(stem + ".dbf", "rb").read()
            dbt = open(stem + ".dbt", "rb").read()
            mdx = open(stem + ".mdx", "rb").read()
            put("dbf", name + ".dbf", dbf)
            put("mdx", name + ".mdx", mdx)
            put("dbt", name + ".dbt", dbt_seed(False, memo_pointers(dbf), dbt))
    # dBASE III memo file: 512-byte blocks, texts ended by 1A 1A.
    blocks = [b"\x01\x00\x00\x00" + b"\0" * 12 + b"\x03" + b"\0" * 495]
    memos = [b"first memo\r\nline two", "日本語のメモ".encode("cp932"), b"x" * 700]
    pointers, data = [], b""
    for m in memos:
        pointers.append(1 + len(data) // 512)
        chunk = m + b"\x1a\x1a"
        data += chunk + b"\0" * (-len(chunk) % 512)
    head = bytearray(blocks[0])
    struct.pack_into("<I", head, 0, 1 + len(data) // 512)
    put("dbt", "dbase3.dbt", dbt_seed(True, pointers, bytes(head) + data))


if __name__ == "__main__":
    main()
