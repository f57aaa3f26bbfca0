#include "RowTemplates.h"

QList<RowTemplate> rowTemplates()
{
    return {
        // Section 1 with its codes as printed on the form with the ПДВ and ВСВ columns.
        {101, QStringLiteral("0001"), QStringLiteral("Всего (102 + 103)")},
        {102, QStringLiteral("0002"), QStringLiteral("в том числе: твердые")},
        {103, QStringLiteral("0004"), QStringLiteral("газообразные и жидкие (104 - 109)")},
        {104, QStringLiteral("0330"), QStringLiteral("из них: диоксид серы")},
        {105, QStringLiteral("0337"), QStringLiteral("оксид углерода")},
        {106, QStringLiteral("0301"), QStringLiteral("оксиды азота (в пересчете на NO2)")},
        {107, QStringLiteral("0401"),
         QStringLiteral("углеводороды (без летучих органических соединений)")},
        {108, QStringLiteral("0006"), QStringLiteral("летучие органические соединения (ЛОС)")},
        {109, QStringLiteral("0005"), QStringLiteral("прочие газообразные и жидкие")},
        // Section 3, sources of pollution: row 301 is the organisation's total, which
        // the check compares with row 101; rows 302 and 303 split it by the kind of
        // emission standard the sources have.
        {301, QString(), QStringLiteral("Всего по организации")},
        {302, QString(),
         QStringLiteral("в том числе: источники, для которых установлены нормативы ПДВ")},
        {303, QString(), QStringLiteral("источники, для которых установлены ВСВ")},
        // Section 5, emissions by groups of sources: each row repeats a row of
        // section 1 (501 row 102, 502 row 104, 503 row 105, 504 row 106) and row 505
        // the hydrocarbons of rows 107 and 108 together.
        {501, QStringLiteral("0002"), QStringLiteral("Твердые вещества")},
        {502, QStringLiteral("0330"), QStringLiteral("Диоксид серы")},
        {503, QStringLiteral("0337"), QStringLiteral("Оксид углерода")},
        {504, QStringLiteral("0301"), QStringLiteral("Оксиды азота (в пересчете на NO2)")},
        {505, QStringLiteral("0401"),
         QStringLiteral("Углеводороды (включая летучие органические соединения)")},
    };
}
