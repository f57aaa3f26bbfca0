#pragma once

#include <QString>

// What the archive components ask or tell the user. The windows implement it
// with message boxes, tests script it, f2tp-cli answers without asking. The
// components hold a non-owning pointer; without one nothing is asked or shown.
class ArchivePrompt
{
public:
    virtual ~ArchivePrompt() = default;

    // A file about to be extracted already exists; true replaces it, false skips the entry.
    virtual bool replaceFile(const QString& fileName) = 0;

    // A problem that does not stop the operation (a file that could not be added, a duplicate
    // name).
    virtual void errorLogged(const QString& message) = 0;

    // A message box with an OK button, for problems of one entry that do not stop the extraction.
    virtual void showError(const QString& caption, const QString& text) = 0;
};
