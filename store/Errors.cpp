#include "Errors.h"

#include <utility>

#include <QDir>

F2tpError::F2tpError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

QString FileErrorText(const QString& fileName, const QString& message)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    if (message.contains(shown) || message.contains(fileName))
        return message;
    return QStringLiteral("Ошибка чтения файла \"%1\": %2").arg(shown, message);
}
