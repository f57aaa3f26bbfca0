#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "Errors.h"
#include "ScriptedUserInterface.h"

// Archives written byte by byte from the layouts, independently of the code
// under test, so that tests can also build damaged and hostile ones.
namespace ArchiveTest {

// Bare deflate data, as a ZIP entry holds it.
QByteArray rawDeflate(const QByteArray& data);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
quint32 crcOf(const QByteArray& bytes);
QString dataDir(); // tests/data

struct RawZlbEntry
{
    RawZlbEntry(QByteArray name_, QByteArray dir_, QByteArray data_, bool stored_ = true,
                std::optional<quint32> size_ = {}, std::optional<quint32> offset_ = {},
                std::optional<quint32> crc_ = {})
        : name(std::move(name_))
        , dir(std::move(dir_))
        , data(std::move(data_))
        , stored(stored_)
        , size(size_)
        , offset(offset_)
        , crc(crc_)
    {
    }

    QByteArray name;
    QByteArray dir;
    QByteArray data;
    bool stored = true;
    std::optional<quint32> size;   // the declared size, when not data's
    std::optional<quint32> offset; // the declared offset, when not the block's
    std::optional<quint32> crc;
};

QByteArray buildZlb(const std::vector<RawZlbEntry>& entries, bool compressRegistry = true);
// Puts the right CRC-32 into the trailer of a (modified) archive.
QByteArray withFixedZlbCrc(QByteArray archive);

struct RawZipEntry
{
    RawZipEntry(QByteArray name_, QByteArray data_, quint16 method_ = 8)
        : name(std::move(name_))
        , data(std::move(data_))
        , method(method_)
    {
    }

    QByteArray name;
    QByteArray data;
    quint16 method = 8;
    quint16 flags = 0;
    quint32 externalAttributes = 0;
    quint16 dosTime = 0x30E4; // 06:07:08
    quint16 dosDate = 0x5685; // 2023-04-05
    std::optional<quint32> crc;
    std::optional<quint32> uncompressedSize;
    std::optional<qsizetype> keepCompressed; // cut the compressed data to this many bytes
    std::optional<quint32> offset;           // the local header the directory points at
};

QByteArray buildZip(const std::vector<RawZipEntry>& entries, const QByteArray& prefix = {},
                    const QByteArray& comment = {});

} // namespace ArchiveTest

#include <ostream>

// Names of parameterised cases: their label member.
template <class Param> std::string caseLabel(const ::testing::TestParamInfo<Param>& param)
{
    return param.param.label;
}

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The message of the program error the call raises, or "<no error>".
template <class Call> QString errorOf(Call&& call)
{
    try {
        call();
    } catch (const F2tpError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}
