#include "ImportTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "Errors.h"
#include "SaveJournal.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

std::optional<QByteArray> readBytes(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("Ошибка открытия файла - ") + path);
    return file.readAll();
}

bool editing(const TozMemoryData& table)
{
    return table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert;
}

} // namespace

TImportTransaction::TImportTransaction(const std::vector<TozMemoryData*>& tables,
                                       const QString& scratchDir)
    : m_scratchDir(scratchDir)
{
    for (TozMemoryData* table : tables) {
        if (!table->FileName().isEmpty())
            m_files.push_back({table->FileName(), readBytes(table->FileName())});
    }
}

TImportTransaction::~TImportTransaction()
{
    if (m_done)
        return;
    try {
        rollback();
    } catch (...) {
        // The import's own error is the one the user hears of.
    }
}

void TImportTransaction::touch(TozMemoryData& table)
{
    for (const TableCopy& copy : m_tables) {
        if (copy.table == &table)
            return;
    }
    TableCopy copy;
    copy.table = &table;
    copy.active = table.active();
    copy.canEdit = table.CanEdit();
    copy.canInsert = table.CanInsert();
    copy.canDelete = table.CanDelete();
    for (int i = 0; i < table.fieldCount(); ++i)
        copy.readOnly << table.field(i).readOnly();
    if (copy.active) {
        table.checkBrowseMode();
        copy.changed = table.changed();
        copy.recNo = table.recNo();
        copy.recordCount = table.recordCount();
        copy.packet =
            QDir(m_scratchDir)
                .filePath(QStringLiteral("before-") + table.name() + QStringLiteral(".xml"));
        // Every record, whatever a filter shows.
        const bool wasFiltered = table.filtered();
        table.setFiltered(false);
        try {
            table.WriteToFile(copy.packet);
        } catch (...) {
            table.setFiltered(wasFiltered);
            throw;
        }
        table.setFiltered(wasFiltered);
    }
    m_tables.push_back(std::move(copy));
}

void TImportTransaction::rollback()
{
    m_done = true;
    std::exception_ptr first;
    const auto attempt = [&first](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    };
    // The files first: a table closed before the import reopens from its own.
    attempt([&] { restoreFiles(); });
    for (auto it = m_tables.rbegin(); it != m_tables.rend(); ++it)
        attempt([&] { restoreTable(*it); });
    if (first)
        std::rethrow_exception(first);
}

void TImportTransaction::restoreFiles() const
{
    if (m_files.empty())
        return;
    TSaveJournal journal(QFileInfo(m_files.front().path).absolutePath());
    for (const FileCopy& copy : m_files) {
        if (readBytes(copy.path) == copy.bytes)
            continue;
        if (!copy.bytes) {
            journal.remove(copy.path);
            continue;
        }
        journal.write(copy.path, [&](const QString& aside) {
            QSaveFile file(aside);
            if (!file.open(QIODevice::WriteOnly) || file.write(*copy.bytes) != copy.bytes->size() ||
                !file.commit())
                throw F2tpError(QStringLiteral("Не удается создать файл ") + copy.path);
        });
    }
    journal.commit();
}

void TImportTransaction::restoreTable(const TableCopy& copy) const
{
    TozMemoryData& table = *copy.table;
    if (editing(table))
        table.cancel();
    if (!copy.active) {
        table.close();
    } else {
        // The copy is read with every column writable, as a working file is.
        for (int i = 0; i < table.fieldCount(); ++i)
            table.field(i).setReadOnly(false);
        if (!table.active())
            table.open();
        table.ClearRecords();
        if (copy.recordCount > 0)
            table.ReadFromFile(copy.packet);
        table.setChanged(copy.changed);
        table.setRecNo(copy.recNo);
    }
    table.setCanEdit(copy.canEdit);
    table.setCanInsert(copy.canInsert);
    table.setCanDelete(copy.canDelete);
    for (int i = 0; i < table.fieldCount() && i < copy.readOnly.size(); ++i)
        table.field(i).setReadOnly(copy.readOnly.at(i));
}
