#include "MDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "Errors.h"
#include "SaveJournal.h"

TDM::TDM(const QString& programDir)
    : TDM(programDir.isEmpty() ? LocateProgramFolders(QCoreApplication::applicationDirPath())
                               : TProgramFolders::portable(programDir))
{
}

TDM::TDM(const TProgramFolders& folders)
    : m_folders(folders)
{
    for (QString* dir : {&m_folders.resources, &m_folders.templates, &m_folders.report}) {
        *dir = QDir::fromNativeSeparators(*dir);
        if (!dir->endsWith(QLatin1Char('/')))
            *dir += QLatin1Char('/');
    }
    declareTables();
    DataModuleCreate();
}

TDM::~TDM() = default;

void TDM::DataModuleCreate()
{
    for (TozMemoryData* table : {&m_templTable, &m_sprKlzav, &m_klzav, &m_rnDS})
        table->setFileName(m_folders.resources + table->FileName());
    // sprdolj is completed as well: its declared name would otherwise resolve
    // against whatever folder the process runs in.
    for (TozMemoryData* table :
         {&m_prTable, &m_spisokkr, &m_r1Table, &m_r2Table, &m_r3Table, &m_r4Table, &m_r5Table,
          &m_nor1Table, &m_nor3Table, &m_nor5Table, &m_sprdolj})
        table->setFileName(m_folders.report + table->FileName());
    // A save of several files cut off by a crash is finished or undone before
    // any table is read.
    TSaveJournal::Recover(QFileInfo(m_r1Table.FileName()).absolutePath());
    m_ownKlzav.setFileName(ReportDir() + m_ownKlzav.FileName());
    m_ownKlzav.open();
    m_klzav.open();
    m_spisokkr.open();
    m_prTable.open();
}

QString TDM::TemplateDir() const
{
    return m_folders.templates + QStringLiteral("шаблоны/");
}

void TDM::setPrevPollutant(int code)
{
    m_prevPollutant = code;
    m_prevPollutantNewRow = m_r2Table.state() == TDataSetState::dsInsert;
    m_prevPollutantRow = m_prevPollutantNewRow ? TBookmark() : m_r2Table.bookmark();
}

void TDM::forgetPrevPollutantRow()
{
    m_prevPollutantRow.reset();
    m_prevPollutantNewRow = false;
}

void TDM::SortTable(TozMemoryData& table, const QString& fieldNames)
{
    table.SortByFields(fieldNames, true, false);
}

TozMemoryData& TDM::sectionTable(int section)
{
    switch (section) {
    case 1:
        return m_r1Table;
    case 2:
        return m_r2Table;
    case 3:
        return m_r3Table;
    case 4:
        return m_r4Table;
    case 5:
        return m_r5Table;
    default:
        throw F2tpError(QStringLiteral("Неверный номер раздела: ") + QString::number(section));
    }
}
