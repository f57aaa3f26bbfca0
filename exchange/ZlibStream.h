#pragma once

#include <functional>

#include <QByteArray>
#include <QtGlobal>

// The one place that drives zlib's streams, for the ZLB writer and readers and
// the ZIP reader.
namespace ZlibStream {

enum class Format
{
    // A zlib stream with its header and checksum (ZLB archives).
    Zlib,
    // Bare deflate data (ZIP entries).
    Raw
};

enum class DeflateResult
{
    Ok,
    NotShorter,
    Failed
};

// Deflates data as one zlib stream. Stops early and returns NotShorter once the
// output reaches `limit` bytes (limit < 0: no limit). progress(consumed) is
// called as the compressor takes input.
DeflateResult deflateData(const QByteArray& data, int level, qint64 limit, QByteArray& out,
                          const std::function<void(qint64 consumed)>& progress);

enum class InflateEnd
{
    // The stream's end marker was reached.
    StreamEnd,
    // `limit` bytes were produced before the end marker.
    LimitReached,
    // The data is not a valid stream.
    Corrupt,
    // The input ran out before the stream ended.
    InputEnded
};

struct InflateResult
{
    InflateEnd end;
    // Compressed bytes taken by the stream, up to its end marker.
    qint64 consumed;
    qint64 produced;
};

// Gives up to `capacity` bytes of input; 0 or less when there is none.
using Reader = std::function<qint64(char* buffer, qint64 capacity)>;
// Takes one piece of output.
using Writer = std::function<void(const char* data, qint64 length)>;

// Inflates one stream read through `read`, handing its output to `write` in
// pieces, never more than `limit` bytes in all (limit < 0: no limit; 0: nothing
// is read). A writer may throw to stop; the stream is released either way.
InflateResult inflateData(Format format, const Reader& read, qint64 limit, const Writer& write);

} // namespace ZlibStream
