#!/usr/bin/env python3
"""Writes the bookmark files of other charsets with Python's own codecs, so that the
reader is checked against an encoder that is not Qt's. Run it here to remake them:
    python3 make.py
Each file holds one folder with one bookmark; its charset is declared by a <meta> tag
(both forms browsers write) or told by a byte-order mark alone."""

HEAD = '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n{meta}\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n'
BODY = ('<DL><p>\n    <DT><H3 ADD_DATE="1700000000">{folder}</H3>\n    <DL><p>\n'
        '        <DT><A HREF="https://{host}.example/" ADD_DATE="1700000000">{title}</A>\n'
        '    </DL><p>\n</DL><p>\n')
CONTENT = '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset={0}">'
SHORT = '<meta charset="{0}">'

# file, codec, meta, folder, title; a codec ending in "+bom" writes a byte-order mark
FILES = [
    ('big5.html', 'big5', CONTENT.format('big5'), '繁體資料', '中華民國 臺灣'),
    ('windows-1252.html', 'cp1252', CONTENT.format('windows-1252'), 'Café Folder', 'Naïve résumé – 5 €'),
    ('shift_jis.html', 'shift_jis', CONTENT.format('Shift_JIS'), '日本語', '東京タワー'),
    ('euc-kr.html', 'euc_kr', SHORT.format('euc-kr'), '한국어', '서울 날씨'),
    ('koi8-r.html', 'koi8_r', SHORT.format('KOI8-R'), 'Русский', 'Новости дня'),
    ('utf-16le.html', 'utf_16_le+bom', '', '中文 UTF-16LE', '汉字 𠀀 😀'),
    ('utf-16be.html', 'utf_16_be+bom', '', '中文 UTF-16BE', '汉字 𠀀 😀'),
    # The mark wins over a declaration that contradicts it.
    ('utf-8-bom.html', 'utf_8+bom', CONTENT.format('windows-1252'), 'Ünïcode', '标记优先'),
]

for name, codec, meta, folder, title in FILES:
    host = name.split('.')[0]
    text = HEAD.format(meta=meta) + BODY.format(folder=folder, host=host, title=title)
    bom = codec.endswith('+bom')
    if bom:
        codec = codec[:-4]
        text = '\ufeff' + text
    with open(name, 'wb') as out:
        out.write(text.encode(codec))
