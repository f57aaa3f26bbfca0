"""Writes worked_example.zlb: a new archive given one file A.TXT holding "abc",
at the default level, built from the layout alone with Python's zlib."""
import struct
import sys
import zlib

data = b"abc"
crc = zlib.crc32(data)
record = bytes([5]) + b"A.TXT"
record += bytes(256 - len(record))
record += bytes(256)
record += struct.pack("<IIII", len(data), len(data), 0, crc)
record += bytes([1, 0, 0, 0])
assert len(record) == 532
registry = zlib.compress(record, -1)
body = data + registry
trailer = struct.pack("<IIIII", zlib.crc32(body), 1, 1, len(registry), len(data))
trailer += bytes([1]) + bytes(15)
assert len(trailer) == 36
with open(sys.argv[1] if len(sys.argv) > 1 else "worked_example.zlb", "wb") as f:
    f.write(body + trailer)
