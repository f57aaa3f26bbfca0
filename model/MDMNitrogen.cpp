// The nitrogen oxide tables: each typed value is stored through the field's
// own conversion, then capped and balanced against the totals. Nothing here is rounded.
#include "MDM.h"

#include "ozField.h"

namespace {

double valueOf(TDataSet& table, const char* name)
{
    return table.fieldByName(QString::fromLatin1(name)).asFloat();
}

void setValue(TDataSet& table, const char* name, double value)
{
    table.fieldByName(QString::fromLatin1(name)).setAsFloat(value);
}

} // namespace

void TDM::NOR1TableC2SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
    TDataSet& t = sender.dataSet();
    const double total = valueOf(t, "C7");
    if (valueOf(t, "C2") > total)
        setValue(t, "C2", total);
    setValue(t, "C4", total - valueOf(t, "C2") + valueOf(t, "C5"));
}

void TDM::NOR1TableC3SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
    TDataSet& t = sender.dataSet();
    if (valueOf(t, "C3") > valueOf(t, "C2"))
        setValue(t, "C3", valueOf(t, "C2"));
}

void TDM::NOR1TableC6SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
    TDataSet& t = sender.dataSet();
    if (valueOf(t, "C6") > valueOf(t, "C5"))
        setValue(t, "C6", valueOf(t, "C5"));
}

void TDM::NOR5TableC3SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
    TDataSet& t = sender.dataSet();
    const double total = valueOf(m_nor1Table, "C7");
    if (valueOf(t, "C3") > total)
        setValue(t, "C3", total);
    setValue(t, "C4", total - valueOf(t, "C3"));
}

void TDM::NOR5TableC4SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
    TDataSet& t = sender.dataSet();
    const double total = valueOf(m_nor1Table, "C7");
    if (valueOf(t, "C4") > total)
        setValue(t, "C4", total);
    setValue(t, "C3", total - valueOf(t, "C4"));
}
