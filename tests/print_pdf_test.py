#!/usr/bin/python3
"""sorakumo-tool print, checked through the PDF tools (poppler-utils).

Three sample-like pages with pictures are printed twice: horizontally in two columns with bag
binding, and vertically with pictures at the head of the lines (those two from the stored print
settings).  Each PDF must have as many pages as the sheets the tool reports, embed its fonts and
hold ink only inside the paper less its margins (the page numbers' band under the bottom margin
excepted); the horizontal one must carry the page titles as text, the vertical one its pictures.

usage: print_pdf_test.py SORAKUMO_TOOL DATA_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

TOOL, DATA = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
MM_PER_INCH = 25.4
DPI = 50
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(args, cwd, env):
    return subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True)


PARAGRAPHS = [
    "今日は朝から雨が降っていた。図書館で古い新聞を読んだ。駅前の喫茶店でコーヒーを飲み，"
    "午後は資料の整理をして過ごす。Linux の端末で dBASE のファイルを眺めていると，"
    "二十年前の記録がそのまま読めることに驚く。",
    "●メモ：会議は１０時から。議題は三つ，予算と日程と担当の割り振り。"
    "「要確認」の印を付けたものは来週までに調べておくこと。",
    "夕方には雨も上がり，川沿いの道を散歩した。空の色が刻々と変わり，"
    "雲の切れ間から夕日が差し込む。写真を何枚か撮ったので，ページに貼っておく。",
    "http://example.com/ に載っていた記事によれば，同じ現象は毎年この季節に見られるという。"
    "記録を続けていけば，いずれ比べることができるだろう。",
]

PAGES = [
    ("日記", "春の散歩", "川沿いの道", "2024-04-05", "hill.jpg"),
    ("仕事", "会議の記録", "第三回", "2024-04-08", "sea.jpg"),
    ("読書", "読書ノート", "", "2024-04-10", "sky.jpg"),
]


def make_page_file(folder, env):
    check(run([TOOL, "new", "f.dbf"], folder, env).returncode == 0, "new")
    for i, (cat, title, sub, date, image) in enumerate(PAGES):
        shutil.copy(os.path.join(DATA, image), folder)
        text = "\n".join(PARAGRAPHS[i:] + PARAGRAPHS[:i]) * 2 + "\n"
        with open(os.path.join(folder, "t%d.txt" % i), "w", encoding="utf-8") as f:
            f.write(text)
        r = run([TOOL, "append", "f.dbf", "--category", cat, "--title", title, "--subtitle", sub,
                 "--date", date, "--text-file", "t%d.txt" % i, "--images", image], folder, env)
        check(r.returncode == 0, "append %s: %s" % (title, r.stderr))


def write_settings(conf, values):
    with open(os.path.join(conf, "sorakumo.conf"), "w", encoding="utf-8") as f:
        f.write("[Software]\n")
        for k, v in values.items():
            f.write("sorakumo\\Print\\%s=%s\n" % (k, v))


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    # P5, width, height, maxval, one whitespace, then the bytes.
    m = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    w, h = int(m.group(1)), int(m.group(2))
    return w, h, data[m.end():m.end() + w * h]


def ink_outside(pgm, margins, number_band):
    """Dark pixels outside the paper less its margins (left, top, right, bottom in mm), and
    outside the band of number_band mm under the bottom margin line."""
    w, h, px = read_pgm(pgm)
    mm = DPI / MM_PER_INCH
    slack = 1.5  # anti-aliasing and glyph overhang
    left = (margins[0] - slack) * mm
    top = (margins[1] - slack) * mm
    right = w - (margins[2] - slack) * mm
    bottom = h - (margins[3] - slack) * mm
    band_bottom = h - (margins[3] - number_band) * mm
    outside = 0
    where = None
    for y in range(h):
        row = px[y * w:(y + 1) * w]
        for x in range(w):
            if row[x] >= 160:
                continue
            inside = left <= x <= right and (top <= y <= bottom or bottom < y <= band_bottom)
            if not inside:
                outside += 1
                where = where or (round(x / mm, 1), round(y / mm, 1))
    return outside, where, (w, h)


def check_pdf(name, folder, env, args, titles, pictures, margins=(20, 20, 20, 20)):
    r = run([TOOL, "print", "f.dbf", name] + args, folder, env)
    check(r.returncode == 0, "%s: exit %d: %s" % (name, r.returncode, r.stderr))
    if r.returncode != 0:
        return
    m = re.search(r"(\d+) 枚を (\S+) に書き出しました", r.stderr)
    check(m is not None, "%s: no sheet count in %r" % (name, r.stderr))
    sheets = int(m.group(1)) if m else -1
    pdf = os.path.join(folder, name)

    info = run(["pdfinfo", pdf], folder, env).stdout
    pages = re.search(r"^Pages:\s+(\d+)", info, re.M)
    check(pages and int(pages.group(1)) == sheets,
          "%s: pdfinfo pages %s, tool reported %d" % (name, pages and pages.group(1), sheets))

    fonts = run(["pdffonts", pdf], folder, env).stdout.splitlines()
    embedded = False
    if len(fonts) > 2:
        col = fonts[0].index("emb")
        embedded = any(line[col:col + 3] == "yes" for line in fonts[2:])
    check(embedded, "%s: no embedded font:\n%s" % (name, "\n".join(fonts)))

    if titles:
        text = run(["pdftotext", "-enc", "UTF-8", pdf, "-"], folder, env).stdout
        compact = re.sub(r"\s+", "", text)
        for t in titles:
            check(t in compact, "%s: title %s not in the text" % (name, t))

    if pictures:
        listing = run(["pdfimages", "-list", pdf], folder, env).stdout.splitlines()[2:]
        check(len(listing) >= pictures,
              "%s: %d pictures in the PDF, %d expected" % (name, len(listing), pictures))

    prefix = os.path.join(folder, name + "-sheet")
    run(["pdftoppm", "-r", str(DPI), "-gray", pdf, prefix], folder, env)
    sheet_files = sorted(f for f in os.listdir(folder) if f.startswith(name + "-sheet"))
    check(len(sheet_files) == sheets, "%s: %d sheets drawn" % (name, len(sheet_files)))
    for f in sheet_files:
        outside, where, size = ink_outside(os.path.join(folder, f), margins, 12)
        check(outside == 0, "%s: %d dark pixels outside the margins, first at %s mm (%dx%d px)"
              % (f, outside, where, size[0], size[1]))


def main():
    for tool in ("pdfinfo", "pdffonts", "pdftotext", "pdftoppm", "pdfimages"):
        if not shutil.which(tool):
            print("poppler-utils missing:", tool)
            return 1
    with tempfile.TemporaryDirectory() as folder:
        conf = os.path.join(folder, "conf")
        os.mkdir(conf)
        env = dict(os.environ, SORAKUMO_CONFIG_DIR=conf)
        env.pop("QT_QPA_PLATFORM", None)  # the tool chooses the offscreen platform itself
        make_page_file(folder, env)

        # (a) Horizontal, two columns, bag binding (the stored default); page titles by option.
        write_settings(conf, {"Fukuro": 1})
        check_pdf("a.pdf", folder, env,
                  ["--horizontal", "--columns", "2", "--fields", "title,date", "--title", "試験"],
                  [t for _, t, _, _, _ in PAGES], 0)

        # (b) Vertical with pictures at the head of the lines and page titles, from the stored
        # settings, on B5 landscape.
        write_settings(conf, {"ImagePos": 1, "TitleTitle": 1, "MojiHoko": 1, "Yoshi": 7})
        check_pdf("b.pdf", folder, env, [], [], len(PAGES))
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
