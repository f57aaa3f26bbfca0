// The table adapters the engine reads through: texts and their buffers, the
// field cache, moving with NextDiffers, details and master, parameters, the
// refresh of a memory table and who destroys the table.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "CoverDataSet.h"
#include "Cp1251.h"
#include "FormatSettings.h"
#include "PrintTestSupport.h"
#include "RepProcExt.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

// A memory table that says when it is destroyed.
class WatchedTable : public TozMemoryData
{
public:
    explicit WatchedTable(bool* destroyed = nullptr)
        : TozMemoryData(QStringLiteral("Watched"))
        , m_destroyed(destroyed)
    {
        addField<TIntegerField>(QStringLiteral("KOD"));
        addField<TStringField>(QStringLiteral("NAME"), 40)
            .setDisplayLabel(QStringLiteral("Наименование"));
        addField<TFloatField>(QStringLiteral("Mixed"));
    }
    ~WatchedTable() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    void add(int kod, const QString& name)
    {
        append();
        fieldByName(QStringLiteral("KOD")).setAsInteger(kod);
        fieldByName(QStringLiteral("NAME")).setAsString(name);
        post();
    }

private:
    bool* m_destroyed;
};

// A table with one parameter, as a query of another program could offer.
class ParamTable final : public WatchedTable, public IRepParams
{
public:
    bool QueryInterface(const QUuid&, void** object) override
    {
        *object = nullptr;
        return false;
    }
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    int Count() override { return 1; }
    void GetName(int, const char** name) override { *name = "KOD"; }
    void GetValue(int, const char** value) override
    {
        m_value = Cp1251::encode(current);
        *value = m_value.constData();
    }
    void GetReserved() override {}
    void SetValue(const char* name, const char* value) override
    {
        applied.append(QString::fromLatin1(name) + QLatin1Char('=') +
                       Cp1251::decode(QByteArray(value)));
        current = Cp1251::decode(QByteArray(value));
    }
    void Refresh() override { ++refreshes; }

    QString current = QStringLiteral("0");
    QStringList applied;
    int refreshes = 0;

private:
    QByteArray m_value;
};

QString decoded(const char* text)
{
    return Cp1251::decode(QByteArray(text));
}

class CoverDataSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FormatSettings::setDecimalSeparator(QLatin1Char(','));
        table.open();
        table.add(1, QStringLiteral("Завод"));
        table.add(1, QStringLiteral("Цех"));
        table.add(2, QStringLiteral("Склад"));
        adapter = new TCoverDataSet(table, 7, false);
        ref = TRepRef<IRepDataSet>(adapter);
        table.first();
    }

    WatchedTable table;
    TCoverDataSet* adapter = nullptr;
    TRepRef<IRepDataSet> ref;
};

} // namespace

TEST_F(CoverDataSetTest, UnknownFieldsGiveEmptyTextTheirNameAndZero)
{
    EXPECT_STREQ(adapter->GetFieldText("NONE"), "");
    EXPECT_STREQ(adapter->GetFieldLabel("None"), "None");
    EXPECT_EQ(adapter->GetFieldTextLength("NONE"), 0);
    IRepField* field = reinterpret_cast<IRepField*>(1);
    adapter->FindField("NONE", &field);
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(adapter->GetReserved(), nullptr);
}

TEST_F(CoverDataSetTest, FieldTextsAreWindows1251InTheFieldsBuffer)
{
    EXPECT_EQ(decoded(adapter->GetFieldText("name")), QStringLiteral("Завод"));
    EXPECT_EQ(decoded(adapter->GetFieldLabel("NAME")), QStringLiteral("Наименование"));
    // Without a label the field's name.
    EXPECT_STREQ(adapter->GetFieldLabel("KOD"), "KOD");
    EXPECT_EQ(adapter->GetFieldTextLength("NAME"), 5);
    IRepField* field = nullptr;
    adapter->FindField("NAME", &field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->AddRef(), -1);
    EXPECT_EQ(field->Release(), -1);
    EXPECT_EQ(field->GetTag(), 7);
    EXPECT_STREQ(field->GetName(), "NAME");
    const QString first = decoded(field->GetText());
    const char* text = nullptr;
    EXPECT_EQ(field->GetTextLength(&text), 5);
    EXPECT_EQ(decoded(text), first);
    // The edit text: the float in the locale's form.
    table.edit();
    table.fieldByName(QStringLiteral("Mixed")).setAsFloat(2.5);
    table.post();
    EXPECT_STREQ(adapter->GetFieldText("Mixed"), "2,5");
}

