// The catalogue of the data module's tables: files, columns in declared order,
// permissions, sort orders and the handlers attached to them.
#include "MDM.h"

#include "DSToXML.h"
#include "OwnPollutants.h"
#include "ozField.h"

namespace {

constexpr int kSaveTag = SavedFieldTag;

TFloatField& addFloat(TozMemoryData& table, const char* name, TFieldKind kind = TFieldKind::fkData)
{
    return table.addField<TFloatField>(QString::fromLatin1(name), kind);
}

TSmallintField& addSmallint(TozMemoryData& table, const char* name,
                            TFieldKind kind = TFieldKind::fkData)
{
    return table.addField<TSmallintField>(QString::fromLatin1(name), kind);
}

TIntegerField& addInteger(TozMemoryData& table, const char* name,
                          TFieldKind kind = TFieldKind::fkData)
{
    return table.addField<TIntegerField>(QString::fromLatin1(name), kind);
}

TStringField& addString(TozMemoryData& table, const char* name, int size,
                        TFieldKind kind = TFieldKind::fkData)
{
    return table.addField<TStringField>(QString::fromLatin1(name), size, kind);
}

TStringField& addLookup(TozMemoryData& table, const char* name, int size, TozMemoryData& source,
                        const char* keyField, const char* sourceKey, const char* result)
{
    TStringField& field = addString(table, name, size, TFieldKind::fkLookup);
    field.setKeyFields(QString::fromLatin1(keyField));
    field.setLookupDataSet(&source);
    field.setLookupKeyFields(QString::fromLatin1(sourceKey));
    field.setLookupResultField(QString::fromLatin1(result));
    return field;
}

void setFile(TozMemoryData& table, const char* name)
{
    table.setFileName(QStringLiteral("data/") + QString::fromLatin1(name));
}

} // namespace

void TDM::declareTables()
{
    declareClassifiers();
    declareSections();
    declareCard();
    declareNitrogenOxide();
}

void TDM::declareClassifiers()
{
    setFile(m_templTable, "TEMPLR.xml");
    addString(m_templTable, "NAME", 100);
    addString(m_templTable, "KDZV", 4);
    addSmallint(m_templTable, "NROW");

    setFile(m_klzav, "KLZAV.xml");
    m_klzav.setCanEdit(false);
    m_klzav.setCanInsert(false);
    m_klzav.setCanDelete(false);
    addSmallint(m_klzav, "KDZV");
    addString(m_klzav, "NAMEK", 50);

    // The same file as KLZAV; its use marks live only in memory.
    setFile(m_sprKlzav, "KLZAV.xml");
    m_sprKlzav.setSortFields(QStringLiteral("KDZV"));
    m_sprKlzav.setCanInsert(false);
    m_sprKlzav.setCanDelete(false);
    m_sprKlzav.setCapacity(2647);
    addSmallint(m_sprKlzav, "KDZV");
    addString(m_sprKlzav, "NAMEK", 50);
    addSmallint(m_sprKlzav, "PRIZN");
    addString(m_sprKlzav, "STAT", 1);
    m_sprKlzav.setOnFilterRecord(
        [this](TDataSet& dataSet, bool& accept) { SprKlzavFilterRecord(dataSet, accept); });
    m_sprKlzav.setFiltered(true);

    // The user's own pollutants, in the report folder; never part of the shipped file.
    m_ownKlzav.setFileName(QStringLiteral("data/") + TOwnPollutants::FileName());
    m_ownKlzav.setSortFields(QStringLiteral("KDZV"));
    addSmallint(m_ownKlzav, "KDZV");
    addString(m_ownKlzav, "NAMEK", 50);
    addSmallint(m_ownKlzav, "PRIZN");
    addString(m_ownKlzav, "STAT", 1);
    // Both read the shipped file; the own entries are appended once it is read.
    for (TozMemoryData* classifier : {&m_klzav, &m_sprKlzav}) {
        classifier->AfterOpen = [this, classifier](TDataSet&) {
            MergeOwnPollutants(m_ownKlzav, *classifier);
        };
    }

    setFile(m_rnDS, "klreg.xml");
    declareRegionColumns(m_rnDS);
}

void TDM::declareRegionColumns(TozMemoryData& table)
{
    addString(table, "KOD", 18);
    addString(table, "NAME", 50);
    addSmallint(table, "TIP");
    addString(table, "OKATO", 11);
}

