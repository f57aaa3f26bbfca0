// Tables, columns and files of the data module, and the start on an empty folder.
#include "ModelTestSupport.h"

#include "MDM.h"
#include "ReportSections.h"
#include "ozField.h"

namespace {

QStringList fieldNames(TozMemoryData& table)
{
    QStringList names;
    for (int i = 0; i < table.fieldCount(); ++i)
        names.append(table.field(i).fieldName());
    return names;
}

QStringList split(const char* names)
{
    return QString::fromLatin1(names).split(QLatin1Char(' '));
}

} // namespace

using CatalogueTest = ModelTest;

TEST_F(CatalogueTest, ColumnsInDeclaredOrder)
{
    load();
    EXPECT_EQ(fieldNames(dm->R1Table()),
              split("C2 C3 C4 C5 C6 C7 C8 C9 C10 YEAR_ CA C1 CB KODP REG"));
    EXPECT_EQ(fieldNames(dm->R2Table()), split("REG CA C2 C3 C4 C5 YEAR_ KODP CB C1"));
    EXPECT_EQ(fieldNames(dm->R3Table()), split("CA C1 C2 C3 C4 YEAR_ KODP REG CB"));
    EXPECT_EQ(fieldNames(dm->R4Table()), split("CA CB CC C1 C2 C3 C4 C5 C6 YEAR_ KODP REG"));
    EXPECT_EQ(fieldNames(dm->R5Table()), split("CA C3 C4 YEAR_ C1 C2 KODP REG"));
    EXPECT_EQ(fieldNames(dm->R2TableStat()), split("CA C2 C3 C4 C5 CB REG KODP YEAR_ C1"));
    EXPECT_EQ(fieldNames(dm->PrTable()),
              split("KOD PNAZ INN OKOH1 OKCM KOPF KFS ADR FIOR OKPO NGDU1 NGDU2 OWNERID SNAZ"));
    EXPECT_EQ(fieldNames(dm->spisokkr()), split("KODP NGDU NAME FULLNAME"));
    EXPECT_EQ(fieldNames(dm->NOR1Table()), split("YEAR_ KODP REG C2 C3 C4 C5 C6 C7 C8 C9 C10"));
    EXPECT_EQ(fieldNames(dm->NOR3Table()), split("YEAR_ KODP REG CA CB C3 C4"));
    EXPECT_EQ(fieldNames(dm->NOR5Table()), split("YEAR_ KODP REG C3 C4"));
    EXPECT_EQ(fieldNames(dm->sprdolj()), split("KODP KODD FIO"));
    EXPECT_EQ(fieldNames(dm->SprKlzav()), split("KDZV NAMEK PRIZN STAT"));
    EXPECT_EQ(fieldNames(dm->KLZAV()), split("KDZV NAMEK"));
    EXPECT_EQ(fieldNames(dm->TemplTable()), split("NAME KDZV NROW"));
    EXPECT_EQ(fieldNames(dm->RnDS()), split("KOD NAME TIP OKATO"));
}

TEST_F(CatalogueTest, DialogClassifiersGetTheirColumns)
{
    TozMemoryData regions;
    TDM::declareRegionColumns(regions);
    EXPECT_EQ(fieldNames(regions), split("KOD NAME TIP OKATO"));
    EXPECT_EQ(regions.fieldByName(QStringLiteral("KOD")).size(), 18);
    TozMemoryData subjects;
    TDM::declareSubjectColumns(subjects);
    EXPECT_EQ(fieldNames(subjects), split("KOBL NAME"));
    EXPECT_EQ(subjects.fieldByName(QStringLiteral("NAME")).size(), 30);
}

TEST_F(CatalogueTest, FilesLieInTheDataFolderOfTheProgram)
{
    load();
    EXPECT_EQ(dm->ResourceDir(), folder->path());
    EXPECT_EQ(dm->R1Table().FileName(), folder->dataFile(QStringLiteral("F2TPR1.xml")));
    EXPECT_EQ(dm->SprKlzav().FileName(), dm->KLZAV().FileName());
    EXPECT_EQ(dm->PrTable().FileName(), folder->dataFile(QStringLiteral("B0002.xml")));
    EXPECT_EQ(dm->NOR5Table().FileName(), folder->dataFile(QStringLiteral("F2TPR5NO.xml")));
    EXPECT_EQ(dm->sprdolj().FileName(), folder->dataFile(QStringLiteral("SPRDOLJ.xml")));
    EXPECT_TRUE(dm->R2TableStat().FileName().isEmpty());
    EXPECT_EQ(dm->TemplateDir(), folder->path() + QStringLiteral("шаблоны/"));
}

