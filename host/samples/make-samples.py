#!/usr/bin/env python3
"""Writes the stand-in host's sample mails: host/samples/inbox, archive and
malformed. The encoded words are computed here, so they are right by
construction; run it again after changing a mail and commit the output.

The 100 KB header line of the malformed folder is not kept in the tree: the
build writes it (LongHeaderMail.cmake)."""
import base64
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def b_words(text, charset, codec, prefix_len=len("Subject: "), limit=75):
    """RFC 2047 B words for text, each at most `limit` characters and holding
    whole characters only, joined by a fold (CRLF/LF added by write())."""
    words = []
    chars = list(text)
    current = ""
    head = "=?%s?B?" % charset
    for ch in chars:
        trial = current + ch
        encoded = head + base64.b64encode(trial.encode(codec)).decode() + "?="
        if len(encoded) > limit and current:
            words.append(head + base64.b64encode(current.encode(codec)).decode() + "?=")
            current = ch
        else:
            current = trial
    if current:
        words.append(head + base64.b64encode(current.encode(codec)).decode() + "?=")
    return "\n ".join(words)


def b_word(text, charset, codec):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(text.encode(codec)).decode())


def q_word(raw, charset):
    out = ""
    for byte in raw:
        c = chr(byte)
        if c == " ":
            out += "_"
        elif c.isalnum() and byte < 0x80:
            out += c
        else:
            out += "=%02X" % byte
    return "=?%s?Q?%s?=" % (charset, out)


