#include "XmlImport.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ArchiveSupport.h"
#include "DSToXML.h"
#include "Errors.h"
#include "ImportTransaction.h"
#include "MDM.h"
#include "ReportSections.h"
#include "UserInterface.h"
#include "ZLIBArchive.h"
#include "ZipExtractor.h"
#include "ozField.h"

namespace {

const QString kManifestName = QStringLiteral("TableList.inf");

// Section 2 rows of an older set that belong to other sections.
const QStringList kB0308Skipped = {QStringLiteral("330"), QStringLiteral("337"),
                                   QStringLiteral("401"), QStringLiteral("301")};

bool acceptedCode(int code)
{
    return code == 35 || code == 39 || code == 535;
}

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Extracts the manifest; one larger than a manifest can be is named as such.
template <class Extract> void extractManifest(Extract&& extract)
{
    try {
        extract();
    } catch (const EArchiveLimit&) {
        throw EArchiveLimit(
            ArchiveSupport::fileTooLargeText(kManifestName, TImportManifest::MaxSize));
    }
}

// A fresh private folder; removed with the object.
void requireValid(const QTemporaryDir& dir)
{
    if (!dir.isValid())
        throw F2tpError(QStringLiteral("Не удается создать временную папку: ") + dir.errorString());
}

// While a table is imported every row may be appended or edited and every
// column written; the table's own per-row switches come back afterwards.
class ImportPermissions
{
public:
    explicit ImportPermissions(TozMemoryData& table)
        : m_table(table)
        , m_canInsert(table.CanInsert())
        , m_canEdit(table.CanEdit())
    {
        for (int i = 0; i < table.fieldCount(); ++i) {
            m_readOnly << table.field(i).readOnly();
            table.field(i).setReadOnly(false);
        }
        allow();
    }
    ~ImportPermissions()
    {
        m_table.setCanInsert(m_canInsert);
        m_table.setCanEdit(m_canEdit);
        for (int i = 0; i < m_table.fieldCount() && i < m_readOnly.size(); ++i)
            m_table.field(i).setReadOnly(m_readOnly.at(i));
    }
    // Row rules switch the permissions as the cursor moves; each row asks again.
    void allow()
    {
        m_table.setCanInsert(true);
        m_table.setCanEdit(true);
    }

private:
    Q_DISABLE_COPY_MOVE(ImportPermissions)
    TozMemoryData& m_table;
    bool m_canInsert;
    bool m_canEdit;
    QList<bool> m_readOnly;
};

} // namespace

TXmlImport::TXmlImport(TDM& dm)
    : m_dm(dm)
    , m_caption(QStringLiteral("Загрузка данных "))
{
}

TXmlImport::~TXmlImport() = default;

TXmlImport::TSourceKind TXmlImport::SourceKind(const QString& path)
{
    const QString suffix = QFileInfo(path.trimmed()).suffix().toUpper();
    if (suffix == QLatin1String("INF"))
        return TSourceKind::Manifest;
    if (suffix == QLatin1String("ZLB") || suffix == QLatin1String("VLT"))
        return TSourceKind::ZlbArchive;
    if (suffix == QLatin1String("ZIP"))
        return TSourceKind::ZipArchive;
    return TSourceKind::Unknown;
}

QString TXmlImport::BadSourceText()
{
    return QStringLiteral("Неверные данные для импорта");
}

QString TXmlImport::NothingImportedText()
{
    return QStringLiteral("Данные не загружены, отчет остался без изменений.");
}

void TXmlImport::setPath(const QString& path)
{
    m_path = path;
    m_pathChanged = true;
}

bool TXmlImport::ImportEnabled() const
{
    return !m_path.trimmed().isEmpty() && !m_manifest.value(QStringLiteral("Table1")).isEmpty();
}

