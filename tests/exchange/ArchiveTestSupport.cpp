#include "ArchiveTestSupport.h"

#include <stdexcept>

#include <QFile>

#include <zlib.h>

namespace ArchiveTest {

namespace {

void putLe16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void putLe32(QByteArray& b, quint32 v)
{
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}

QByteArray zlibStream(const QByteArray& data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(qsizetype(length));
    return out;
}

QByteArray nameField(const QByteArray& name)
{
    QByteArray field;
    if (!name.isEmpty()) {
        field.append(char(name.size()));
        field.append(name);
    }
    field.append(QByteArray(256 - field.size(), '\0'));
    return field;
}

} // namespace

QByteArray rawDeflate(const QByteArray& data)
{
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

quint32 crcOf(const QByteArray& bytes)
{
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

QString dataDir()
{
    return QStringLiteral(F2TP_TEST_DATA_DIR);
}

QByteArray buildZlb(const std::vector<RawZlbEntry>& entries, bool compressRegistry)
{
    QByteArray file;
    QByteArray records;
    for (const RawZlbEntry& e : entries) {
        const QByteArray block = e.stored ? e.data : zlibStream(e.data);
        const quint32 offset = e.offset.value_or(quint32(file.size()));
        file.append(block);
        records.append(nameField(e.name));
        records.append(nameField(e.dir));
        putLe32(records, e.size.value_or(quint32(e.data.size())));
        putLe32(records, quint32(block.size()));
        putLe32(records, offset);
        putLe32(records, e.crc.value_or(crcOf(e.data)));
        records.append(char(e.stored ? 1 : 0));
        records.append(char(e.stored ? 0 : 2));
        records.append(2, '\0');
    }
    const quint32 registryOffset = quint32(file.size());
    const QByteArray registry = compressRegistry ? zlibStream(records) : records;
    file.append(registry);
    QByteArray trailer;
    putLe32(trailer, crcOf(file));
    putLe32(trailer, quint32(entries.size()));
    putLe32(trailer, 1);
    putLe32(trailer, compressRegistry ? quint32(registry.size()) : 0);
    putLe32(trailer, registryOffset);
    trailer.append(char(compressRegistry ? 1 : 0));
    trailer.append(15, '\0');
    return file + trailer;
}

QByteArray withFixedZlbCrc(QByteArray archive)
{
    const qsizetype body = archive.size() - 36;
    const quint32 crc = crcOf(archive.left(body));
    for (int i = 0; i < 4; ++i)
        archive[body + i] = char((crc >> (8 * i)) & 0xFF);
    return archive;
}

QByteArray buildZip(const std::vector<RawZipEntry>& entries, const QByteArray& prefix,
                    const QByteArray& comment)
{
    QByteArray file;
    QByteArray central;
    for (const RawZipEntry& e : entries) {
        QByteArray packed = e.method == 8 ? rawDeflate(e.data) : e.data;
        if (e.keepCompressed)
            packed = packed.left(*e.keepCompressed);
        const quint32 crc = e.crc.value_or(crcOf(e.data));
        const quint32 size = e.uncompressedSize.value_or(quint32(e.data.size()));
        const quint32 offset = quint32(file.size());

        QByteArray fields;
        putLe16(fields, e.flags);
        putLe16(fields, e.method);
        putLe16(fields, e.dosTime);
        putLe16(fields, e.dosDate);
        putLe32(fields, crc);
        putLe32(fields, quint32(packed.size()));
        putLe32(fields, size);
        putLe16(fields, quint32(e.name.size()));
        putLe16(fields, 0);

        file.append("PK\x03\x04", 4);
        putLe16(file, 20);
        file.append(fields);
        file.append(e.name);
        file.append(packed);

        central.append("PK\x01\x02", 4);
        putLe16(central, 20);
        putLe16(central, 20);
        central.append(fields);
        putLe16(central, 0); // comment
        putLe16(central, 0); // disk
        putLe16(central, 0); // internal attributes
        putLe32(central, e.externalAttributes);
        putLe32(central, e.offset.value_or(offset));
        central.append(e.name);
    }
    const quint32 centralOffset = quint32(file.size());
    file.append(central);
    file.append("PK\x05\x06", 4);
    putLe16(file, 0);
    putLe16(file, 0);
    putLe16(file, quint32(entries.size()));
    putLe16(file, quint32(entries.size()));
    putLe32(file, quint32(central.size()));
    putLe32(file, centralOffset);
    putLe16(file, quint32(comment.size()));
    file.append(comment);
    return prefix + file;
}

} // namespace ArchiveTest