def write(folder, name, text, crlf, raw_tail=b""):
    path = os.path.join(HERE, folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = text.replace("\r\n", "\n")
    if crlf:
        data = data.replace("\n", "\r\n")
    with open(path, "wb") as f:
        f.write(data.encode("latin-1") + raw_tail)


def jis_body(text):
    return text.encode("iso2022_jp").decode("latin-1")


# --- inbox ---------------------------------------------------------------------

write("inbox", "01-weekly-report.eml", """\
Return-Path: <m.keller@example.org>
Received: from mail.example.org (mail.example.org [192.0.2.25])
	by mx.example.net (Postfix) with ESMTPS id 4QxT2v0Zk3z1xqR
	for <team@example.net>; Mon, 6 May 2024 09:14:03 +0200 (CEST)
Message-ID: <000c01da9f8a$3b1f6e40$b15e4ac0$@example.org>
From: "Martin Keller" <m.keller@example.org>
To: <team@example.net>
Subject: Weekly report: build farm status
Date: Mon, 6 May 2024 09:13:58 +0200
References: <20240429071102.GA11234@build01.example.org>
 <000b01da9a0d$0c1d2e30$24578890$@example.org>
 <CAFk9vN1u7p3d1aQ-x2wQmPz8yZ1h9d3nXtQk2vY@mail.example.com>
 <8f1e7c52-3a91-4d7e-b1f4-6a0d2c9e5b17@example.net>
 <20240503154512.7c2d9f0a@workstation.example.org>
 <b3f1c0de-77aa-4e21-9c0d-5e6f7a8b9c0d@lists.example.net>
MIME-Version: 1.0
Content-Type: text/plain; charset="us-ascii"
Content-Transfer-Encoding: 7bit
X-Mailer: Microsoft Outlook 16.0
Comments: %s
Content-Language: en-gb

Hello all,

the build farm ran 412 jobs last week; 9 failed, all of them on the
i686 runner, which is back in service since Friday.

Regards,
Martin
""" % q_word(b"forwarded from the build list", "US-ASCII"), crlf=True)

write("inbox", "02-meeting-jis.eml", """\
Received: from smtp.example.jp (smtp.example.jp [198.51.100.7])
	by mx.example.net with ESMTP id 1A2B3C4D
	for <team@example.net>; Tue, 7 May 2024 10:02:11 +0900
Date: Tue, 7 May 2024 10:02:05 +0900
From: %s <t.yamada@example.jp>
To: team@example.net
Subject: %s
Message-Id: <20240507100205.5A3F.TY@example.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset="ISO-2022-JP"
Content-Transfer-Encoding: 7bit
X-Mailer: Sylpheed 3.7.0 (GTK+ 2.24.33; i686-pc-mingw32)

%s
""" % (b_word("山田 太郎", "ISO-2022-JP", "iso2022_jp"),
       b_word("会議の議事録について", "ISO-2022-JP", "iso2022_jp"),
       jis_body("皆様\n\n先日の会議の議事録を共有します。\nご確認ください。\n\n山田")), crlf=True)

write("inbox", "03-release-utf8.eml", """\
Received: from relay.example.com (relay.example.com [203.0.113.40])
	by mx.example.net with ESMTPS id 7F3E21A0
	for <team@example.net>; Wed, 8 May 2024 16:40:27 +0000
From: Aiko Tanaka <aiko@example.com>
To: team@example.net
Subject: %s
Date: Wed, 08 May 2024 16:40:22 +0000
Message-ID: <87r0ea9x3k.fsf@example.com>
MIME-Version: 1.0
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 8bit
X-Mailer: Claws Mail 4.1.1 (GTK 3.24.38;
 x86_64-pc-linux-gnu)

The release candidate is up for review.
""" % b_word("リリース候補 v0.2.3 の確認", "UTF-8", "utf-8"), crlf=False)

write("inbox", "04-thunderbird.eml", """\
Received: from [192.0.2.80] (host80.example.net [192.0.2.80])
	by mx.example.net with ESMTPSA id 5C0E9B12
	for <team@example.net>; Thu, 9 May 2024 12:01:44 +0200
Message-ID: <5b0c2f0e-8d7a-4c34-9a62-0f1e3d2b7c55@example.net>
Date: Thu, 9 May 2024 12:01:40 +0200
MIME-Version: 1.0
User-Agent: Mozilla Thunderbird
Content-Language: en-US
To: team@example.net
From: Lena Brandt <lena@example.net>
Subject: Re: %s menu for Friday
Content-Type: text/plain; charset=UTF-8; format=flowed
Content-Transfer-Encoding: 7bit

Pizza again, then.
""" % q_word("Café".encode("utf-8"), "UTF-8"), crlf=True)

# --- archive ---------------------------------------------------------------------

write("archive", "01-sjis-newsletter.eml", """\
Received: from news.example.co.jp (news.example.co.jp [198.51.100.90])
	by mx.example.net with SMTP id 9D8C7B6A
	for <team@example.net>; Fri, 1 Mar 2024 08:00:03 +0900
From: %s <info@example.co.jp>
To: <team@example.net>
Subject: %s
Date: Fri, 1 Mar 2024 08:00:00 +0900
Message-ID: <001a01c8f2b1$4e3d2c10$0a00a8c0@example.co.jp>
MIME-Version: 1.0
Content-Type: text/plain; charset="shift_jis"
Content-Transfer-Encoding: 8bit
X-Priority: 3
X-MSMail-Priority: Normal
X-Mailer: Microsoft Outlook Express 6.00.2900.5512
X-MimeOLE: Produced By Microsoft MimeOLE V6.00.2900.5512

""" % (b_word("サポート窓口", "Shift_JIS", "shift_jis"),
       b_word("【お知らせ】メンテナンスのご案内", "Shift_JIS", "shift_jis")),
      crlf=True, raw_tail="3月10日にメンテナンスを行います。\r\n".encode("shift_jis"))

write("archive", "02-latin1.eml", """\
Received: from smtp.example.fr (smtp.example.fr [203.0.113.12])
	by mx.example.net with ESMTP id 2E4F6A8C
	for <team@example.net>; Mon, 15 Apr 2024 14:22:09 +0200
From: =?ISO-8859-1?Q?Ren=E9_Lef=E8vre?= <rene@example.fr>
Content-Type: text/plain; charset=iso-8859-1
Content-Transfer-Encoding: quoted-printable
Mime-Version: 1.0 (Mac OS X Mail 16.0 \\(3774.500.171.1.1\\))
Subject: %s
Comments: %s
Message-Id: <A1B2C3D4-E5F6-4789-9ABC-DEF012345678@example.fr>
Date: Mon, 15 Apr 2024 14:22:01 +0200
To: team@example.net
X-Mailer: Apple Mail (2.3774.500.171.1.1)

R=E9union demain =E0 10h.
""" % (q_word("Réunion d'équipe".encode("latin-1"), "ISO-8859-1"),
       q_word("“quoted” text".encode("cp1252"), "windows-1252")), crlf=False)

write("archive", "03-euc-jp-long-subject.eml", """\
Received: from mail.example.ne.jp (mail.example.ne.jp [192.0.2.140])
	by mx.example.net with ESMTP id 3B5D7F91
	for <team@example.net>; Tue, 23 Apr 2024 19:45:31 +0900
Date: Tue, 23 Apr 2024 19:45:28 +0900
Message-ID: <m2wmtq8k1d.wl-sato@example.ne.jp>
From: Sato Kenji <sato@example.ne.jp>
To: team@example.net
Subject: [dev] %s
MIME-Version: 1.0
Content-Type: text/plain; charset=EUC-JP
Content-Transfer-Encoding: 7bit
X-Mailer: Mew version 6.8 on Emacs 28.2

""" % b_words("週報第十二号：ビルド環境の移行状況、試験結果の集計、"
              "来週以降の作業予定、レビュー待ちの変更一覧、"
              "既知の不具合と回避策、性能測定の結果と考察、"
              "文書の更新状況、次回会議の議題案、"
              "新しい試験機の導入計画と予算の見積もり、"
              "障害対応の振り返りについてのご報告です。",
              "EUC-JP", "euc_jp"), crlf=True)

# --- malformed ---------------------------------------------------------------------

write("malformed", "01-no-header-end.eml",
      "From: someone@example.org\nSubject: No empty line anywhere\nX-Mailer: Truncated Mailer 1.0",
      crlf=True)

with open(os.path.join(HERE, "malformed", "02-binary-header.eml"), "wb") as f:
    f.write(b"From: binary@example.org\r\n"
            b"Subject: Binary\x00bytes\x01in\x7fthe\x1bheader\r\n"
            b"X-Mailer: Bin\x00ary\x02Mailer \xff\xfe\x80 2.0\r\n"
            b"X-\xff\xfe: value of a binary name\r\n"
            b"\r\n"
            b"\x00\x01\x02 body\r\n")

write("malformed", "03-broken-encoded-word.eml", """\
From: broken@example.org
Subject: =?UTF-8?B?not*base64?=
X-Mailer: %s Mailer =?NO-SUCH-CHARSET?Q?abc?=
Comments: =?ISO-2022-JP?B?GyRYJDMbKEI=?=
Keywords: =?UTF-8?Q?unterminated
X-Bad-Padding: =?UTF-8?B?5pel5Y?=

Every header above holds an encoded word that cannot be decoded.
""" % b_word("日本", "UTF-8", "utf-8"), crlf=True)

write("malformed", "05-empty.eml", "", crlf=True)