TEST_F(CatalogueTest, ProgramDirGetsATrailingSeparator)
{
    const QString withoutSlash = folder->path().chopped(1);
    TDM module(withoutSlash);
    EXPECT_EQ(module.ResourceDir(), withoutSlash + QLatin1Char('/'));
    EXPECT_TRUE(module.KLZAV().active());
    EXPECT_TRUE(module.PrTable().active());
    EXPECT_TRUE(module.spisokkr().active());
    EXPECT_FALSE(module.R1Table().active());
}

TEST_F(CatalogueTest, EmptyFolderGivesTheFixedRowsWithEmptyValues)
{
    folder = std::make_unique<ProgramFolder>(false);
    load();
    EXPECT_EQ(rows(1), (std::vector<int>{101, 102, 103, 104, 105, 106, 107, 108, 109}));
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203}));
    EXPECT_EQ(rows(3), (std::vector<int>{301, 302, 303}));
    EXPECT_EQ(rows(4), (std::vector<int>{401, 402, 403, 404, 405}));
    EXPECT_EQ(rows(5), (std::vector<int>{501, 502, 503, 504, 505}));
    std::vector<int> codes;
    for (int row : {201, 202, 203}) {
        go(2, row);
        codes.push_back(section(2).fieldByName(QStringLiteral("C1")).asInteger());
    }
    EXPECT_EQ(codes, (std::vector<int>{703, 322, 410}));
    for (const char* column : {"C2", "C3", "C4", "C5", "C6", "C8", "C9", "C10"})
        EXPECT_TRUE(isNull(1, 105, column)) << column;
    EXPECT_TRUE(isNull(4, 401, "C5"));
    EXPECT_TRUE(isNull(3, 302, "C1"));
    EXPECT_EQ(dm->CurrentYear(), 2000);
    EXPECT_TRUE(dm->CurrentKodp().isEmpty());
    EXPECT_TRUE(dm->CurrentReg().isEmpty());
    // Without row templates the codes and names are empty.
    EXPECT_EQ(shown(1, 104, "CB"), QString());
}

TEST_F(CatalogueTest, FixedRowsShowTemplateCodesAndNames)
{
    load();
    EXPECT_EQ(shown(1, 104, "C1"), QStringLiteral("0330"));
    EXPECT_EQ(shown(1, 104, "CB"), QStringLiteral("диоксид серы"));
    EXPECT_EQ(shown(3, 302, "CB"), QStringLiteral("в том числе оборудованных"));
    EXPECT_EQ(shown(5, 504, "C2"), QStringLiteral("оксиды азота"));
    EXPECT_EQ(shown(2, 202, "CB"), QStringLiteral("серная кислота"));
}

TEST_F(CatalogueTest, WorkingFilesListTheStoredColumnsInOrder)
{
    load();
    logic->SaveSections();
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("F2TPR1.xml"))),
              split("C2 C3 C4 C5 C6 C7 C8 C9 C10 CA"));
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("F2TPR2.xml"))),
              split("CA C2 C3 C4 C5 C1"));
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("F2TPR3.xml"))),
              split("CA C1 C2 C3 C4"));
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("F2TPR4.xml"))),
              split("CA CB CC C1 C2 C3 C4 C5 C6"));
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("F2TPR5.xml"))), split("CA C3 C4"));

    TozMemoryData& card = dm->PrTable();
    card.append();
    card.fieldByName(QStringLiteral("KOD")).setText(QStringLiteral("7701"));
    card.fieldByName(QStringLiteral("PNAZ")).setText(QStringLiteral("Завод"));
    card.post();
    card.SaveIfModified();
    EXPECT_EQ(packetColumns(folder->readData(QStringLiteral("B0002.xml"))),
              split("KOD PNAZ INN OKOH1 OKCM KOPF KFS ADR FIOR OKPO NGDU1 NGDU2 OWNERID SNAZ"));
}