void TXmlImport::LoadManifest()
{
    if (!m_pathChanged)
        return;
    // Read once: a refused source is not read again when the error's box
    // takes the focus from the edit box.
    m_pathChanged = false;
    m_manifest.clear();
    const QString path = m_path.trimmed();
    m_kind = SourceKind(path);
    try {
        readManifest(m_kind, path);
        const std::optional<int> code = m_manifest.intValue(QStringLiteral("Code"));
        if (!code || !acceptedCode(*code))
            throw F2tpError(BadSourceText());
        // The tables are read from the set's own folder and nowhere else.
        const QStringList files = m_manifest.tableFiles();
        if (!std::all_of(files.begin(), files.end(), &TImportManifest::isPlainFileName))
            throw F2tpError(BadSourceText());
        m_caption = QStringLiteral("Импорт - ") + m_manifest.value(QStringLiteral("Caption"));
        m_label = m_manifest.value(QStringLiteral("Label"));
    } catch (...) {
        // Nothing of a refused source stays on the window.
        m_manifest.clear();
        m_caption = QStringLiteral("Загрузка данных ");
        m_label.clear();
        try {
            throw;
        } catch (const EArchiveLimit& e) {
            throw F2tpError(BadSourceText() + QStringLiteral("\r\n") + e.message());
        } catch (...) {
            throw F2tpError(BadSourceText());
        }
    }
}

void TXmlImport::readManifest(TSourceKind kind, const QString& path)
{
    switch (kind) {
    case TSourceKind::Manifest:
        m_sourceFolder = withSeparator(QFileInfo(path).absolutePath());
        m_manifest.read(path);
        return;
    case TSourceKind::ZlbArchive: {
        QTemporaryDir scratch;
        requireValid(scratch);
        TZLBArchive archive;
        archive.setMaxExtractSize(TImportManifest::MaxSize);
        archive.OpenArchive(path);
        extractManifest([&] { archive.ExtractFile(scratch.path(), kManifestName); });
        m_manifest.read(QDir(scratch.path()).filePath(kManifestName));
        return;
    }
    case TSourceKind::ZipArchive: {
        QTemporaryDir scratch;
        requireValid(scratch);
        TZipExtractor zip;
        zip.setZipName(path);
        zip.setDestDir(scratch.path());
        zip.setFilesList({kManifestName});
        zip.setMaxExtractSize(TImportManifest::MaxSize);
        zip.Entries();
        extractManifest([&] { zip.UnZip(); });
        m_manifest.read(QDir(scratch.path()).filePath(kManifestName));
        return;
    }
    case TSourceKind::Unknown:
        return;
    }
}

void TXmlImport::unpack(const QString& folder)
{
    // Only what the manifest lists comes out, within one limit for the set.
    const QString path = m_path.trimmed();
    const QStringList files = QStringList{kManifestName} + m_manifest.tableFiles();
    if (m_kind == TSourceKind::ZlbArchive) {
        TZLBArchive archive;
        archive.setMaxExtractSize(MaxSetSize);
        archive.OpenArchive(path);
        archive.ExtractFiles(folder, files);
        archive.CloseArchive();
        m_sourceFolder = withSeparator(folder);
    } else if (m_kind == TSourceKind::ZipArchive) {
        TZipExtractor zip;
        zip.setZipName(path);
        zip.setDestDir(folder);
        zip.setFilesList(files);
        zip.setMaxExtractSize(MaxSetSize);
        zip.UnZip();
        m_sourceFolder = withSeparator(folder);
    }
}

bool TXmlImport::ImportData()
{
    LoadManifest();
    if (m_manifest.isEmpty())
        return false;
    QTemporaryDir scratch;
    requireValid(scratch);
    const QString setFolder = QDir(scratch.path()).filePath(QStringLiteral("set"));
    const QString copyFolder = QDir(scratch.path()).filePath(QStringLiteral("before"));
    if (!QDir().mkpath(setFolder) || !QDir().mkpath(copyFolder))
        throw F2tpError(QStringLiteral("Не удается создать временную папку ") + scratch.path());

    IUserInterface& ui = userInterface();
    TImportTransaction transaction(
        {&m_dm.PrTable(), &m_dm.spisokkr(), &m_dm.R1Table(), &m_dm.R2Table(), &m_dm.R3Table(),
         &m_dm.R4Table(), &m_dm.R5Table(), &m_dm.NOR1Table(), &m_dm.NOR3Table(), &m_dm.NOR5Table()},
        copyFolder);
    m_transaction = &transaction;
    try {
        unpack(setFolder);
        if (const std::optional<int> tables = m_manifest.intValue(QStringLiteral("Tables")))
            ui.setProgressMaximum(*tables);
        ui.setProgressPosition(0);
        ui.setProgressStatus(QString());
        importTables();
        saveTables();
    } catch (...) {
        m_transaction = nullptr;
        ui.setProgressPosition(0);
        ui.setProgressStatus(QString());
        const QString text = ErrorText(std::current_exception());
        try {
            transaction.rollback();
        } catch (...) {
            throw F2tpError(text + QStringLiteral("\r\nНе удалось вернуть прежние данные: ") +
                            ErrorText(std::current_exception()));
        }
        throw F2tpError(text + QStringLiteral("\r\n") + NothingImportedText());
    }
    m_transaction = nullptr;
    transaction.commit();
    ui.showInformation(QString(), QStringLiteral("Перенос данных закончен"));
    ui.setProgressPosition(0);
    ui.setProgressStatus(QString());
    return true;
}

