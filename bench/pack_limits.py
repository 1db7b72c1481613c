#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The worst sources found for morv-pack, each at its format's size limit, read with --check.

Prints the CPU time (user + system) and the peak resident memory of each run. Goal: every source
read or refused within 2 s of CPU and 200 MB. A run still going after --timeout seconds of CPU is
stopped and shown as over it.

    bench/pack_limits.py [--pack build/default/morv-pack] [--only NAME] [--timeout 60] [--check]

Python 3 standard library only: the pictures (PNG, GIF and JPEG that declare 4096 x 4096 pixels in a
few kilobytes) are written here, byte by byte. --check exits 1 when a goal is missed.
"""
import argparse
import base64
import os
import resource
import signal
import struct
import subprocess
import sys
import time
import zlib

MiB = 1024 * 1024
GIFT_LIMIT = 4 * MiB
AIKEN_LIMIT = 4 * MiB
MOODLE_LIMIT = 12 * MiB
CPU_GOAL = 2.0  # seconds
MEMORY_GOAL = 200  # MB


def repeated(head, unit, tail, limit):
    """head, then unit as many times as fits with tail within limit bytes (UTF-8)."""
    head, unit, tail = head.encode(), unit.encode(), tail.encode()
    count = (limit - len(head) - len(tail)) // len(unit)
    return head + unit * count + tail


# ---- pictures that declare 4096 x 4096 pixels in a few kilobytes ----

def png_16bit(side=4096):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = (b"\0" + b"\0" * (side * 6)) * side  # filter byte, then RGB of 16 bits each
    header = struct.pack(">IIBBBBB", side, side, 16, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
            chunk(b"IEND", b""))


def png_noise(limit=4 * MiB):
    """Colour noise as large as a picture file may be: no compression helps, every byte is decoded."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    side = int(((limit - 4096) / 3) ** 0.5)
    rows = b"".join(b"\0" + os.urandom(side * 3) for _ in range(side))
    header = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 1)) +
            chunk(b"IEND", b""))


