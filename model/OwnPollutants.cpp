#include "OwnPollutants.h"

#include <algorithm>
#include <map>
#include <set>

#include <QDir>
#include <QFileInfo>

#include "Cp1251.h"
#include "Errors.h"
#include "MDM.h"
#include "MDMGuard.h"
#include "ObFunc.h"
#include "ozField.h"

namespace {

const QString kKDZV = QStringLiteral("KDZV");
const QString kNAMEK = QStringLiteral("NAMEK");
const QString kPRIZN = QStringLiteral("PRIZN");
const QString kSTAT = QStringLiteral("STAT");

QString statText(bool stat)
{
    return stat ? QStringLiteral("1") : QStringLiteral("0");
}

// The stored value of a column of the table's record, read without moving its
// cursor or minding its filter; null when the table has no such column.
QVariant storedValue(const TozMemoryData& table, int record, const QString& column)
{
    const QList<TFieldDef>& defs = table.fieldDefs();
    for (int i = 0; i < defs.size(); ++i) {
        if (defs.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
            return table.record(record).value(i);
    }
    return QVariant();
}

int storedInt(const TozMemoryData& table, int record, const QString& column)
{
    const QVariant value = storedValue(table, record, column);
    return value.isNull() ? 0 : value.toInt();
}

// Runs work with the table's permission switches and filter lifted, for the
// data module's own changes to a classifier the user may not edit.
template <class Work> void asOwner(TozMemoryData& table, Work&& work)
{
    const bool canEdit = table.CanEdit();
    const bool canInsert = table.CanInsert();
    const bool canDelete = table.CanDelete();
    table.setCanEdit(true);
    table.setCanInsert(true);
    table.setCanDelete(true);
    runThenRestore(std::forward<Work>(work), [&] {
        table.setCanEdit(canEdit);
        table.setCanInsert(canInsert);
        table.setCanDelete(canDelete);
        table.setChanged(false);
    });
}

void setEntry(TozMemoryData& table, int code, const QString& name, const QString& stat)
{
    table.fieldByName(kKDZV).setAsInteger(code);
    table.fieldByName(kNAMEK).setAsString(name);
    if (TField* prizn = table.findField(kPRIZN))
        prizn->setAsInteger(0);
    if (TField* statField = table.findField(kSTAT))
        statField->setAsString(stat);
}

// The classifier row of the code through its visible rows (an own entry that
// may change is never hidden: it is unused).
bool locateCode(TozMemoryData& table, int code)
{
    return table.active() && table.locate(kKDZV, code);
}

} // namespace

QString TOwnPollutants::FileName()
{
    return QStringLiteral("KLZAVUSER.xml");
}

TOwnPollutants::TOwnPollutants(TDM& dm)
    : m_dm(dm)
{
}

std::vector<TOwnPollutants::Entry> TOwnPollutants::List() const
{
    // STAT and the use marks live in SprKlzav's columns (and STAT of own entries in their file).
    std::map<int, const Entry> marks;
    const TozMemoryData& spr = m_dm.SprKlzav();
    for (int i = 0; spr.active() && i < spr.recordCount(); ++i) {
        Entry mark;
        mark.stat = storedValue(spr, i, kSTAT).toString() == QLatin1String("1");
        mark.used = storedInt(spr, i, kPRIZN) != 0;
        marks.emplace(storedInt(spr, i, kKDZV), mark);
    }
    std::map<int, bool> ownStat;
    const TozMemoryData& own = m_dm.OwnKlzav();
    for (int i = 0; own.active() && i < own.recordCount(); ++i)
        ownStat.emplace(storedInt(own, i, kKDZV),
                        storedValue(own, i, kSTAT).toString() == QLatin1String("1"));
    std::set<int> inSection2;
    const TozMemoryData& r2 = m_dm.R2Table();
    for (int i = 0; r2.active() && i < r2.recordCount(); ++i)
        inSection2.insert(storedInt(r2, i, QStringLiteral("C1")));

    const TozMemoryData& klzav = m_dm.KLZAV();
    std::vector<Entry> entries;
    for (int i = 0; klzav.active() && i < klzav.recordCount(); ++i) {
        Entry entry;
        entry.code = storedInt(klzav, i, kKDZV);
        entry.name = storedValue(klzav, i, kNAMEK).toString();
        const auto mark = marks.find(entry.code);
        const auto ownMark = ownStat.find(entry.code);
        entry.own = ownMark != ownStat.end();
        entry.stat = entry.own ? ownMark->second : mark != marks.end() && mark->second.stat;
        entry.used = (mark != marks.end() && mark->second.used) || inSection2.count(entry.code);
        entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.code < b.code; });
    return entries;
}