void TXmlImport::importTables()
{
    const int code = m_manifest.intValue(QStringLiteral("Code")).value_or(0);
    m_skipAll = false;
    for (int i = 1; i <= m_manifest.lineCount(); ++i) {
        const QString fileName = m_manifest.value(QStringLiteral("Table%1").arg(i));
        if (fileName.isEmpty())
            break;
        const QString rule = m_manifest.value(QStringLiteral("UPDATE%1").arg(i));
        try {
            importOne(fileName, rule, code);
        } catch (...) {
            throw F2tpError(QStringLiteral("Таблица ") + fileName + QStringLiteral(" \r\n") +
                            ErrorText(std::current_exception()));
        }
        userInterface().setProgressPosition(i);
    }
}

void TXmlImport::importOne(const QString& fileName, const QString& rule, int code)
{
    const bool b0308 = code == 39 && fileName.toUpper().contains(QLatin1String("B0308.XML"));
    const bool imported = b0308 ? ImportB0308(fileName, rule) : ImportTable(fileName, rule);
    if (imported && OnTableImported) {
        TozMemoryData* table = b0308 ? &m_dm.R2Table() : targetTable(fileName);
        OnTableImported(fileName, table->name());
    }
}

TozMemoryData* TXmlImport::targetTable(const QString& fileName) const
{
    const QString name = QFileInfo(fileName).completeBaseName().toUpper();
    if (name == QLatin1String("B0002"))
        return &m_dm.PrTable();
    if (name == QLatin1String("SPISOKKR"))
        return &m_dm.spisokkr();
    for (int section = 1; section <= 5; ++section) {
        if (name == QStringLiteral("F2TPR%1").arg(section))
            return &m_dm.sectionTable(section);
    }
    if (name == QLatin1String("F2TPR1NO"))
        return &m_dm.NOR1Table();
    if (name == QLatin1String("F2TPR3NO"))
        return &m_dm.NOR3Table();
    if (name == QLatin1String("F2TPR5NO"))
        return &m_dm.NOR5Table();
    return nullptr;
}

void TXmlImport::openPacket(TDataPacket& packet, TozMemoryData& table, const QString& fileName)
{
    userInterface().setProgressStatus(fileName);
    packet.SetPacketFile(m_sourceFolder + fileName);
    packet.OpenPacket();
    if (&table == &m_dm.R2Table()) {
        // The rows are replaced or added to: a pick list remembered on a row
        // must not match a record that takes its bookmark.
        m_dm.forgetPrevPollutantRow();
    }
}

bool TXmlImport::ImportTable(const QString& fileName, const QString& rule)
{
    TozMemoryData* table = targetTable(fileName);
    if (!table)
        return false;
    m_transaction->touch(*table);
    if (table == &m_dm.PrTable() || table == &m_dm.spisokkr())
        table->ClearRecords();
    ImportPermissions permissions(*table);
    const TImportRule parsed = TImportRule::parse(rule);
    TDataPacket packet(nullptr, QString());
    openPacket(packet, *table, fileName);
    bool more = packet.NextRow();
    if (!table->active())
        table->open();
    QList<TField*> fields;
    for (int i = 0; i < table->fieldCount(); ++i) {
        TField& field = table->field(i);
        if (field.fieldKind() == TFieldKind::fkData && packet.FindFieldTag(field.fieldName()))
            fields << &field;
    }
    if (parsed.replaces())
        table->ClearRecords();
    while (more) {
        permissions.allow();
        startRow(*table, parsed, packet);
        for (TField* field : std::as_const(fields)) {
            if (!assign(*field, packet.ReadValue(field->fieldName())))
                field->setAsString(QStringLiteral("0"));
        }
        postRow(*table);
        more = packet.NextRow();
    }
    packet.ClosePacket();
    return true;
}

