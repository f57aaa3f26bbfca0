#include "ZlibStream.h"

#include <algorithm>
#include <vector>

#include <zlib.h>

namespace ZlibStream {
namespace {

constexpr qint64 kPiece = 64 * 1024;

class Deflater
{
public:
    explicit Deflater(int level) { m_ok = deflateInit(&m_stream, level) == Z_OK; }
    ~Deflater()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    Q_DISABLE_COPY_MOVE(Deflater)
    bool ok() const { return m_ok; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

class Inflater
{
public:
    explicit Inflater(Format format)
    {
        m_ok = inflateInit2(&m_stream, format == Format::Raw ? -MAX_WBITS : MAX_WBITS) == Z_OK;
    }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    Q_DISABLE_COPY_MOVE(Inflater)
    bool ok() const { return m_ok; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

} // namespace

DeflateResult deflateData(const QByteArray& data, int level, qint64 limit, QByteArray& out,
                          const std::function<void(qint64 consumed)>& progress)
{
    out.clear();
    if (limit == 0)
        return DeflateResult::NotShorter;
    Deflater deflater(level);
    if (!deflater.ok())
        return DeflateResult::Failed;
    z_stream& zs = deflater.stream();
    std::vector<char> buffer(kPiece);
    qint64 fed = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0 && fed < data.size()) {
            const qint64 piece = std::min(kPiece, data.size() - fed);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData() + fed));
            zs.avail_in = uInt(piece);
            fed += piece;
        }
        const int flush = fed == data.size() ? Z_FINISH : Z_NO_FLUSH;
        zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
        zs.avail_out = uInt(kPiece);
        rc = deflate(&zs, flush);
        if (rc == Z_STREAM_ERROR)
            return DeflateResult::Failed;
        out.append(buffer.data(), kPiece - zs.avail_out);
        if (progress)
            progress(qint64(zs.total_in));
        if (limit > 0 && out.size() >= limit)
            return DeflateResult::NotShorter;
    }
    return DeflateResult::Ok;
}

InflateResult inflateData(Format format, const Reader& read, qint64 limit, const Writer& write)
{
    InflateResult result{InflateEnd::LimitReached, 0, 0};
    if (limit == 0)
        return result;
    Inflater inflater(format);
    if (!inflater.ok())
        return {InflateEnd::Corrupt, 0, 0};
    z_stream& zs = inflater.stream();
    std::vector<char> in(kPiece);
    std::vector<char> out(kPiece);
    while (limit < 0 || result.produced < limit) {
        if (zs.avail_in == 0) {
            const qint64 got = read(in.data(), kPiece);
            if (got <= 0)
                return {InflateEnd::InputEnded, qint64(zs.total_in), result.produced};
            zs.next_in = reinterpret_cast<Bytef*>(in.data());
            zs.avail_in = uInt(got);
        }
        const qint64 want = limit < 0 ? kPiece : std::min(kPiece, limit - result.produced);
        zs.next_out = reinterpret_cast<Bytef*>(out.data());
        zs.avail_out = uInt(want);
        const uInt inBefore = zs.avail_in;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const qint64 produced = want - zs.avail_out;
        result.produced += produced;
        result.consumed = qint64(zs.total_in);
        if (produced > 0)
            write(out.data(), produced);
        if (rc == Z_STREAM_END) {
            result.end = InflateEnd::StreamEnd;
            return result;
        }
        // Input at hand that the stream neither takes nor turns into output
        // would loop for ever.
        if ((rc != Z_OK && rc != Z_BUF_ERROR) ||
            (produced == 0 && zs.avail_in == inBefore && zs.avail_in != 0))
            return {InflateEnd::Corrupt, result.consumed, result.produced};
    }
    return result;
}

} // namespace ZlibStream
