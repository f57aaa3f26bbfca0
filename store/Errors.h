#pragma once

#include <exception>

#include <QByteArray>
#include <QString>

// Every error of the program is an exception that carries the text shown to the
// user. The silent abort carries none and is never shown.
class F2tpError : public std::exception
{
public:
    explicit F2tpError(QString message);

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// An error of a table or field; raised on behalf of a named table its text
// starts with the table's name, a colon and a blank.
class EDatabaseError : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// The text of an error met while reading a file: the message
// preceded by the file's path, so that the user knows which file to restore.
// A message that names the file already is returned as it is.
QString FileErrorText(const QString& fileName, const QString& message);

// Ends the current operation without any message (a refused permission, a
// dialog cancelled inside a command).
class EAbort : public std::exception
{
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
