#include "SaveJournal.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "Errors.h"

std::function<void(TSaveJournal::TStep, const QString&)> TSaveJournal::OnStep;

namespace {

const QString kAsideSuffix = QStringLiteral(".f2tp-new");
const QByteArray kHeader = "F2TP-SAVE 1";
const QByteArray kMove = "move";
const QByteArray kRemove = "remove";
const QByteArray kEnd = "end";

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void step(TSaveJournal::TStep what, const QString& file = QString())
{
    if (TSaveJournal::OnStep)
        TSaveJournal::OnStep(what, file);
}

void removeFile(const QString& path)
{
    if (QFile::exists(path) && !QFile::remove(path))
        throw F2tpError(QStringLiteral("Не удается удалить файл ") + native(path));
}

// A rename that replaces the target, on every system (QFile::rename does not).
void renameOver(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(QFileInfo(from).filesystemAbsoluteFilePath(),
                            QFileInfo(to).filesystemAbsoluteFilePath(), error);
    if (error)
        throw F2tpError(QStringLiteral("Не удается создать файл ") + native(to));
}

struct JournalLine
{
    QString name;
    bool remove = false;
};

// The entries of a complete journal; nullopt for one that is not.
std::optional<std::vector<JournalLine>> readJournal(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("Ошибка открытия файла - ") + native(path));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // Header, entries, "end" and the empty rest after the last line break.
    if (lines.size() < 3 || lines.first() != kHeader || lines.last() != QByteArray() ||
        lines.at(lines.size() - 2) != kEnd)
        return std::nullopt;
    std::vector<JournalLine> entries;
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QList<QByteArray> parts = lines.at(i).split('\t');
        const QString name = parts.size() == 2 ? QString::fromUtf8(parts.at(1)) : QString();
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
            (parts.at(0) != kMove && parts.at(0) != kRemove))
            return std::nullopt;
        entries.push_back({name, parts.at(0) == kRemove});
    }
    return entries;
}

// Moves the file in from aside, or removes it. A file no longer aside was
// moved in before a crash.
void carryOut(const QDir& dir, const JournalLine& line)
{
    const QString target = dir.filePath(line.name);
    if (line.remove) {
        removeFile(target);
        return;
    }
    const QString aside = target + kAsideSuffix;
    if (QFile::exists(aside))
        renameOver(aside, target);
}

} // namespace

QString TSaveJournal::JournalName()
{
    return QStringLiteral("f2tp-save.journal");
}

TSaveJournal::TSaveJournal(const QString& folder)
    : m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
{
    Recover(m_folder);
}

TSaveJournal::~TSaveJournal()
{
    if (m_done)
        return;
    try {
        discard();
    } catch (...) {
        // What is left aside goes at the next start.
    }
}

QString TSaveJournal::fileName(const QString& target) const
{
    const QFileInfo info(target);
    if (QDir::cleanPath(info.absolutePath()) != m_folder)
        throw F2tpError(QStringLiteral("Не удается создать файл ") + native(target));
    return info.fileName();
}

void TSaveJournal::write(const QString& target,
                         const std::function<void(const QString& path)>& writeAside)
{
    const QString name = fileName(target);
    const QString aside = QDir(m_folder).filePath(name) + kAsideSuffix;
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.target == name; });
    m_entries.push_back({name, false});
    writeAside(aside);
    if (!QFile::exists(aside))
        throw F2tpError(QStringLiteral("Не удается создать файл ") + native(target));
    step(TStep::WrittenAside, target);
}

void TSaveJournal::remove(const QString& target)
{
    const QString name = fileName(target);
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.target == name; });
    m_entries.push_back({name, true});
}

void TSaveJournal::commit()
{
    if (m_entries.empty()) {
        m_done = true;
        return;
    }
    const QDir dir(m_folder);
    const QString journalPath = dir.filePath(JournalName());
    QByteArray text = kHeader + '\n';
    for (const Entry& entry : m_entries)
        text += (entry.remove ? kRemove : kMove) + '\t' + entry.target.toUtf8() + '\n';
    text += kEnd + '\n';
    // QSaveFile flushes the journal to the disk before it takes its name.
    QSaveFile journal(journalPath);
    if (!journal.open(QIODevice::WriteOnly) || journal.write(text) != text.size() ||
        !journal.commit())
        throw F2tpError(QStringLiteral("Не удается создать файл ") + native(journalPath));
    try {
        step(TStep::JournalWritten);
        for (const Entry& entry : m_entries) {
            carryOut(dir, {entry.target, entry.remove});
            ++m_moved;
            step(TStep::MovedIn, dir.filePath(entry.target));
        }
    } catch (...) {
        m_done = true;
        try {
            discard();
        } catch (...) {
        }
        throw;
    }
    m_done = true;
    removeFile(journalPath);
}

void TSaveJournal::discard()
{
    const QDir dir(m_folder);
    // The journal first: without it what is aside is never moved in.
    removeFile(dir.filePath(JournalName()));
    for (const Entry& entry : m_entries) {
        if (!entry.remove)
            removeFile(dir.filePath(entry.target) + kAsideSuffix);
    }
}

void TSaveJournal::Recover(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return;
    const QString journalPath = dir.filePath(JournalName());
    if (QFile::exists(journalPath)) {
        if (const auto entries = readJournal(journalPath)) {
            for (const JournalLine& line : *entries)
                carryOut(dir, line);
        }
        removeFile(journalPath);
    }
    // Files aside, and the unfinished files of the writes aside and of the
    // journal (QSaveFile's, where the system leaves them a name).
    const QStringList left = dir.entryList(
        {QLatin1Char('*') + kAsideSuffix + QLatin1Char('*'), JournalName() + QStringLiteral(".*")},
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : left)
        removeFile(dir.filePath(name));
}
