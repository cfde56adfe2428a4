#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_package under corpus/fuzz_package/: a small valid package (prefixed with the
byte 0 that makes the fuzzer stage it) and its manifest alone (prefixed with 1, for the parser)."""

import hashlib
import io
import json
import pathlib
import zipfile

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_package"
FILES = [
    ("参数设置(勿删)/抽奖模式.dat", b"\x00\x00\x00\x00"),
    ("参数设置(勿删)/奖项/一等奖.jpg", b"\xff\xd8\xff\xe0" + bytes(range(64))),
    ("抽取进度(勿删)/抽取进度.dat", b"progress" * 8),
]


def manifest():
    files = [{"path": name, "size": len(data), "sha256": hashlib.sha256(data).hexdigest()} for name, data in FILES]
    return json.dumps({"format": 1, "program": "corpus", "created": "2024-01-05T10:00:00", "files": files},
                      ensure_ascii=False).encode()


def package():
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in FILES + [("manifest.json", manifest())]:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 5, 0, 0, 0))  # the same bytes on every run
            info.external_attr = 0o100644 << 16
            stored = name.endswith(".jpg")
            archive.writestr(info, data, zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED)
    return buffer.getvalue()


OUT.mkdir(parents=True, exist_ok=True)
(OUT / "package").write_bytes(b"\x00" + package())
(OUT / "manifest").write_bytes(b"\x01" + manifest())