void TDM::declareSubjectColumns(TozMemoryData& table)
{
    addString(table, "KOBL", 2);
    addString(table, "NAME", 30);
}

void TDM::declareSections()
{
    const auto contextKeys = [this](TDataSet& dataSet) {
        R2TableCalcFields(dataSet);
    };
    const auto beforeClose = [this](TDataSet& dataSet) {
        R1TableBeforeClose(dataSet);
    };
    const auto zeroAsDash = [this](TField& f, QString& text, bool display) {
        R1TableC2GetText(f, text, display);
    };
    const auto zeroAsEmpty = [this](TField& f, QString& text, bool display) {
        R2TableC2GetText(f, text, display);
    };

    // Section 1.
    TozMemoryData& r1 = m_r1Table;
    setFile(r1, "F2TPR1.xml");
    r1.setSortFields(QStringLiteral("CA"));
    r1.setCanInsert(false);
    r1.setCanDelete(false);
    for (const char* name : {"C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10"}) {
        const bool total = qstrcmp(name, "C7") == 0;
        TFloatField& f = addFloat(r1, name, total ? TFieldKind::fkCalculated : TFieldKind::fkData);
        if (total) {
            f.setTag(kSaveTag);
            f.OnGetText = zeroAsDash;
        } else if (qstrcmp(name, "C9") == 0 || qstrcmp(name, "C10") == 0) {
            f.OnGetText = [this](TField& field, QString& text, bool display) {
                R1TableC9GetText(field, text, display);
            };
        } else {
            f.OnGetText = zeroAsDash;
            f.OnSetText = [this](TField& field, const QString& text) {
                R1TableC2SetText(field, text);
            };
        }
    }
    addSmallint(r1, "YEAR_", TFieldKind::fkCalculated);
    addSmallint(r1, "CA");
    addLookup(r1, "C1", 4, m_templTable, "CA", "NROW", "KDZV");
    addLookup(r1, "CB", 100, m_templTable, "CA", "NROW", "NAME");
    addString(r1, "KODP", 20, TFieldKind::fkCalculated);
    addString(r1, "REG", 18, TFieldKind::fkCalculated);
    r1.BeforeClose = beforeClose;
    r1.AfterScroll = [this](TDataSet& dataSet) {
        R1TableAfterScroll(dataSet);
    };
    r1.OnCalcFields = [this](TDataSet& dataSet) {
        R1TableCalcFields(dataSet);
    };

    // Section 2 and its statistics copy.
    TozMemoryData& r2 = m_r2Table;
    setFile(r2, "F2TPR2.xml");
    r2.setSortFields(QStringLiteral("CA"));
    addString(r2, "REG", 18, TFieldKind::fkCalculated);
    addSmallint(r2, "CA");
    for (const char* name : {"C2", "C3", "C4", "C5"})
        addFloat(r2, name).OnGetText = zeroAsEmpty;
    addSmallint(r2, "YEAR_", TFieldKind::fkCalculated);
    addString(r2, "KODP", 20, TFieldKind::fkCalculated);
    addLookup(r2, "CB", 100, m_klzav, "C1", "KDZV", "NAMEK");
    addSmallint(r2, "C1");
    r2.BeforeClose = beforeClose;
    r2.AfterPost = [this](TDataSet& dataSet) {
        R2TableAfterPost(dataSet);
    };
    r2.BeforeDelete = [this](TDataSet& dataSet) {
        R2TableBeforeDelete(dataSet);
    };
    r2.AfterDelete = [this](TDataSet& dataSet) {
        R2TableAfterDelete(dataSet);
    };
    r2.OnCalcFields = contextKeys;

    TozMemoryData& stat = m_r2TableStat;
    stat.setSortFields(QStringLiteral("CA"));
    addSmallint(stat, "CA");
    for (const char* name : {"C2", "C3", "C4", "C5"})
        addFloat(stat, name).OnGetText = zeroAsEmpty;
    addLookup(stat, "CB", 100, m_klzav, "C1", "KDZV", "NAMEK");
    addString(stat, "REG", 18, TFieldKind::fkCalculated);
    addString(stat, "KODP", 20, TFieldKind::fkCalculated);
    addSmallint(stat, "YEAR_", TFieldKind::fkCalculated);
    addSmallint(stat, "C1");
    stat.OnCalcFields = contextKeys;

    // Section 3.
    TozMemoryData& r3 = m_r3Table;
    setFile(r3, "F2TPR3.xml");
    r3.setSortFields(QStringLiteral("CA"));
    r3.setCanInsert(false);
    r3.setCanDelete(false);
    addSmallint(r3, "CA");
    const auto plainText = [this](TField& field, const QString& text) {
        R3TableC1SetText(field, text);
    };
    for (const char* name : {"C1", "C2"}) {
        TIntegerField& f = addInteger(r3, name);
        f.OnGetText = zeroAsEmpty;
        f.OnSetText = plainText;
    }
    for (const char* name : {"C3", "C4"}) {
        TFloatField& f = addFloat(r3, name);
        f.OnGetText = zeroAsEmpty;
        f.OnSetText = plainText;
    }
    addSmallint(r3, "YEAR_", TFieldKind::fkCalculated);
    addString(r3, "KODP", 20, TFieldKind::fkCalculated);
    addString(r3, "REG", 18, TFieldKind::fkCalculated);
    addLookup(r3, "CB", 100, m_templTable, "CA", "NROW", "NAME");
    r3.BeforeClose = beforeClose;
    r3.OnCalcFields = contextKeys;

    // Section 4.
    TozMemoryData& r4 = m_r4Table;
    setFile(r4, "F2TPR4.xml");
    r4.setSortFields(QStringLiteral("CA"));
    r4.setCanDelete(false);
    addSmallint(r4, "CA");
    addString(r4, "CB", 250);
    addString(r4, "CC", 250);
    addFloat(r4, "C1").OnGetText = zeroAsEmpty;
    addSmallint(r4, "C2");
    for (const char* name : {"C3", "C4", "C5", "C6"}) {
        TFloatField& f = addFloat(r4, name);
        f.OnGetText = zeroAsEmpty;
        if (qstrcmp(name, "C5") == 0 || qstrcmp(name, "C6") == 0) {
            f.OnSetText = [this](TField& field, const QString& text) {
                R4TableC5SetText(field, text);
            };
        }
    }
    addSmallint(r4, "YEAR_", TFieldKind::fkCalculated);
    addString(r4, "KODP", 20, TFieldKind::fkCalculated);
    addString(r4, "REG", 18, TFieldKind::fkCalculated);
    r4.BeforeClose = beforeClose;
    r4.BeforePost = [this](TDataSet& dataSet) {
        R4TableBeforePost(dataSet);
    };
    r4.AfterPost = [this](TDataSet& dataSet) {
        R4TableAfterPost(dataSet);
    };
    r4.AfterDelete = [this](TDataSet& dataSet) {
        R4TableAfterDelete(dataSet);
    };
    r4.AfterScroll = [this](TDataSet& dataSet) {
        R4TableAfterScroll(dataSet);
    };
    r4.OnCalcFields = contextKeys;

    // Section 5.
    TozMemoryData& r5 = m_r5Table;
    setFile(r5, "F2TPR5.xml");
    r5.setSortFields(QStringLiteral("CA"));
    r5.setCanInsert(false);
    r5.setCanDelete(false);
    addSmallint(r5, "CA");
    addFloat(r5, "C3").OnGetText = zeroAsEmpty;
    addFloat(r5, "C4").OnGetText = zeroAsEmpty;
    addSmallint(r5, "YEAR_", TFieldKind::fkCalculated);
    addLookup(r5, "C1", 4, m_templTable, "CA", "NROW", "KDZV");
    addLookup(r5, "C2", 100, m_templTable, "CA", "NROW", "NAME");
    addString(r5, "KODP", 20, TFieldKind::fkCalculated);
    addString(r5, "REG", 18, TFieldKind::fkCalculated);
    r5.BeforeClose = beforeClose;
    r5.OnCalcFields = contextKeys;
}

