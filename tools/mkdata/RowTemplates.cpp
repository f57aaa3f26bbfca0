#include "RowTemplates.h"

#include <stdexcept>
#include <string>

#include "SectionLayout.h"

namespace {

struct CodedName
{
    QString code;
    QString name;
};

// The names of a section's fixed rows in order, numbered as the form numbers them.
void appendSection(QList<RowTemplate>& templates, int section, const QList<CodedName>& rows)
{
    if (rows.size() != SectionLayout::FixedRowCount(section))
        throw std::logic_error("row templates do not match the fixed rows of section " +
                               std::to_string(section));
    for (qsizetype i = 0; i < rows.size(); ++i)
        templates.append({SectionLayout::FirstRow(section) + int(i), rows[i].code, rows[i].name});
}

} // namespace

QList<RowTemplate> rowTemplates()
{
    QList<RowTemplate> templates;
    // Section 1 with its codes as printed on the form with the ПДВ and ВСВ columns.
    appendSection(
        templates, 1,
        {{QStringLiteral("0001"), QStringLiteral("Всего (102 + 103)")},
         {QStringLiteral("0002"), QStringLiteral("в том числе: твердые")},
         {QStringLiteral("0004"), QStringLiteral("газообразные и жидкие (104 - 109)")},
         {QStringLiteral("0330"), QStringLiteral("из них: диоксид серы")},
         {QStringLiteral("0337"), QStringLiteral("оксид углерода")},
         {QStringLiteral("0301"), QStringLiteral("оксиды азота (в пересчете на NO2)")},
         {QStringLiteral("0401"),
          QStringLiteral("углеводороды (без летучих органических соединений)")},
         {QStringLiteral("0006"), QStringLiteral("летучие органические соединения (ЛОС)")},
         {QStringLiteral("0005"), QStringLiteral("прочие газообразные и жидкие")}});
    // Section 3, sources of pollution: the first row is the organisation's total,
    // which the check compares with the total of section 1; the other two split it
    // by the kind of emission standard the sources have.
    appendSection(
        templates, 3,
        {{QString(), QStringLiteral("Всего по организации")},
         {QString(),
          QStringLiteral("в том числе: источники, для которых установлены нормативы ПДВ")},
         {QString(), QStringLiteral("источники, для которых установлены ВСВ")}});
    // Section 5, emissions by groups of sources: each row repeats a row of section 1
    // (solids, sulphur dioxide, carbon monoxide, nitrogen oxides) with its code, and
    // the last one the hydrocarbons of rows 107 and 108 together. No published form
    // gives that row a code (0401 is row 107's, hydrocarbons without the volatile
    // organic compounds), so it has none rather than a wrong one.
    appendSection(
        templates, 5,
        {{QStringLiteral("0002"), QStringLiteral("Твердые вещества")},
         {QStringLiteral("0330"), QStringLiteral("Диоксид серы")},
         {QStringLiteral("0337"), QStringLiteral("Оксид углерода")},
         {QStringLiteral("0301"), QStringLiteral("Оксиды азота (в пересчете на NO2)")},
         {QString(), QStringLiteral("Углеводороды (включая летучие органические соединения)")}});
    return templates;
}
