#!/usr/bin/env python3
"""Writes the small seed corpus of the file fuzzers under <folder>/corpus/<target>/."""

import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def text(s, units):
    raw = s.encode("utf-16-le")[: (units - 1) * 2]
    return raw + b"\0" * (units * 2 - len(raw))


def entrant(name, key=0, order=0):
    return text(name, 128) + struct.pack("<ii", key, order)


def prize(name, quota, per_draw, white=(), black=()):
    b = text(name, 128) + struct.pack("<iiii", quota, per_draw, 1, 60)
    b += text("奖品", 128) + text("a.jpg", 260)
    b += struct.pack("<i", len(white)) + b"".join(entrant(n, 1, o) for n, o in white)
    b += struct.pack("<i", len(black)) + b"".join(entrant(n, 2, 0) for n in black)
    return b


# Each fuzzer lives in the folder of the code it reads.
FOLDER = {"fuzz_prize_file": "records", "fuzz_draw_mode_file": "records"}


def write(target, name, data):
    folder = HERE / FOLDER.get(target, "settings") / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


write("fuzz_prize_file", "empty", struct.pack("<i", 0))
write("fuzz_prize_file", "one", struct.pack("<i", 1) + prize("一等奖", 3, 2))
write("fuzz_prize_file", "lists", struct.pack("<i", 2) + prize("三等奖", 10, 5, black=["甲", "乙"])
      + prize("特等奖", 1, 1, white=[("甲", 1), ("丙", 0)]))
write("fuzz_text_list_file", "empty", struct.pack("<ii", 0, 0))
write("fuzz_text_list_file", "two", struct.pack("<ii", 1, 2) + entrant("张三", 5) + entrant("李四", 6))
write("fuzz_picture_list_file", "empty", struct.pack("<di", 1.5, 0))
write("fuzz_picture_list_file", "two", struct.pack("<di", 0.75, 2) + entrant("a.jpg") + entrant("张三.png"))
write("fuzz_draw_mode_file", "text", struct.pack("<i", 0))
write("fuzz_draw_mode_file", "picture", struct.pack("<i", 1))
