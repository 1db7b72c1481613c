#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Packs a Moodle XML export of 28 questions with pictures (PNG and JPEG, base64 inside the file, as
Moodle writes them) with morv-pack, several times, and prints the median time. Goal: under 1 s. It
times the teacher's file the same way: the export written with --xml, and that file checked again
(each a whole run of morv-pack, its start included). Then compare the packed program's start-up with
the shipped one's:
    bench/startup.py --program /tmp/morv-pack-bench/packed
Python 3 standard library only; the pictures are drawn here, no image tool needed.
"""
import argparse
import base64
import os
import statistics
import struct
import subprocess
import sys
import time
import zlib


def png(width, height):
    # A gradient, so the picture is not trivially small once converted.
    rows = b"".join(b"\0" + b"".join(bytes((x * 255 // width, y * 255 // height, 128)) for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def export(questions=28):
    picture = base64.b64encode(png(400, 300)).decode()
    parts = ['<?xml version="1.0" encoding="UTF-8"?>', "<quiz>",
             '<question type="category"><category><text>$course$/Геометрия</text></category></question>']
    for i in range(1, questions + 1):
        answers = "".join('<answer fraction="%d" format="html"><text>%d см²</text></answer>'
                          % (100 if k == 0 else 0, i * i + k) for k in range(4))
        parts.append(
            '<question type="multichoice"><name><text>Въпрос %d</text></name>'
            '<questiontext format="html"><text><![CDATA[<p>Колко е лицето на квадрат със страна %d см?</p>'
            '<p><img src="@@PLUGINFILE@@/f%d.png" alt="Квадрат %d"></p>]]></text>'
            '<file name="f%d.png" path="/" encoding="base64">%s</file></questiontext>'
            '<generalfeedback format="html"><text><![CDATA[<p>Лицето е %d · %d = %d см².</p>]]></text>'
            "</generalfeedback><single>true</single>%s</question>"
            % (i, i, i, i, i, picture, i, i, i * i, answers))
    parts.append("</quiz>")
    return "\n".join(parts)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "default"))
    parser.add_argument("-n", "--runs", type=int, default=10)
    parser.add_argument("--work", default="/tmp/morv-pack-bench")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    source = os.path.join(args.work, "export.xml")
    with open(source, "w", encoding="utf-8") as out:
        out.write(export())
    packed = os.path.join(args.work, "packed")
    morv_pack = os.path.join(args.build, "morv-pack")
    teachers = os.path.join(args.work, "teacher.xml")

    def timed(command, before=None):
        times = []
        for _ in range(args.runs):
            if before:
                before()
            start = time.perf_counter()
            result = subprocess.run(command, capture_output=True, text=True)
            times.append(time.perf_counter() - start)
            if result.returncode != 0:
                sys.exit("morv-pack failed:\n" + result.stderr)
        return "median %.3f s, min %.3f, max %.3f" % (statistics.median(times), min(times), max(times))

    def fresh():
        if os.path.exists(teachers):
            os.remove(teachers)

    print("source: %s (%.1f MB, 28 questions, 28 pictures)" % (source, os.path.getsize(source) / 1e6))
    print("packing: %s (goal < 1 s)" % timed([morv_pack, source, "-o", packed, "--toto", "0"]))
    print("writing the teacher's file (--xml): %s" % timed([morv_pack, source, "--xml", teachers], fresh))
    print("checking the teacher's file: %s (%.2f MB)"
          % (timed([morv_pack, "--check", teachers]), os.path.getsize(teachers) / 1e6))
    print("packed program: %s" % packed)


if __name__ == "__main__":
    main()
