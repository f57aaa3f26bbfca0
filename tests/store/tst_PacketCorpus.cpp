// Replays the data packet fuzz corpus (seeds and every crash input found)
// through the fuzz target without the fuzzing engine, so that a fixed crash
// stays fixed.
#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

int packetReaderFuzzOne(const uint8_t* data, size_t size);

TEST(PacketCorpus, TheReaderSurvivesEveryInput)
{
    const QDir dir(QStringLiteral(F2TP_FUZZ_CORPUS_DIR "/packet"));
    int count = 0;
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(name.toStdString());
        packetReaderFuzzOne(reinterpret_cast<const uint8_t*>(bytes.constData()),
                            size_t(bytes.size()));
        ++count;
    }
    EXPECT_GT(count, 0);
}
