#pragma once

#include <vector>

#include <QString>

#include "Errors.h"

class TDM;
class TozMemoryData;

// A change of the own pollutants that the program refuses (the message says why).
class TPollutantRefused : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// The user's own pollutants: codes the shipped classifier lacks, kept in the
// table OwnKlzav ("data/KLZAVUSER.xml" in the report folder) and merged into
// KLZAV and SprKlzav whenever they are read, so that lookups, the pick list,
// the statistics copy and every print see one classifier. The shipped file is
// never written.
//
// Every change is checked first and refused with TPollutantRefused carrying
// the message for the user; a refused or failed change leaves the tables and the
// file as they were. The file is written atomically at once.
class TOwnPollutants final
{
public:
    static constexpr int MinCode = 1;
    static constexpr int MaxCode = 9999;
    static constexpr int NameLength = 50;
    // The file's name in the report folder's "data/".
    static QString FileName();

    explicit TOwnPollutants(TDM& dm);
    Q_DISABLE_COPY_MOVE(TOwnPollutants)

    struct Entry
    {
        int code = 0;
        QString name;
        bool stat = false;
        bool own = false;
        bool used = false;
    };
    // The whole classifier by code, shipped and own entries, with their use marks.
    std::vector<Entry> List() const;

    bool IsOwn(int code) const;
    // A section 2 row holds the pollutant: its use mark in SprKlzav, or a
    // stored row of R2Table where the marks are not built.
    bool IsUsed(int code) const;

    // The code a text gives; fails with "Код вещества должен быть числом от 1 до 9999".
    static int ParseCode(const QString& text);
    // Checks an entry about to be added, as Add does, without adding it.
    void CheckNew(int code, const QString& name) const;
    // Refused unless the code is an own entry that no section 2 row uses.
    void CheckChangeable(int code) const;

    // Adds an own pollutant; refused when the code is out of range or already
    // in the classifier, or the name is empty, too long or not Windows-1251.
    void Add(int code, const QString& name, bool stat);
    // Changes the name and the statistics mark of an own, unused pollutant.
    void Change(int code, const QString& name, bool stat);
    // Removes an own, unused pollutant.
    void Remove(int code);

private:
    void checkCode(int code) const;
    void checkName(const QString& name) const;
    // Writes OwnKlzav; on failure rereads it, so memory matches the file, and rethrows.
    void save();

    TDM& m_dm;
};

// Appends the own pollutants that the classifier table does not hold yet,
// through its ordinary append and post, then sorts it by its sort fields and
// clears its change flag. Called when KLZAV or SprKlzav has read its file.
void MergeOwnPollutants(TozMemoryData& own, TozMemoryData& classifier);
