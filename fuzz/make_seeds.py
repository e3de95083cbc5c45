#!/usr/bin/env python3
"""Writes the generated seeds of the vault fuzz targets into corpus/.

corpus/vault_body/: plain vault images without their 16-byte digest: the tag,
the count, 32 reserved bytes, then 1668-byte records (texts of 64, 32, 32, 512
and 1024 bytes, then a little-endian type code). The target puts the digest in
front and encrypts, so the seeds stay readable here.

corpus/vault_strong_body/: the same plain images, which that target seals
with the strong key.

corpus/vault_strong_load/ is not written here: its seeds are a one-item vault
that the store gave the strong key under "fuzz seed" at the cheapest cost (8
KiB, 1 pass), and copies of it damaged field by field; the salt and initial
vector are random, so they were made once and kept.

corpus/vault_load/: the disk failures of that target, each on the one-item
vault seed (or on an empty file), whose first byte picks the password and the
failures.

Run it again after changing it; its output is the same on every run.
"""
import pathlib
import struct

FIELDS = (64, 32, 32, 512, 1024)


def record(texts, type_code):
    out = b""
    for text, width in zip(texts, FIELDS):
        out += text[:width].ljust(width, b"\0")
    return out + struct.pack("<i", type_code)


def numbered(i):
    return record((b"service %d" % i, b"user%d" % i, b"pw%d" % i,
                   b"https://service%d.example/" % i, b"about service %d" % i), i % 10 - 1)


def image(records, count=None, tag=b"v01\0", reserved=b"\0" * 32):
    count = len(records) if count is None else count
    return tag + struct.pack("<I", count) + reserved + b"".join(records)


def body_seeds():
    full = record((b"s" * 64, b"u" * 32, b"p" * 32, b"a" * 512, b"d" * 1024), 7)
    two = [numbered(0), numbered(1)]
    return {
        "empty_table": image([]),
        "one_item": image([record((b"bank", b"jo", b"secret", b"https://bank.example/", b"savings"), 1)]),
        # A whole page; type codes -1 to 8, outside the names as well as inside.
        # No seed is near the full table's 166,840 bytes: the target would spend
        # its time ciphering them (the tests load a full table).
        "ten_items": image([numbered(i) for i in range(10)]),
        # Texts that fill their fields without a zero, reserved bytes that a
        # save drops, and bytes behind the image that are not a whole block.
        "full_width_fields": image([full, full], reserved=b"\xff" * 32) + b"trail",
        "count_101": image([numbered(0)], count=101),
        "one_byte_short": image(two)[:-1],
        "tag_v02": image(two, tag=b"v02\0"),
        "tag_without_zero": image(two, tag=b"v01x"),
    }


# The failure bits of the vault_load target's first byte.
OPEN_FAILS, READ_FAILS, DISK_FILLS, FLUSH_FAILS, TEMP_FAILS, MOVE_FAILS = (1 << bit for bit in range(2, 8))


def load_seeds(corpus):
    one_item = (corpus / "one_item").read_bytes()[1:]  # under "fuzz seed", password byte 1
    seeds = {"empty_file_disk_fills": bytes([DISK_FILLS])}
    for name, fault in (("open_fails", OPEN_FAILS), ("read_fails", READ_FAILS), ("disk_fills", DISK_FILLS),
                        ("flush_fails", FLUSH_FAILS), ("temp_fails", TEMP_FAILS), ("move_fails", MOVE_FAILS)):
        seeds["one_item_" + name] = bytes([1 | fault]) + one_item
    return seeds


def main():
    corpus = pathlib.Path(__file__).resolve().parent / "corpus"
    for target, files in (("vault_body", body_seeds()), ("vault_strong_body", body_seeds()),
                          ("vault_load", load_seeds(corpus / "vault_load"))):
        folder = corpus / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in files.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