void TDM::declareCard()
{
    const auto trimmed = [this](TField& field, const QString& text) {
        B0002INNSetText(field, text);
    };
    struct Column
    {
        const char* name;
        int size;
        const char* label;
        bool required;
        bool trimmed;
    };
    // Labels are the card's captions; the columns without one have their caption on the card.
    const Column columns[] = {
        {"KOD", 20, "Код", true, true},  {"PNAZ", 100, "Наименование предприятия", true, false},
        {"INN", 12, "ИНН", false, true}, {"OKOH1", 8, "ОКВЭД", false, false},
        {"OKCM", 11, "", false, true},   {"KOPF", 5, "ОКОПФ", false, true},
        {"KFS", 5, "ОКФС", false, true}, {"ADR", 250, "Адрес", false, false},
        {"FIOR", 45, "", false, false},  {"OKPO", 8, "ОКПО", false, false},
        {"NGDU1", 12, "", false, false}, {"NGDU2", 12, "", false, false},
    };
    setFile(m_prTable, "B0002.xml");
    m_prTable.setCapacity(4);
    for (const Column& c : columns) {
        TStringField& f = addString(m_prTable, c.name, c.size);
        f.setDisplayLabel(QString::fromUtf8(c.label));
        f.setRequired(c.required);
        if (c.trimmed)
            f.OnSetText = trimmed;
    }
    addString(m_prTable, "OWNERID", 20, TFieldKind::fkCalculated).setTag(kSaveTag);
    addString(m_prTable, "SNAZ", 50, TFieldKind::fkCalculated).setTag(kSaveTag);
    m_prTable.OnCalcFields = [this](TDataSet& dataSet) {
        PrTableCalcFields(dataSet);
    };

    setFile(m_spisokkr, "spisokkr.xml");
    m_spisokkr.setCapacity(4);
    addString(m_spisokkr, "KODP", 20, TFieldKind::fkCalculated);
    addString(m_spisokkr, "NGDU", 18);
    addString(m_spisokkr, "NAME", 30);
    addString(m_spisokkr, "FULLNAME", 100);
    m_spisokkr.OnCalcFields = [this](TDataSet& dataSet) {
        spisokkrCalcFields(dataSet);
    };

    // Only computed columns: a row read from a file is never kept; the export fills it.
    setFile(m_sprdolj, "SPRDOLJ.xml");
    addString(m_sprdolj, "KODP", 20, TFieldKind::fkCalculated).setTag(kSaveTag);
    addInteger(m_sprdolj, "KODD", TFieldKind::fkCalculated).setTag(kSaveTag);
    addString(m_sprdolj, "FIO", 150, TFieldKind::fkCalculated).setTag(kSaveTag);
    m_sprdolj.OnCalcFields = [this](TDataSet& dataSet) {
        sprdoljCalcFields(dataSet);
    };
}

