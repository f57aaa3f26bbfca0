#pragma once

#include <functional>
#include <initializer_list>
#include <ostream>

#include <QString>
#include <QStringList>

#include "Errors.h"
#include "FormatSettings.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozDataSet.h"

namespace storetest {

inline QStringList names(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* name : list)
        result << QString::fromUtf8(name);
    return result;
}

// The message of the F2tpError the action throws, or a marker when it throws none.
inline QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const F2tpError& e) {
        return e.message();
    } catch (const EAbort&) {
        return QStringLiteral("<abort>");
    }
    return QStringLiteral("<no error>");
}

// Sets the locale's decimal separator for a test.
class DecimalSeparator
{
public:
    explicit DecimalSeparator(QChar separator)
        : m_saved(FormatSettings::decimalSeparator())
    {
        FormatSettings::setDecimalSeparator(separator);
    }
    ~DecimalSeparator() { FormatSettings::setDecimalSeparator(m_saved); }
    Q_DISABLE_COPY_MOVE(DecimalSeparator)

private:
    QChar m_saved;
};

// Records every table event by name, in order.
class EventLog
{
public:
    void attach(TDataSet& t)
    {
        const auto rec = [this](const char* name) {
            return [this, name](TDataSet&) {
                events << QString::fromLatin1(name);
            };
        };
        t.BeforeOpen = rec("BeforeOpen");
        t.AfterOpen = rec("AfterOpen");
        t.BeforeClose = rec("BeforeClose");
        t.AfterClose = rec("AfterClose");
        t.BeforeInsert = rec("BeforeInsert");
        t.AfterInsert = rec("AfterInsert");
        t.BeforeEdit = rec("BeforeEdit");
        t.AfterEdit = rec("AfterEdit");
        t.BeforePost = rec("BeforePost");
        t.AfterPost = rec("AfterPost");
        t.BeforeCancel = rec("BeforeCancel");
        t.AfterCancel = rec("AfterCancel");
        t.BeforeDelete = rec("BeforeDelete");
        t.AfterDelete = rec("AfterDelete");
        t.BeforeScroll = rec("BeforeScroll");
        t.AfterScroll = rec("AfterScroll");
        t.OnNewRecord = rec("OnNewRecord");
    }
    QStringList take()
    {
        QStringList result = events;
        events.clear();
        return result;
    }
    QStringList events;
};

// Records notifications to bound controls.
class LinkRecorder : public IDataLink
{
public:
    LinkRecorder() = default;
    ~LinkRecorder() override
    {
        if (m_table)
            m_table->removeDataLink(this);
    }
    Q_DISABLE_COPY_MOVE(LinkRecorder)
    void attach(TDataSet& table)
    {
        m_table = &table;
        table.addDataLink(this);
    }
    void dataSetDestroyed() override { m_table = nullptr; }
    void dataSetChanged() override { events << QStringLiteral("dataSetChanged"); }
    void recordScrolled() override { events << QStringLiteral("recordScrolled"); }
    void recordChanged() override { events << QStringLiteral("recordChanged"); }
    void fieldChanged(TField& field) override
    {
        events << QStringLiteral("fieldChanged:") + field.fieldName();
    }
    void stateChanged() override { events << QStringLiteral("stateChanged"); }
    void layoutChanged() override { events << QStringLiteral("layoutChanged"); }
    void updateData() override
    {
        events << QStringLiteral("updateData");
        if (pending)
            pending();
    }
    void focusField(TField& field) override
    {
        events << QStringLiteral("focusField:") + field.fieldName();
    }
    QStringList take()
    {
        QStringList result = events;
        events.clear();
        return result;
    }
    QStringList events;
    // What the control's open editor writes when asked.
    std::function<void()> pending;

private:
    TDataSet* m_table = nullptr;
};

// Captures what the store shows the user while installed.
using RecordingUi = TScriptedUserInterface;

} // namespace storetest

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toUtf8().constData() << '"';
}
