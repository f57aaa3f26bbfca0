// Replays the fuzz corpora (seeds and every crash input found) through the fuzz
// targets without the fuzzing engine, so that a fixed crash stays fixed.
#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

int zlbReaderFuzzOne(const uint8_t* data, size_t size);
int zipReaderFuzzOne(const uint8_t* data, size_t size);

namespace {

int replay(const char* folder, int (*target)(const uint8_t*, size_t))
{
    const QDir dir(QStringLiteral(F2TP_FUZZ_CORPUS_DIR) + QLatin1Char('/') +
                   QString::fromLatin1(folder));
    int count = 0;
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << name.toStdString();
            continue;
        }
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(name.toStdString());
        target(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        ++count;
    }
    return count;
}

} // namespace

TEST(FuzzCorpus, ZlbReaderSurvivesEveryInput)
{
    EXPECT_GT(replay("zlb", zlbReaderFuzzOne), 0);
}

TEST(FuzzCorpus, ZipReaderSurvivesEveryInput)
{
    EXPECT_GT(replay("zip", zipReaderFuzzOne), 0);
}
