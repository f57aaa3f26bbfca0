#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QtGlobal>

// Saves several files of one folder as one change, so that a crash at any
// moment leaves them all as they were or all as saved. Each new file is
// written aside in the folder ("<name>.f2tp-new"), complete and flushed; then
// the journal "f2tp-save.journal" names the files to move in (and those to
// remove); then they are moved in, each by a rename within the folder; then
// the journal goes. Recover(), run before any file of the folder is read,
// carries a complete journal out to its end and discards an incomplete one
// with the files written aside.
//
// An error (not a crash) while moving in stops there: the journal and the
// files still aside are removed, the files already moved stay moved
// (moved() counts them) and commit() fails with F2tpError naming the file.
class TSaveJournal final
{
public:
    // Where a save stands, for OnStep.
    enum class TStep
    {
        WrittenAside, // file: the file whose new content is complete aside
        JournalWritten,
        MovedIn, // file: the file moved in (or removed)
    };

    // Finishes or discards a save of the folder that was cut off (Recover).
    explicit TSaveJournal(const QString& folder);
    // Unless committed, removes what was written aside.
    ~TSaveJournal();
    Q_DISABLE_COPY_MOVE(TSaveJournal)

    // Writes the new content of target (a file of the folder) aside: write
    // gets the path to write and must leave a complete, flushed file there
    // (QSaveFile does) or throw.
    void write(const QString& target, const std::function<void(const QString& path)>& write);
    // The file goes when the set is moved in.
    void remove(const QString& target);
    // The journal, the moves, the journal removed. Nothing to do: nothing written.
    void commit();
    // How many files of the set were moved in (or removed), in the order given.
    int moved() const { return m_moved; }

    // Carries out a complete journal left in the folder, discards an
    // incomplete one, and removes every file a cut-off save left aside.
    // Fails with F2tpError when a file cannot be moved in or removed.
    static void Recover(const QString& folder);
    static QString JournalName();

    // Called after each step of every save; a test injects a failure or a
    // crash there. Empty in the program.
    static std::function<void(TStep step, const QString& file)> OnStep;

private:
    struct Entry
    {
        QString target; // file name within the folder
        bool remove = false;
    };

    QString fileName(const QString& target) const;
    void discard();

    QString m_folder;
    std::vector<Entry> m_entries;
    int m_moved = 0;
    bool m_done = false;
};