def gif_solid(side=4096):
    """One colour, LZW-coded as a GIF encoder codes a run: each code one pixel longer than the last."""
    min_bits = 2
    clear, end = 1 << min_bits, (1 << min_bits) + 1
    out = bytearray()
    acc = nacc = 0
    bits = min_bits + 1

    def emit(code):
        nonlocal acc, nacc
        acc |= code << nacc
        nacc += bits
        while nacc >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nacc -= 8

    state = {"next": end + 1, "top": 1 << bits, "runs": [0]}  # runs[n]: the code of a run of n + 1

    def output(code):
        nonlocal bits
        emit(code)
        if state["next"] >= state["top"] and code <= 4095:
            bits += 1
            state["top"] = 1 << bits

    def reset():
        nonlocal bits
        bits = min_bits + 1
        state.update(next=end + 1, top=1 << bits, runs=[0])

    output(clear)
    left = side * side - 1
    run = 1  # the pixels the current code stands for
    while left > 0:
        longest = len(state["runs"])
        if run < longest:  # the run grows as far as the table knows it
            step = min(longest - run, left)
            run += step
            left -= step
            continue
        output(state["runs"][run - 1])
        left -= 1  # the pixel that did not fit starts the next run
        if state["next"] >= 4095:
            output(clear)
            reset()
        else:
            state["runs"].append(state["next"])
            state["next"] += 1
        run = 1
    output(state["runs"][run - 1])
    output(end)
    if nacc:
        out.append(acc & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    screen = struct.pack("<HHBBB", side, side, 0x81, 0, 0)  # a global table of 4 colours
    image = b"," + struct.pack("<HHHHB", 0, 0, side, side, 0)
    return (b"GIF89a" + screen + b"\x00\x00\x00\xff\xff\xff\x80\x80\x80\x00\x00\xff" + image +
            bytes([min_bits]) + blocks + b"\x00;")


def jpeg_solid(side=4096):
    """Grey, every 8 x 8 block two bits: no change of its colour, and nothing else in it."""
    def segment(marker, data):
        return b"\xff" + bytes([marker]) + struct.pack(">H", len(data) + 2) + data
    quant = segment(0xDB, b"\x00" + b"\x01" * 64)
    frame = segment(0xC0, b"\x08" + struct.pack(">HH", side, side) + b"\x01\x01\x11\x00")
    one_code = bytes([1] + [0] * 15) + b"\x00"  # one code of one bit, for symbol 0
    tables = segment(0xC4, b"\x00" + one_code) + segment(0xC4, b"\x10" + one_code)
    scan = segment(0xDA, b"\x01\x01\x00\x00\x3f\x00")
    data = b"\x00" * ((side // 8) * (side // 8) * 2 // 8)
    return b"\xff\xd8" + quant + frame + tables + scan + data + b"\xff\xd9"


# ---- the sources ----

def moodle_question(text, fmt="html", files="", answers=None):
    answers = answers or ('<answer fraction="100"><text>а</text></answer>'
                          '<answer fraction="0"><text>б</text></answer>')
    return ('<question type="multichoice"><questiontext format="%s"><text><![CDATA[%s]]></text>%s'
            "</questiontext><single>true</single>%s</question>\n" % (fmt, text, files, answers))


def numbered(picture, number):
    """The picture with its number in a comment: each picture its own bytes, decoded at the same cost."""
    comment = b"picture %d" % number
    if picture.startswith(b"\x89PNG"):
        text = b"tEXt" + b"Comment\0" + comment
        chunk = struct.pack(">I", len(text) - 4) + text + struct.pack(">I", zlib.crc32(text))
        return picture[:33] + chunk + picture[33:]
    if picture.startswith(b"GIF"):
        return picture[:-1] + b"!\xfe" + bytes([len(comment)]) + comment + b"\0;"
    return picture[:2] + b"\xff\xfe" + struct.pack(">H", len(comment) + 2) + comment + picture[2:]


def moodle_pictures(count, picture, name):
    body = "".join(moodle_question('<img src="@@PLUGINFILE@@/%d%s">Въпрос %d' % (i, name, i),
                                   files='<file name="%d%s" path="/" encoding="base64">%s</file>'
                                   % (i, name, base64.b64encode(numbered(picture, i)).decode()))
                   for i in range(count))
    return ("<quiz>\n" + body + "</quiz>\n").encode()


def markdown_table(cell, columns, limit, head="", tail=""):
    row = "|" + "|".join([cell] * columns) + "|\n"
    rule = "|" + "|".join(["-"] * columns) + "|\n"
    return repeated(head + row + rule, row, tail, limit)


MOODLE_HEAD = "<quiz>\n" + '<question type="multichoice"><questiontext format="%s"><text><![CDATA['
MOODLE_TAIL = ("]]></text></questiontext>"
               '<answer fraction="100"><text>а</text></answer><answer fraction="0"><text>б</text></answer>'
               "</question>\n</quiz>\n")


def moodle_text(fmt, head, unit, tail=""):
    """One question whose text is head, then unit as often as the limit allows, then tail."""
    return repeated(MOODLE_HEAD % fmt + head, unit, tail + MOODLE_TAIL, MOODLE_LIMIT)


def moodle_questions(question):
    return repeated("<quiz>\n", question, "</quiz>\n", MOODLE_LIMIT)


def distinct_files():
    links = "".join('<a href="f%d.mp3">ф</a><video src="v%d.mp4"></video>' % (i, i) for i in range(200000))
    return (MOODLE_HEAD % "html" + links[:MOODLE_LIMIT - 400] + MOODLE_TAIL).encode()


def padded(picture, size=4 * MiB - 1024):
    """A picture file as large as a source may bring one, its own picture unchanged."""
    pad = size - len(picture)
    if picture.startswith(b"\x89PNG"):
        text = b"tEXt" + b"Comment\0" + b"x" * (pad - 20)
        return picture[:33] + struct.pack(">I", len(text) - 4) + text + struct.pack(">I", zlib.crc32(text)) + picture[33:]
    if picture.startswith(b"GIF"):
        comment = b"".join(b"\xff" + b"x" * 255 for _ in range(pad // 256))
        return picture[:-1] + b"!\xfe" + comment + b"\0;"
    return picture[:2] + b"".join(b"\xff\xfe\xff\xff" + b"x" * 65533 for _ in range(pad // 65537)) + picture[2:]


def gift_pictures(folder, picture):
    os.makedirs(folder, exist_ok=True)
    for i in range(28):
        with open(os.path.join(folder, "%d.png" % i), "wb") as out:
            out.write(numbered(picture(), i))
    return "".join('<img src\\="%d.png"> Въпрос %d {=а ~б}\n\n' % (i, i) for i in range(28)).encode()


def bank_folder(folder):
    """A bank.json of 28 questions, each with a JPEG of 4096 x 4096 pixels in 64 KB."""
    jpeg = jpeg_solid()
    os.makedirs(os.path.join(folder, "pictures"), exist_ok=True)
    questions = []
    for i in range(28):
        with open(os.path.join(folder, "pictures", "%d.jpg" % i), "wb") as out:
            out.write(numbered(jpeg, i))
        questions.append('{"text": "Въпрос %d", "answers": ["а", "б"], "correct": "а", "picture": "pictures/%d.jpg"}'
                         % (i, i))
    settings = ["Настройки - последната цифра", "ЧЕО - 0", "Тото - 0", "Тест", "Описание - 1", "Обяснения - 0"]
    return ('{"settings": [%s], "questions": [%s]}' % (", ".join('"%s"' % s for s in settings),
                                                      ", ".join(questions))).encode()


def table_row(cell, columns):
    return "| " + " | ".join([cell] * columns) + " |\n"


def markdown_table(cell, columns):
    return table_row(cell, columns) + "|" + "|".join(["---"] * columns) + "|\n"


MARKDOWN_QUESTION = ('<question type="multichoice"><questiontext format="markdown"><text>%s</text></questiontext>'
                     '<answer fraction="100" format="markdown"><text>а</text></answer>'
                     '<answer fraction="0" format="markdown"><text>б</text></answer></question>\n')

MARKDOWN_FEEDBACK = ('<question type="multichoice"><questiontext><text>В?</text></questiontext>'
                     '<generalfeedback format="markdown"><text>%s</text></generalfeedback>'
                     '<answer fraction="100"><text>а</text></answer>'
                     '<answer fraction="0"><text>б</text></answer></question>\n')

# Each source: its name, its format, the file's ending and what writes it (given the folder for a source
# that brings files of its own). The worst found for each reader, at the size limit of its format.
SOURCES = [
    # Media without its closing tag, then tags that never close.
    ("gift-video-then-unclosed-tags", "gift", ".gift",
     lambda d: repeated("::1:: [html]<video>", "<a ", " {=а ~б}\n", GIFT_LIMIT)),
    ("moodle-video-then-unclosed-tags", "moodle", ".xml", lambda d: moodle_text("html", "<video>", "<a ")),
    # Deep tags that never close, and deep ones that do.
    ("gift-deep-unclosed-tags", "gift", ".gift",
     lambda d: repeated("[html]", "<ol><li><sup><b>", "x {=а ~б}\n", GIFT_LIMIT)),
    ("moodle-deep-nested-html", "moodle", ".xml", lambda d: moodle_text("html", "", "<div><sup>2")),
    # Files a question plays or links to: one named many times, and many of their own.
    ("moodle-many-videos-of-one-file", "moodle", ".xml",
     lambda d: moodle_text("html", "", '<video src="a.mp4"></video>')),
    ("moodle-many-distinct-files", "moodle", ".xml", lambda d: distinct_files()),
    # What each gives a message of its own: links to the web, superscripts without their characters.
    ("gift-many-web-links", "gift", ".gift",
     lambda d: repeated("[html]", '<a href\\="http://x.bg">д</a>', " {=а ~б}\n", GIFT_LIMIT)),
    ("gift-many-scripts-without-form", "gift", ".gift",
     lambda d: repeated("[html]", "x<sup>q</sup>", " {=а ~б}\n", GIFT_LIMIT)),
    ("gift-scripts-in-many-questions", "gift", ".gift",
     lambda d: repeated("", "[html]x<sup>q</sup> {=а ~б}\n\n", "", GIFT_LIMIT)),
    # Markdown in one text: many short lines, a long list, big tables, Latin and Cyrillic.
    ("gift-markdown-short-lines", "gift", ".gift",
     lambda d: repeated("[markdown]", "ред\n", "{=а ~б}\n", GIFT_LIMIT)),
    ("moodle-markdown-short-lines", "moodle", ".xml", lambda d: moodle_text("markdown", "", "ред\n")),
    ("moodle-markdown-list", "moodle", ".xml", lambda d: moodle_text("markdown", "", "1. а\n")),
    ("gift-markdown-table", "gift", ".gift",
     lambda d: repeated("[markdown]" + markdown_table("ab", 128), table_row("ab", 128), "{=а ~б}\n",
                        GIFT_LIMIT)),
    ("moodle-markdown-table-cyrillic", "moodle", ".xml",
     lambda d: moodle_text("markdown", markdown_table("жa", 128), table_row("жa", 128))),
    # The HTML reader itself, in many texts each just within the length a text may have in the file.
    ("moodle-unclosed-tags-in-many-texts", "moodle", ".xml",
     lambda d: moodle_questions(moodle_question("<video>" + "<a " * 5300))),
    ("moodle-deep-tags-in-many-texts", "moodle", ".xml",
     lambda d: moodle_questions(moodle_question("<ol><li><sup><b>" * 990))),
    ("moodle-scripts-in-many-texts", "moodle", ".xml",
     lambda d: moodle_questions(moodle_question("x<sup>2<sub>q</sub></sup>" * 600))),
    ("moodle-entities-in-many-texts", "moodle", ".xml",
     lambda d: moodle_questions(moodle_question("&amp;&#1078;&lt;" * 1000))),
    # Markdown in many texts, each within its limits: tiny ones, lists, tables, entities, code lines.
    ("moodle-markdown-many-small-texts", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_QUESTION % "В?")),
    ("moodle-markdown-lists-of-250", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_QUESTION % ("- а\n" * 250))),
    ("moodle-markdown-tables-of-100-rows", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_QUESTION % (markdown_table("а", 8) + table_row("а", 8) * 100))),
    ("moodle-markdown-entities", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_QUESTION % ("&amp;amp;" * 150))),
    ("moodle-markdown-wide-table-in-feedback", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_FEEDBACK % (markdown_table("a", 90) + table_row("a", 90) * 497))),
    ("moodle-markdown-code-lines", "moodle", ".xml",
     lambda d: moodle_questions(MARKDOWN_QUESTION % ("```\n" + "а\n" * 300 + "```"))),
    # Many small questions, many lines that are not answers, one long text.
    ("gift-many-small-questions", "gift", ".gift", lambda d: repeated("", "В? {=а ~б}\n\n", "", GIFT_LIMIT)),
    ("aiken-many-small-questions", "aiken", ".txt",
     lambda d: repeated("", "В?\nA. а\nB. б\nANSWER: A\n\n", "", AIKEN_LIMIT)),
    ("aiken-stray-lines", "aiken", ".txt", lambda d: repeated("В?\nA. а\n", "x\n", "ANSWER: A\n", AIKEN_LIMIT)),
    ("aiken-one-long-line", "aiken", ".txt",
     lambda d: repeated("", "ж", "\nA. а\nB. б\nANSWER: A\n", AIKEN_LIMIT)),
    ("moodle-many-small-questions", "moodle", ".xml", lambda d: moodle_questions(moodle_question("В?"))),
    ("moodle-one-long-text", "moodle", ".xml", lambda d: moodle_text("html", "", "ж")),
    # Pictures that declare 4096 x 4096 pixels: one question too many, and as many as a test holds.
    ("moodle-29-png-16-bit-4096", "moodle", ".xml", lambda d: moodle_pictures(29, png_16bit(), ".png")),
    ("moodle-28-png-16-bit-4096", "moodle", ".xml", lambda d: moodle_pictures(28, png_16bit(), ".png")),
    ("moodle-28-gif-4096", "moodle", ".xml", lambda d: moodle_pictures(28, gif_solid(), ".gif")),
    ("moodle-28-jpeg-4096", "moodle", ".xml", lambda d: moodle_pictures(28, jpeg_solid(), ".jpg")),
    ("gift-28-png-16-bit-4096", "gift", ".gift", lambda d: gift_pictures(d, png_16bit)),
    # As many pictures as a test holds, each as large as a file may be, beside a GIFT source.
    ("gift-28-png-noise-of-4-MiB", "gift", ".gift", lambda d: gift_pictures(d, png_noise)),
    ("gift-28-png-16-bit-4096-of-4-MiB", "gift", ".gift", lambda d: gift_pictures(d, lambda: padded(png_16bit()))),
    ("gift-28-gif-4096-of-4-MiB", "gift", ".gift", lambda d: gift_pictures(d, lambda: padded(gif_solid()))),
    ("gift-28-jpeg-4096-of-4-MiB", "gift", ".gift", lambda d: gift_pictures(d, lambda: padded(jpeg_solid()))),
    ("folder-28-jpeg-4096", "folder", "/bank.json", lambda d: bank_folder(d)),
]


def write_sources(work, names):
    """Writes the sources in a process of their own: what it holds never counts in the runs' memory."""
    pid = os.fork()
    if pid:
        os.waitpid(pid, 0)
        return
    for name, fmt, ending, make in SOURCES:
        if name in names:
            folder = os.path.join(work, name)
            os.makedirs(folder, exist_ok=True)
            path = source_path(work, name, ending)
            with open(os.path.join(path, "bank.json") if os.path.isdir(path) else path, "wb") as out:
                out.write(make(folder))
    os._exit(0)


def source_path(work, name, ending):
    return os.path.join(work, name, name + ending) if ending != "/bank.json" else os.path.join(work, name)


def run(pack, path, fmt, timeout):
    """CPU seconds, peak MB, exit status (None when stopped after `timeout` seconds of CPU) and the first
    line of the error output."""
    runtime = os.path.join(os.path.dirname(path), "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    started = time.monotonic()
    with open(os.devnull, "wb") as null, open(path + ".err", "wb") as err:
        process = subprocess.Popen([pack, "--check", "--format", fmt, path], stdout=null, stderr=err,
                                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime),
                                   preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CPU,
                                                                         (int(timeout), int(timeout) + 1)))
        while True:
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() - started > 20 * timeout:  # a machine so busy the run never gets the CPU
                process.send_signal(signal.SIGKILL)
            time.sleep(0.02)
    with open(path + ".err", "rb") as err:
        first = err.readline().decode("utf-8", "replace").strip().replace(path, "")
    code = os.waitstatus_to_exitcode(status)
    code = None if code < 0 else code
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024, code, first


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pack", default=os.path.join(root, "build", "default", "morv-pack"))
    parser.add_argument("--work", default="/tmp/morv-pack-limits")
    parser.add_argument("--only", help="run only the sources whose name holds this")
    parser.add_argument("--timeout", type=float, default=60, help="seconds of CPU before a run is stopped")
    parser.add_argument("--check", action="store_true", help="exit 1 when a goal is missed")
    args = parser.parse_args()
    chosen = [source for source in SOURCES if not args.only or args.only in source[0]]
    write_sources(args.work, [source[0] for source in chosen])
    missed = False
    print("%-40s %9s %8s %8s %5s  %s" % ("source", "bytes", "CPU s", "peak MB", "exit", "first message"))
    for name, fmt, ending, _ in chosen:
        path = source_path(args.work, name, ending)
        cpu, peak, code, first = run(args.pack, path, fmt, args.timeout)
        over = code is None or cpu > CPU_GOAL or peak > MEMORY_GOAL
        missed = missed or over
        shown = "> %.0f" % args.timeout if code is None else "%.2f" % cpu
        size = os.path.getsize(os.path.join(path, "bank.json") if fmt == "folder" else path)
        print("%-40s %9d %8s %8.0f %5s  %s%s" % (name, size, shown, peak,
                                                  "-" if code is None else code, first[:90],
                                                  "  << over the goal" if over else ""), flush=True)
    if args.check and missed:
        sys.exit(1)


if __name__ == "__main__":
    main()
