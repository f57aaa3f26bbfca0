"""Writes the ZIP fixtures made with Python's zipfile module."""
import sys
import zipfile

out = sys.argv[1]
manifest = b"[TABLES]\r\nCode=35\r\nTables=1\r\nTable1=F2TPR1.xml\r\n"
rows = b"".join(b'<ROW CA="%d" C1="%d.125"/>' % (i, i) for i in range(101, 160))
stamp = (2023, 4, 5, 6, 7, 8)


def add(archive, name, data, method):
    info = zipfile.ZipInfo(name, stamp)
    info.compress_type = method
    archive.writestr(info, data)


# Deflated and stored entries, and a name outside ASCII (stored as UTF-8, flag bit 11).
with zipfile.ZipFile(out + "/python_zipfile.zip", "w") as z:
    add(z, "TableList.inf", manifest, zipfile.ZIP_DEFLATED)
    add(z, "F2TPR1.xml", rows, zipfile.ZIP_STORED)
    add(z, "Отчёт.txt", "Отчёт".encode("cp1251"), zipfile.ZIP_DEFLATED)

# A name in the DOS code page 866, as DOS and Windows tools write it: written
# under an ASCII placeholder of the same length, whose bytes are then replaced.
oem = "Отчёт.txt".encode("cp866")
placeholder = b"x" * (len(oem) - 4) + b".txt"
path = out + "/oem_names.zip"
with zipfile.ZipFile(path, "w") as z:
    add(z, placeholder.decode("ascii"), b"oem", zipfile.ZIP_STORED)
with open(path, "rb") as f:
    data = f.read()
with open(path, "wb") as f:
    f.write(data.replace(placeholder, oem))
