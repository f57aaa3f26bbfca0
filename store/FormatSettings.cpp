#include "FormatSettings.h"

#include <QLocale>

namespace {

QChar& separator()
{
    static QChar value = [] {
        const QString point = QLocale::system().decimalPoint();
        return point.size() == 1 ? point.at(0) : QLatin1Char('.');
    }();
    return value;
}

} // namespace

namespace FormatSettings {

QChar decimalSeparator()
{
    return separator();
}

void setDecimalSeparator(QChar value)
{
    separator() = value;
}

} // namespace FormatSettings