void TDM::declareNitrogenOxide()
{
    const auto contextKeys = [this](TDataSet& dataSet) {
        R2TableCalcFields(dataSet);
    };
    const auto addKeys = [](TozMemoryData& table) {
        addSmallint(table, "YEAR_", TFieldKind::fkCalculated);
        addString(table, "KODP", 20, TFieldKind::fkCalculated);
        addString(table, "REG", 18, TFieldKind::fkCalculated);
    };

    TozMemoryData& n1 = m_nor1Table;
    setFile(n1, "F2TPR1NO.xml");
    n1.setCanInsert(false);
    n1.setCanDelete(false);
    n1.setPostAfterEdit(true);
    addKeys(n1);
    for (const char* name : {"C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10"})
        addFloat(n1, name);
    n1.fieldByName(QStringLiteral("C2")).OnSetText = [this](TField& f, const QString& text) {
        NOR1TableC2SetText(f, text);
    };
    n1.fieldByName(QStringLiteral("C3")).OnSetText = [this](TField& f, const QString& text) {
        NOR1TableC3SetText(f, text);
    };
    n1.fieldByName(QStringLiteral("C6")).OnSetText = [this](TField& f, const QString& text) {
        NOR1TableC6SetText(f, text);
    };
    n1.OnCalcFields = contextKeys;

    TozMemoryData& n3 = m_nor3Table;
    setFile(n3, "F2TPR3NO.xml");
    n3.setCanInsert(false);
    n3.setCanDelete(false);
    n3.setPostAfterEdit(true);
    addKeys(n3);
    addSmallint(n3, "CA");
    addLookup(n3, "CB", 100, m_templTable, "CA", "NROW", "NAME");
    addFloat(n3, "C3");
    addFloat(n3, "C4");
    n3.AfterScroll = [this](TDataSet& dataSet) {
        NOR3TableAfterScroll(dataSet);
    };
    n3.OnCalcFields = contextKeys;

    TozMemoryData& n5 = m_nor5Table;
    setFile(n5, "F2TPR5NO.xml");
    n5.setCanDelete(false);
    n5.setPostAfterEdit(true);
    addKeys(n5);
    addFloat(n5, "C3").OnSetText = [this](TField& f, const QString& text) {
        NOR5TableC3SetText(f, text);
    };
    addFloat(n5, "C4").OnSetText = [this](TField& f, const QString& text) {
        NOR5TableC4SetText(f, text);
    };
    n5.OnCalcFields = contextKeys;
}