TEST_F(CoverDataSetTest, CacheMatchesUpperCaseNamesOnly)
{
    IRepField* a = nullptr;
    IRepField* b = nullptr;
    adapter->FindField("KOD", &a);
    adapter->FindField("kod", &b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(adapter->cachedFieldCount(), 1);
    // A field named with lower-case letters never matches the upper-cased request.
    adapter->FindField("Mixed", &a);
    adapter->FindField("Mixed", &b);
    EXPECT_NE(a, b);
    EXPECT_EQ(adapter->cachedFieldCount(), 3);
    // Adapters keep the tag they were created with.
    adapter->SetTag(9);
    EXPECT_EQ(adapter->GetTag(), 9);
    EXPECT_EQ(a->GetTag(), 7);
    adapter->FindField("NAME", &a);
    EXPECT_EQ(a->GetTag(), 9);
}

TEST_F(CoverDataSetTest, NextDiffersLooksAheadAndComesBack)
{
    EXPECT_FALSE(adapter->NextDiffers("KOD", "1"));
    EXPECT_EQ(table.recNo(), 1);
    table.next();
    EXPECT_TRUE(adapter->NextDiffers("KOD", "1"));
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_FALSE(adapter->NextDiffers("NONE", "1"));
    EXPECT_EQ(table.recNo(), 2);
    table.last();
    EXPECT_FALSE(adapter->NextDiffers("KOD", "9"));
    EXPECT_TRUE(adapter->Eof());
    EXPECT_FALSE(adapter->NextDiffers("KOD", "9"));
}

TEST_F(CoverDataSetTest, WithoutDetailsOrMaster)
{
    EXPECT_TRUE(adapter->DetailsEof());
    EXPECT_EQ(adapter->DetailCount(), 0);
    IRepDataSet* none = reinterpret_cast<IRepDataSet*>(1);
    adapter->GetDetail(0, &none);
    EXPECT_EQ(none, nullptr);
    adapter->GetMaster(&none);
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(adapter->MasterChanged());
}

TEST_F(CoverDataSetTest, MemoryTableRefreshRereadsItsFile)
{
    QTemporaryDir dir;
    table.setFileName(dir.filePath(QStringLiteral("t.xml")));
    table.setChanged(true);
    table.SaveIfModified();
    table.add(3, QStringLiteral("Новый"));
    ASSERT_EQ(table.recordCount(), 4);
    // A master makes no difference without the parameter capability.
    WatchedTable masterTable;
    masterTable.open();
    TRepRef<IRepDataSet> master(new TCoverDataSet(masterTable, 0, false));
    adapter->SetMaster(master.get());
    EXPECT_FALSE(adapter->MasterChanged());
    adapter->Refresh();
    EXPECT_TRUE(table.active());
    EXPECT_EQ(table.recordCount(), 3);
    adapter->SetMaster(nullptr);
}

TEST_F(CoverDataSetTest, ParametersFollowTheMaster)
{
    WatchedTable masterTable;
    masterTable.open();
    masterTable.add(5, QStringLiteral("Завод"));
    ParamTable detailTable;
    detailTable.open();
    TRepRef<IRepDataSet> master(new TCoverDataSet(masterTable, 0, false));
    auto* detailAdapter = new TCoverDataSet(detailTable, 0, false);
    TRepRef<IRepDataSet> detail(detailAdapter);
    master->AddDetail(detail.get());
    EXPECT_EQ(master->DetailCount(), 1);
    IRepDataSet* back = nullptr;
    detail->GetMaster(&back);
    EXPECT_EQ(back, master.get());
    back->Release();
    EXPECT_TRUE(master->DetailsEof());
    detailTable.add(1, QStringLiteral("строка"));
    detailTable.first();
    EXPECT_FALSE(master->DetailsEof());

    EXPECT_TRUE(detail->MasterChanged());
    EXPECT_EQ(detailAdapter->parameters(), QStringList{QStringLiteral("KOD=5")});
    detail->Open();
    EXPECT_EQ(detailTable.applied.last(), QStringLiteral("KOD=5"));
    EXPECT_FALSE(detail->MasterChanged());
    // Moving the master refreshes the detail: the new value is applied and
    // the open table re-runs through its own Refresh.
    masterTable.add(6, QStringLiteral("Цех"));
    master->First();
    ASSERT_EQ(masterTable.recordCount(), 2);
    EXPECT_FALSE(master->Next()) << masterTable.recNo();
    EXPECT_EQ(detailTable.current, QStringLiteral("6"));
    EXPECT_EQ(detailTable.refreshes, 1);
    // The pair holds references to each other; the detail lets go of its master.
    detail->SetMaster(nullptr);
}

TEST(CoverDataSetOwnership, OwnedTableGoesWithTheAdapter)
{
    bool destroyed = false;
    auto* owned = new WatchedTable(&destroyed);
    TRepRef<IRepDataSet> adapter(new TCoverDataSet(*owned, 0, true));
    adapter.reset();
    EXPECT_TRUE(destroyed);

    bool kept = false;
    WatchedTable table(&kept);
    table.open();
    adapter = TRepRef<IRepDataSet>(new TCoverDataSet(table, 0, false));
    adapter.reset();
    EXPECT_FALSE(kept);
    table.add(1, QStringLiteral("ещё"));
    EXPECT_EQ(table.recordCount(), 1);
}

TEST(CoverDataSetOwnership, ReportHoldsTheOnlyReference)
{
    LoadReportEngine();
    bool destroyed = false;
    auto* owned = new WatchedTable(&destroyed);
    TRepRef<IRepReport> report;
    CreateReportIntf(report.put(), 0);
    AddReportDataSet(*report.get(), *owned, 0, true);
    EXPECT_FALSE(destroyed);
    report.reset();
    EXPECT_TRUE(destroyed);
}