bool TOwnPollutants::IsOwn(int code) const
{
    const TozMemoryData& own = m_dm.OwnKlzav();
    if (!own.active())
        return false;
    for (int i = 0; i < own.recordCount(); ++i) {
        if (storedInt(own, i, kKDZV) == code)
            return true;
    }
    return false;
}

bool TOwnPollutants::IsUsed(int code) const
{
    const TozMemoryData& spr = m_dm.SprKlzav();
    if (spr.active()) {
        for (int i = 0; i < spr.recordCount(); ++i) {
            if (storedInt(spr, i, kKDZV) == code && storedInt(spr, i, kPRIZN) != 0)
                return true;
        }
    }
    const TozMemoryData& r2 = m_dm.R2Table();
    if (r2.active()) {
        for (int i = 0; i < r2.recordCount(); ++i) {
            if (storedInt(r2, i, QStringLiteral("C1")) == code)
                return true;
        }
    }
    return false;
}

int TOwnPollutants::ParseCode(const QString& text)
{
    const std::optional<qint64> value = TextToInteger(text.trimmed());
    if (!value || *value < MinCode || *value > MaxCode)
        throw TPollutantRefused(QStringLiteral("Код вещества должен быть числом от %1 до %2")
                                    .arg(MinCode)
                                    .arg(MaxCode));
    return int(*value);
}

void TOwnPollutants::checkCode(int code) const
{
    if (code < MinCode || code > MaxCode)
        throw TPollutantRefused(QStringLiteral("Код вещества должен быть числом от %1 до %2")
                                    .arg(MinCode)
                                    .arg(MaxCode));
    if (!m_dm.KLZAV().lookup(kKDZV, code, kKDZV).isNull() || IsOwn(code))
        throw TPollutantRefused(
            QStringLiteral("Вещество с кодом %1 уже есть в классификаторе").arg(code));
}

void TOwnPollutants::checkName(const QString& name) const
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        throw TPollutantRefused(QStringLiteral("Введите наименование вещества"));
    if (trimmed.size() > NameLength)
        throw TPollutantRefused(
            QStringLiteral("Наименование вещества длиннее %1 символов").arg(NameLength));
    QByteArray bytes;
    if (!Cp1251::encodeExact(trimmed, bytes))
        throw TPollutantRefused(QStringLiteral(
            "Наименование вещества содержит знаки, которых нет в кодировке Windows-1251"));
}

void TOwnPollutants::CheckChangeable(int code) const
{
    if (!IsOwn(code)) {
        if (!m_dm.KLZAV().lookup(kKDZV, code, kKDZV).isNull())
            throw TPollutantRefused(
                QStringLiteral("Вещество %1 входит в классификатор программы: его нельзя "
                               "изменить или удалить")
                    .arg(code));
        throw TPollutantRefused(
            QStringLiteral("Вещества с кодом %1 нет в классификаторе").arg(code));
    }
    if (IsUsed(code))
        throw TPollutantRefused(
            QStringLiteral("Вещество %1 выбрано в разделе 2: сначала удалите или "
                           "замените его строку")
                .arg(code));
}

void TOwnPollutants::CheckNew(int code, const QString& name) const
{
    checkCode(code);
    checkName(name);
}

