"""Writes the seed corpus of zlb_reader_fuzz into corpus/zlb: small archives
built from the layout, each after the harness's mode byte."""
import os
import struct
import sys
import zlib

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "zlb")


def name_field(name):
    if not name:
        return bytes(256)
    return bytes([len(name)]) + name + bytes(255 - len(name))


def archive(entries, compress_registry=True):
    body = b""
    records = b""
    for name, directory, data, stored, *at in entries:
        block = data if stored else zlib.compress(data)
        records += name_field(name) + name_field(directory)
        # An entry may name the offset of another entry's block instead of its own.
        offset = at[0] if at else len(body)
        records += struct.pack("<IIII", len(data), len(block), offset, zlib.crc32(data))
        records += bytes([1 if stored else 0, 0 if stored else 2, 0, 0])
        body += block
    offset = len(body)
    registry = zlib.compress(records) if compress_registry else records
    body += registry
    trailer = struct.pack("<IIIII", zlib.crc32(body), len(entries), 1,
                          len(registry) if compress_registry else 0, offset)
    return body + trailer + bytes([1 if compress_registry else 0]) + bytes(15)


xml = b'<ROW CA="101" C1="1.500"/>' * 40
seeds = {
    "worked_example": (0, archive([(b"A.TXT", b"", b"abc", True)])),
    "two_entries": (1, archive([(b"TableList.inf", b"", b"[TABLES]\r\n", True),
                                (b"F2TPR1.xml", b"", xml, False)])),
    "raw_registry": (1, archive([(b"F2TPR1.xml", b"", xml, False)], False)),
    "with_paths": (3, archive([(b"f.xml", b"\\data\\", b"x", True),
                               (b"g.xml", b"\\data\\sub\\", xml, False)])),
    "empty_file_entry": (1, archive([(b"EMPTY", b"", b"", True)])),
    "no_entries": (1, archive([])),
    "shared_block": (1, archive([(b"A.xml", b"", xml, False),
                                 (b"B.xml", b"", xml, False, 0),
                                 (b"E.xml", b"", b"", True, 0)])),
    "block_into_next": (1, archive([(b"A.xml", b"", xml, False),
                                    (b"B.xml", b"", b"b", True, 10)])),
}
os.makedirs(out, exist_ok=True)
for label, (mode, data) in seeds.items():
    with open(os.path.join(out, label), "wb") as f:
        f.write(bytes([mode]) + data)