bool TXmlImport::ImportB0308(const QString& fileName, const QString& rule)
{
    if (QFileInfo(fileName).completeBaseName().toUpper() != QLatin1String("B0308"))
        return false;
    TozMemoryData& table = m_dm.R2Table();
    m_transaction->touch(table);
    ImportPermissions permissions(table);
    const TImportRule parsed = TImportRule::parse(rule);
    TDataPacket packet(nullptr, QString());
    openPacket(packet, table, fileName);
    bool more = packet.NextRow();
    if (!table.active())
        table.open();
    if (parsed.replaces())
        table.ClearRecords();
    // Section 2 columns and the packet's columns that fill them, in this order.
    const std::pair<const char*, const char*> columns[] = {
        {"C1", "KDZV"}, {"C2", "MOG"}, {"C4", "PDV"}, {"C5", "VSV"}};
    for (; more; more = packet.NextRow()) {
        if (kB0308Skipped.contains(packet.ReadValue(u"KDZV")))
            continue;
        permissions.allow();
        startRow(table, parsed, packet);
        for (const auto& [column, source] : columns) {
            TField& field = table.fieldByName(QLatin1String(column));
            if (!assign(field, packet.ReadValue(QString::fromLatin1(source))))
                break;
        }
        postRow(table);
    }
    packet.ClosePacket();
    return true;
}

void TXmlImport::startRow(TozMemoryData& table, const TImportRule& rule, const TDataPacket& packet)
{
    if (rule.merges() && !rule.keys.isEmpty()) {
        QVariantList keys;
        for (const QString& key : rule.keys)
            keys << packet.ReadValue(key);
        const QVariant values = keys.size() == 1 ? keys.first() : QVariant(keys);
        if (table.locate(rule.keys.join(QLatin1Char(';')), values,
                         TLocateOption::loCaseInsensitive)) {
            table.edit();
            return;
        }
    }
    table.append();
}

bool TXmlImport::assign(TField& field, const QString& text)
{
    try {
        field.setAsString(text);
        return true;
    } catch (...) {
        if (!skipError(std::current_exception()))
            throw;
        return false;
    }
}

void TXmlImport::postRow(TozMemoryData& table)
{
    try {
        table.post();
    } catch (...) {
        if (!skipError(std::current_exception()))
            throw;
        table.cancel();
    }
}

bool TXmlImport::skipError(const std::exception_ptr& error)
{
    if (m_skipAll)
        return true;
    const TSkipAnswer answer = userInterface().askSkip(ErrorText(error));
    if (answer == TSkipAnswer::SkipAll)
        m_skipAll = true;
    return answer != TSkipAnswer::Abort;
}

void TXmlImport::saveTables()
{
    m_dm.PrTable().SaveIfModified();
    TReportSections(m_dm).SaveSections();
    fillRegionName();
    m_dm.spisokkr().SaveIfModified();
    // The nitrogen oxide rows are part of the report the set brought.
    for (TozMemoryData* table : {&m_dm.NOR1Table(), &m_dm.NOR3Table(), &m_dm.NOR5Table()})
        table->SaveIfModified();
}

void TXmlImport::fillRegionName()
{
    TozMemoryData& region = m_dm.spisokkr();
    if (!region.active() || region.isEmpty())
        return;
    const QString code = region.fieldByName(QStringLiteral("NGDU")).asString();
    if (code.isEmpty() || !region.fieldByName(QStringLiteral("NAME")).asString().isEmpty())
        return;
    TozMemoryData& classifier = m_dm.RnDS();
    classifier.open();
    try {
        if (classifier.locate(QStringLiteral("KOD"), code)) {
            m_transaction->touch(region);
            region.edit();
            region.fieldByName(QStringLiteral("NAME"))
                .setAsString(classifier.fieldByName(QStringLiteral("NAME")).asString());
            region.post();
        }
    } catch (...) {
        classifier.close();
        throw;
    }
    classifier.close();
}
