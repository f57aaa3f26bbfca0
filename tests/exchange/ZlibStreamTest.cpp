#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

#include <QByteArray>

#include <gtest/gtest.h>

#include "ArchiveTestSupport.h"
#include "ZlibStream.h"

using namespace ZlibStream;

namespace {

// Bytes that compress to a stream of several pieces.
QByteArray sample(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = char('a' + (x >> 24) % 7);
    }
    return bytes;
}

// Serves the input in pieces of at most `step` bytes, as a file read does.
struct Source
{
    QByteArray bytes;
    qint64 step = 1000;
    qint64 at = 0;
    qint64 operator()(char* buffer, qint64 capacity)
    {
        const qint64 n = std::min({capacity, step, qint64(bytes.size()) - at});
        memcpy(buffer, bytes.constData() + at, size_t(n));
        at += n;
        return n;
    }
};

InflateResult inflateAll(Format format, Source& source, qint64 limit, QByteArray& out)
{
    return inflateData(format, std::ref(source), limit,
                       [&out](const char* data, qint64 length) { out.append(data, length); });
}

} // namespace

TEST(ZlibStream, DeflatedDataComesBackWhateverTheLimit)
{
    const QByteArray data = sample(300 * 1024);
    QByteArray packed;
    ASSERT_EQ(deflateData(data, 6, -1, packed, {}), DeflateResult::Ok);

    for (const qint64 limit : {qint64(-1), qint64(data.size()), qint64(data.size()) + 1}) {
        Source source{packed};
        QByteArray out;
        const InflateResult result = inflateAll(Format::Zlib, source, limit, out);
        EXPECT_EQ(out, data) << limit;
        EXPECT_EQ(result.produced, data.size());
        EXPECT_NE(result.end, InflateEnd::Corrupt);
    }
    Source shortSource{packed};
    QByteArray head;
    const InflateResult cut = inflateAll(Format::Zlib, shortSource, 1000, head);
    EXPECT_EQ(cut.end, InflateEnd::LimitReached);
    EXPECT_EQ(head, data.left(1000));
}

TEST(ZlibStream, RawStreamReportsWhereItEnds)
{
    const QByteArray data = sample(100 * 1024);
    const QByteArray packed = ArchiveTest::rawDeflate(data);
    Source source{QByteArray(packed).append("PK\x03\x04 trailing", 13)};
    QByteArray out;
    const InflateResult result = inflateAll(Format::Raw, source, -1, out);
    EXPECT_EQ(result.end, InflateEnd::StreamEnd);
    EXPECT_EQ(result.consumed, packed.size());
    EXPECT_EQ(out, data);
}

TEST(ZlibStream, BrokenStreamsAreTold)
{
    const QByteArray data = sample(200 * 1024);
    QByteArray packed;
    ASSERT_EQ(deflateData(data, 6, -1, packed, {}), DeflateResult::Ok);
    QByteArray out;

    Source truncated{packed.left(packed.size() / 2)};
    EXPECT_EQ(inflateAll(Format::Zlib, truncated, -1, out).end, InflateEnd::InputEnded);

    QByteArray damaged = packed;
    damaged[0] = '\x00';
    Source bad{damaged};
    EXPECT_EQ(inflateAll(Format::Zlib, bad, -1, out).end, InflateEnd::Corrupt);

    Source thrown{packed};
    EXPECT_THROW(inflateData(Format::Zlib, std::ref(thrown), -1,
                             [](const char*, qint64) { throw std::runtime_error("disk full"); }),
                 std::runtime_error);
}

TEST(ZlibStream, DeflateStopsWhenNotShorter)
{
    const QByteArray data = sample(64 * 1024);
    QByteArray packed;
    EXPECT_EQ(deflateData(data, 6, 16, packed, {}), DeflateResult::NotShorter);
    EXPECT_EQ(deflateData(data, 6, 0, packed, {}), DeflateResult::NotShorter);
}