void TOwnPollutants::save()
{
    TozMemoryData& own = m_dm.OwnKlzav();
    try {
        const QString folder = QFileInfo(own.FileName()).absolutePath();
        if (!QDir().mkpath(folder))
            throw F2tpError(QStringLiteral("Не удалось создать папку ") +
                            QDir::toNativeSeparators(folder));
        own.SaveIfModified();
    } catch (...) {
        try {
            own.close();
            own.open();
        } catch (...) {
        }
        throw;
    }
}

void TOwnPollutants::Add(int code, const QString& name, bool stat)
{
    CheckNew(code, name);
    const QString trimmed = name.trimmed();
    TozMemoryData& own = m_dm.OwnKlzav();
    own.append();
    setEntry(own, code, trimmed, statText(stat));
    own.post();
    save();

    TozMemoryData& klzav = m_dm.KLZAV();
    if (klzav.active()) {
        asOwner(klzav, [&] {
            klzav.append();
            setEntry(klzav, code, trimmed, statText(stat));
            klzav.post();
        });
    }
    TozMemoryData& spr = m_dm.SprKlzav();
    if (spr.active()) {
        asOwner(spr, [&] {
            spr.append();
            setEntry(spr, code, trimmed, statText(stat));
            spr.post();
            if (!spr.SortFields().isEmpty())
                spr.SortByFields(spr.SortFields(), true, false);
            locateCode(spr, code);
        });
    }
}

void TOwnPollutants::Change(int code, const QString& name, bool stat)
{
    CheckChangeable(code);
    checkName(name);
    const QString trimmed = name.trimmed();
    TozMemoryData& own = m_dm.OwnKlzav();
    if (!locateCode(own, code))
        throw TPollutantRefused(
            QStringLiteral("Вещества с кодом %1 нет в классификаторе").arg(code));
    own.edit();
    setEntry(own, code, trimmed, statText(stat));
    own.post();
    save();

    for (TozMemoryData* table : {&m_dm.KLZAV(), &m_dm.SprKlzav()}) {
        if (!locateCode(*table, code))
            continue;
        asOwner(*table, [&] {
            table->edit();
            setEntry(*table, code, trimmed, statText(stat));
            table->post();
        });
    }
    // Section 2 shows the name through its lookup column.
    if (m_dm.R2Table().active())
        m_dm.R2Table().refreshControls();
}

void TOwnPollutants::Remove(int code)
{
    CheckChangeable(code);
    TozMemoryData& own = m_dm.OwnKlzav();
    if (!locateCode(own, code))
        throw TPollutantRefused(
            QStringLiteral("Вещества с кодом %1 нет в классификаторе").arg(code));
    own.deleteRecord();
    save();

    for (TozMemoryData* table : {&m_dm.KLZAV(), &m_dm.SprKlzav()}) {
        if (!locateCode(*table, code))
            continue;
        asOwner(*table, [&] { table->deleteRecord(); });
    }
}

void MergeOwnPollutants(TozMemoryData& own, TozMemoryData& classifier)
{
    if (!own.active())
        own.open();
    const bool filtered = classifier.filtered();
    TControlsDisabler disabler(classifier);
    asOwner(classifier, [&] {
        // Use marks of the file must not hide a shipped code from the check below.
        classifier.setFiltered(false);
        runThenRestore(
            [&] {
                for (int i = 0; i < own.recordCount(); ++i) {
                    const int code = storedInt(own, i, kKDZV);
                    if (code <= 0 || classifier.locate(kKDZV, code))
                        continue; // the shipped list has it now: its entry counts
                    classifier.append();
                    setEntry(classifier, code, storedValue(own, i, kNAMEK).toString(),
                             storedValue(own, i, kSTAT).toString());
                    classifier.post();
                }
                if (!classifier.SortFields().isEmpty())
                    classifier.SortByFields(classifier.SortFields(), true, false);
            },
            [&] { classifier.setFiltered(filtered); });
        classifier.first();
    });
}
