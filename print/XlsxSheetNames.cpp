#include "XlsxSheetNames.h"

namespace {

constexpr qsizetype kMaxLength = 31;

QString validName(QString name, std::size_t index)
{
    for (QChar& ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch) || ch.category() == QChar::Other_Control)
            ch = QLatin1Char('_');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    name.truncate(kMaxLength);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Лист") + QString::number(index + 1);
    return name;
}

bool taken(const std::vector<QString>& names, const QString& name)
{
    // Excel keeps "History" for its change tracking.
    if (name.compare(QStringLiteral("History"), Qt::CaseInsensitive) == 0)
        return true;
    for (const QString& other : names)
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

std::vector<QString> XlsxSheetNames(const std::vector<QString>& names)
{
    std::vector<QString> result;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString base = validName(names[i], i);
        QString name = base;
        for (int n = 2; taken(result, name); ++n) {
            const QString suffix = QStringLiteral(" (") + QString::number(n) + QLatin1Char(')');
            name = base.left(kMaxLength - suffix.size()) + suffix;
        }
        result.push_back(name);
    }
    return result;
}
