#!/usr/bin/env python3
"""Builds data/Sample.dbf (with .dbt and .mdx) from the pages below, through sorakumo-tool.

The pages tell the user about the program: mention only keys and features it has.  A key is
written with the menu caption of its command right after it, as in F11「次のページへ」, and a
menu as 「表示」メニュー; the window's tests check every such mention against the command table.

Usage: scripts/make_sample.py TOOL [OUT_DIR]
The same script always gives the same pages; only the header dates differ.
"""
import os, subprocess, sys, tempfile

tool = sys.argv[1]
out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "data")
path = os.path.join(out, "Sample.dbf")

PAGES = [
    ("はじめに", "そらくもへようこそ", "", "2019-04-01", """\
このページファイルは そらくも の見本です。
一つのページに 分類・タイトル・サブタイトル・日付・本文・画像ファイル名 が入っています。

● ページの移動: F11「次のページへ」，F10「手前のページへ」，
  F12「10ページ進む」，F9「10ページ戻る」，
  Ctrl+F9「最初のページへ」，Ctrl+F12「最後のページへ」。
● F2「ページ一覧」で全ページを見渡し，選んだページへ移れます。
● F7「ページ履歴を戻る」と F8「ページ履歴を進む」で，見てきたページを行き来できます。
● 「表示」メニューで並べ替えと選択ができます。
""", "sky.jpg", None),
    ("はじめに", "使い方のメモ", "", "2019-04-02", """\
箇条書きの例:
● ページの追加は Ctrl+Z「新しいページを追加」で。
○ 削除したページの番号は欠番になります。
◎ 番号の分かっているページへは Ctrl+J「ページ番号へジャンプ」で。
① 日付は日付欄の右のボタンを押して，カレンダーで選びます。
② 「ページ」メニューの「１年前のページへ」で，一年前の同じ日ごろのページへ移れます。
""", "", None),
    ("日記", "春の散歩", "", "2020-03-21", """\
朝から晴れ。川沿いの桜がもう咲き始めていた。
帰りにパン屋に寄って，クロワッサンを二つ買った。
""", "hill.jpg", None),
    ("日記", "雨の日", "", "2020-06-14", """\
一日中雨。<読みかけの本> を最後まで読んだ。
夜，そらくも に今日の記録をつける。
""", "", None),
    ("日記", "海へ", "", "2021-08-09", """\
電車で二時間，久しぶりに海を見た。
波の音をしばらく聞いていた。
写真を二枚撮った。
""", "sea.jpg;sky.jpg", None),
    ("日記", "大晦日", "", "2021-12-31", "今年も一年ありがとうございました。\n来年の目標: 毎日一ページ書くこと。\n", "", None),
    ("日記", "元日", "", "2022-01-01", "初日の出を見に丘へ登った。\n● 今年の目標を書き出す\n● 本を月に二冊\n", "hill.jpg", None),
    ("日記", "閏日", "", "2024-02-29", "四年に一度の二月二十九日。\n一年後の今日はどの日になるだろう。\n", "", None),
    ("MY日記", "ひとりごと", "空野 雲子", "2023-05-05", "こどもの日。柏餅を食べた。\n", "", None),
    ("MY日記", "夏の終わり", "空野 雲子", "2023-08-31", "宿題に追われた日々を思い出す。\n", "", None),
    ("切り抜き", "新しい図書館が開館", "地域新聞", "2022-04-15", """\
駅前に新しい図書館が開館した。蔵書は約二十万冊。
開館時間は 9:00〜21:00，月曜休館。
詳しくは http://www.example.com/library/ を参照。
""", "", None),
    ("切り抜き", "天気の記録", "気象だより", "2022-07-20", "最高気温 35.2 度。今年一番の暑さ。\n", "", None),
    ("切り抜き", "古い町並み", "旅行雑誌", "2018-10-10", "格子戸の続く通りを歩く。\n<写真: 通りの様子>\n", "sky.jpg", None),
    ("メモ", "買い物リスト", "", "2024-01-31", "● 牛乳\n● 卵\n● 食パン\n● コーヒー豆\n", "", None),
    ("メモ", "連絡先", "", "2024-02-01", "問い合わせは sorakumo@example.com まで。\n電話は平日のみ。\n", "", None),
    ("メモ", "TeX の書き方", "", "2021-02-11", """\
\\documentclass{jarticle}
\\begin{document}
% ここは注釈
本文を書く。
\\end{document}
""", "", None),
    ("メモ", "abc で始まる題", "", "2021-02-12", "大文字と小文字の並べ替えの確認用。\n", "", None),
    ("メモ", "ABC で始まる題", "", "2021-02-13", "UPPER() で大文字にしてから比べるので，上の頁と同じ位置に並ぶ。\n", "", None),
    ("メモ", "日付なしのページ", "", None, "日付が空のページです。日付順では先頭に来ます。\n", "", None),
    ("仕事", "会議の記録", "企画部", "2023-04-10", """\
// 議事録
出席: 五名
1. 新しい資料の作り方
2. 次回の予定 <4月24日>
● 決定事項: 資料は共有フォルダへ
""", "", None),
    ("仕事", "会議の記録", "企画部", "2023-04-24", "前回の続き。\n資料の確認と分担。\n", "", None),
    ("仕事", "出張の予定", "営業部", "2023-06-01", "大阪へ一泊二日。\n新幹線は 8:03 発。\n", "", None),
    ("読書", "吾輩は猫である", "夏目 漱石", "2017-09-01", "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n", "", None),
    ("読書", "草枕", "夏目 漱石", "2017-10-01", "山路を登りながら，こう考えた。\n智に働けば角が立つ。情に棹させば流される。\n", "", None),
    ("読書", "銀河鉄道の夜", "宮沢 賢治", "2018-02-03", "「ではみなさんは，そういうふうに川だと云われたり，乳の流れたあとだと云われたりしていた…」\n", "", None),
    ("料理", "カレーの作り方", "", "2019-11-23", """\
材料（四人分）
● 玉ねぎ 2 個
● にんじん 1 本
● じゃがいも 3 個
作り方
① 野菜を切る
② 炒めて煮込む
③ ルウを入れる
""", "", None),
    ("料理", "おにぎり", "", "2019-11-24", "塩むすびが一番。\n", "", None),
    ("旅行", "京都の旅", "", "2016-11-20", "紅葉の季節。寺を三つ回った。\n\n夜は湯豆腐。\n", "hill.jpg;sea.jpg", None),
    ("旅行", "北海道", "", "2025-07-15", "ラベンダー畑が一面に広がっていた。\n", "sky.jpg", None),
    ("はじめに", "箇条書きのページ", "", "2019-04-03", """\
箇条書きで書いたページです。
● 一つ目
● 二つ目
""", "", 1 + 64 + 32),
    ("はじめに", "画像とリンクファイル", "", "2019-04-04", """\
ページには画像とファイルを関連づけられます。右（または下）の画像領域に表示されます。
JPEG・BMP・PNG の画像は絵として，それ以外のファイルは名前として表示されます。
名前の出ている領域をダブルクリックすると，そのファイルをデスクトップのソフトで開きます。

● Ctrl+Alt+A「ページに画像（リンクファイル）を追加」でファイルを選んで追加します。
● Ctrl+Alt+N「次の画像（リンクファイル）へ」，Ctrl+Alt+P「手前の画像（リンクファイル）へ」，
  Ctrl+Alt+F「先頭の画像（リンクファイル）へ」で画像を切り替えます。
● 「画像・リンク」メニューの画像表示モードで，元の大きさか領域に合わせた大きさかを選べます。
● 画像領域を右クリックすると，別名で保存・ページから削除・リフレッシュができます。
""", "yama.png;kaisetsu.txt;sea.jpg", None),
    ("メモ", "なくしたファイル", "", "2024-03-01", """\
このページは，もう存在しないファイル nakunatta.jpg を名指しています。
画像領域には「このファイルは存在しません。」と表示されます。
""", "nakunatta.jpg", None),
]

if os.path.exists(path):
    for ext in (".dbf", ".dbt", ".mdx"):
        p = path[:-4] + ext
        if os.path.exists(p):
            os.remove(p)
subprocess.run([tool, "new", path], check=True)
with tempfile.TemporaryDirectory() as tmp:
    for cat, title, sub, date, text, images, key in PAGES:
        args = [tool, "append", path, "--category", cat, "--title", title]
        if sub:
            args += ["--subtitle", sub]
        if date:
            args += ["--date", date]
        if text:
            tf = os.path.join(tmp, "text.txt")
            with open(tf, "w", encoding="utf-8") as fh:
                fh.write(text)
            args += ["--text-file", tf]
        if images:
            args += ["--images", images]
        if key:
            args += ["--key", str(key)]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
subprocess.run([tool, "check", path], check=True, stdout=subprocess.DEVNULL)
print(f"{path}: {len(PAGES)} pages")