TEST_F(CatalogueTest, SectionOneFileIsByteExact)
{
    load();
    enter(1, 104, "C2", QStringLiteral("12.3456"));
    logic->SaveSections();
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
        "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
        "<FIELD attrname=\"C2\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C3\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C4\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C5\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C6\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C7\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C8\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C9\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"C10\" fieldtype=\"r8\"></FIELD>"
        "<FIELD attrname=\"CA\" fieldtype=\"i2\"></FIELD>"
        "</FIELDS><PARAMS/></METADATA><ROWDATA>"
        "<ROW C2=\"12.346\" C7=\"12.346\" CA=\"101\" />"
        "<ROW C7=\"0\" CA=\"102\" />"
        "<ROW C2=\"12.346\" C7=\"12.346\" CA=\"103\" />"
        "<ROW C2=\"12.346\" C7=\"12.346\" CA=\"104\" />"
        "<ROW C7=\"0\" CA=\"105\" />"
        "<ROW C7=\"0\" CA=\"106\" />"
        "<ROW C7=\"0\" CA=\"107\" />"
        "<ROW C7=\"0\" CA=\"108\" />"
        "<ROW C7=\"0\" CA=\"109\" />"
        "</ROWDATA></DATAPACKET>";
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR1.xml")), expected);
}

TEST_F(CatalogueTest, MissingColumnsStayEmptyAndUnknownColumnsAreIgnored)
{
    folder->writeData(
        QStringLiteral("F2TPR5.xml"),
        dataPacket(
            {QStringLiteral("CA:i2"), QStringLiteral("C3:r8"), QStringLiteral("EXTRA:string:10")},
            {{QStringLiteral("501"), QStringLiteral("1.5"), QStringLiteral("x")},
             {QStringLiteral("502"), QStringLiteral("2"), QString()}}));
    load();
    EXPECT_EQ(rows(5), (std::vector<int>{501, 502}));
    EXPECT_DOUBLE_EQ(value(5, 501, "C3"), 1.5);
    EXPECT_TRUE(isNull(5, 501, "C4"));
    EXPECT_EQ(dm->R5Table().findField(QStringLiteral("EXTRA")), nullptr);
}

TEST_F(CatalogueTest, SectionsAreSortedByRowNumberWhenRead)
{
    folder->writeData(QStringLiteral("F2TPR3.xml"),
                      dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C1:i4")},
                                 {{QStringLiteral("303"), QStringLiteral("3")},
                                  {QStringLiteral("301"), QStringLiteral("1")},
                                  {QStringLiteral("302"), QStringLiteral("2")}}));
    load();
    EXPECT_EQ(rows(3), (std::vector<int>{301, 302, 303}));
}

TEST_F(CatalogueTest, ContextKeysFollowTheContextAndAreNotWritten)
{
    load();
    dm->setCurrentKodp(QStringLiteral("770100000001"));
    dm->setCurrentReg(QStringLiteral("45000"));
    dm->setCurrentYear(2024);
    go(3, 302);
    TozMemoryData& r3 = section(3);
    r3.refreshControls();
    r3.first();
    EXPECT_EQ(r3.fieldByName(QStringLiteral("KODP")).asString(), QStringLiteral("770100000001"));
    EXPECT_EQ(r3.fieldByName(QStringLiteral("REG")).asString(), QStringLiteral("45000"));
    EXPECT_EQ(r3.fieldByName(QStringLiteral("YEAR_")).asInteger(), 2024);
    logic->SaveSections();
    const QByteArray file = folder->readData(QStringLiteral("F2TPR3.xml"));
    EXPECT_FALSE(file.contains("KODP"));
    EXPECT_FALSE(file.contains("YEAR_"));
    EXPECT_FALSE(file.contains("REG"));
}

TEST_F(CatalogueTest, YearOutsideTheKeyColumnLeavesItEmpty)
{
    load();
    dm->setCurrentYear(40000);
    section(1).first();
    section(1).next();
    EXPECT_TRUE(section(1).fieldByName(QStringLiteral("YEAR_")).isNull());
}

TEST_F(CatalogueTest, UseMarksNeverReachKlzavOrTheFile)
{
    load();
    const QByteArray before = folder->readData(QStringLiteral("KLZAV.xml"));
    EXPECT_EQ(dm->SprKlzav().recordCount(), dm->KLZAV().recordCount());
    logic->SaveSections();
    EXPECT_EQ(folder->readData(QStringLiteral("KLZAV.xml")), before);
    EXPECT_EQ(dm->KLZAV().findField(QStringLiteral("PRIZN")), nullptr);
}

TEST_F(CatalogueTest, SortTableSortsAscendingIgnoringCase)
{
    load();
    TozMemoryData& list = dm->SprKlzav();
    dm->SortTable(list, QStringLiteral("NAMEK"));
    list.first();
    EXPECT_EQ(list.fieldByName(QStringLiteral("NAMEK")).asString(), QStringLiteral("азота оксид"));
}
