#pragma once

#include <QList>
#include <QString>

// A row template of sections 1, 3 and 5 ("TEMPLR.xml"): the code shown in column 1
// of the row and the row's name, by row number.
struct RowTemplate
{
    int row = 0;
    QString code; // four characters, or empty where the row has no code
    QString name;
};

inline constexpr qsizetype RowTemplateNameWidth = 100;
inline constexpr qsizetype RowTemplateCodeWidth = 4;

// The fixed rows of sections 1, 3 and 5 in that order, numbered by the
// sections' layout (101 to 109, 301 to 303, 501 to 505).
QList<RowTemplate> rowTemplates();
