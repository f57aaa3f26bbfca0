#pragma once

#include <QList>
#include <QString>

class CsvTable;

// A federal subject of the region classifier ("klobl.xml").
struct Subject
{
    QString kobl;  // two-digit region number, the first two digits of its КЛАДР code
    QString name;  // display name of at most SubjectNameWidth characters
    QString okato; // 11 digits
};

// Kinds of territory of the district and city classifier ("klreg.xml").
enum class TerritoryKind : int
{
    District = 4,     // a district (район, улус) of a subject
    DistrictCity = 5, // a city or town inside a district
    ListedCity = 7,   // a city listed beside the districts of its subject
};

// A row of "klreg.xml". The code is built so that the district and city pickers
// find their rows by prefix:
//   district:            KOBL + ОКАТО digits 3-5                    (5 characters)
//   city of a district:  the district's code + ОКАТО digits 6-11    (11 characters)
//   listed city:         KOBL + "00" + ОКАТО digits 3-11           (13 characters)
// A district's ОКАТО digit 3 is 1 or 2, never 0, so no district code has "00" as
// its third and fourth characters; all district codes have the same length, so no
// district's code is a prefix of another's.
struct Territory
{
    QString kod;
    QString name; // without the kind: "Змеиногорский", "Барнаул"
    TerritoryKind kind = TerritoryKind::ListedCity;
    QString okato; // 11 digits
    QString kobl;
};

inline constexpr qsizetype SubjectNameWidth = 30;
inline constexpr qsizetype TerritoryNameWidth = 50;

// The federal subjects of the region source, sorted by KOBL. A row without a
// federal district is not a federal subject (the leased city of Baikonur) and is
// left out. Fails when a KOBL is not two digits or repeats, or a name cannot be
// shortened to the width.
QList<Subject> readSubjects(const CsvTable& regions);

// A subject's display name: the source's name with its type, the type written
// out ("Респ Адыгея" becomes "Республика Адыгея", "Амурская обл" "Амурская
// область"), then, only when longer than the width, "автономный округ" written
// "АО" and "Республика" written "Респ.". Fails when that is still too long.
QString subjectDisplayName(const QString& nameWithType);

// Districts and cities from the city source, sorted by code. Every city becomes
// a row. A district becomes a row when a town of the source lies in it: the town
// names the district and its ОКАТО code has the district's code in its first
// five digits (third digit 2, or 1 inside an autonomous okrug). A city whose
// first five ОКАТО digits are such a district's code is a city of that district;
// every other city is listed beside the districts. Fails on a city outside the
// given subjects, an ОКАТО code that is not 11 digits, a district code named
// differently by two towns, or a repeated code.
QList<Territory> readTerritories(const QList<Subject>& subjects, const CsvTable& cities);
