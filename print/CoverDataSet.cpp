#include "CoverDataSet.h"

#include <cstring>

#include "Cp1251.h"
#include "ozDataSet.h"
#include "ozField.h"

namespace {

const char kEmpty[] = "";

} // namespace

TCoverField::TCoverField(TField& field, int tag)
    : m_tag(tag)
    , m_field(field)
{
}

bool TCoverField::QueryInterface(const QUuid& iid, void** object)
{
    *object = iid == IRepField::iid() ? static_cast<IRepField*>(this) : nullptr;
    return *object != nullptr;
}

const char* TCoverField::GetText()
{
    const QByteArray text =
        Cp1251::encode(m_field.isBlob() ? m_field.asString() : m_field.editText());
    // A fresh block for each text, so that the previous one is gone as documented.
    m_length = int(text.size());
    m_buffer = std::make_unique<char[]>(std::size_t(m_length) + 1);
    std::memcpy(m_buffer.get(), text.constData(), std::size_t(m_length));
    return m_buffer.get();
}

int TCoverField::GetTextLength(const char** text)
{
    *text = GetText();
    return m_length;
}

const char* TCoverField::GetLabel()
{
    const QString label = m_field.displayLabel();
    m_label = Cp1251::encode(label.isEmpty() ? m_field.fieldName() : label);
    return m_label.constData();
}

const char* TCoverField::GetName()
{
    m_name = Cp1251::encode(m_field.fieldName());
    return m_name.constData();
}

TCoverDataSet::TCoverDataSet(TDataSet& table, int tag, bool ownsTable)
    : m_table(&table)
    , m_tag(tag)
    , m_ownsTable(ownsTable)
{
}

TCoverDataSet::~TCoverDataSet()
{
    m_fields.clear();
    m_details.reset();
    m_master.reset();
    m_params.clear();
    if (m_ownsTable)
        delete m_table;
}

bool TCoverDataSet::QueryInterface(const QUuid& iid, void** object)
{
    if (iid == IRepDataSet::iid()) {
        *object = static_cast<IRepDataSet*>(this);
        AddRef();
        return true;
    }
    *object = nullptr;
    return false;
}

long TCoverDataSet::AddRef()
{
    return ++m_count;
}

long TCoverDataSet::Release()
{
    const long count = --m_count;
    if (count == 0)
        delete this;
    return count;
}

TCoverField* TCoverDataSet::findField(const char* name)
{
    const QString wanted = Cp1251::decode(QByteArray(name));
    // Cached names are compared exactly with the upper-cased request, so a
    // field whose name has lower-case letters gets a new adapter every time.
    const QString upper = wanted.toUpper();
    for (const auto& field : m_fields)
        if (field->field().fieldName() == upper)
            return field.get();
    TField* field = m_table->findField(wanted);
    if (!field)
        return nullptr;
    m_fields.push_back(std::make_unique<TCoverField>(*field, m_tag));
    return m_fields.back().get();
}

void TCoverDataSet::FindField(const char* name, IRepField** field)
{
    *field = findField(name);
}

const char* TCoverDataSet::GetFieldText(const char* name)
{
    TCoverField* field = findField(name);
    return field ? field->GetText() : kEmpty;
}

const char* TCoverDataSet::GetFieldLabel(const char* name)
{
    TCoverField* field = findField(name);
    if (field)
        return field->GetLabel();
    m_label = QByteArray(name);
    return m_label.constData();
}

int TCoverDataSet::GetFieldTextLength(const char* name)
{
    TCoverField* field = findField(name);
    const char* text = nullptr;
    return field ? field->GetTextLength(&text) : 0;
}

void TCoverDataSet::AddDetail(IRepDataSet* detail)
{
    if (!m_details)
        m_details = std::make_unique<std::vector<TRepRef<IRepDataSet>>>();
    m_details->emplace_back(detail);
    detail->SetMaster(this);
}

void TCoverDataSet::SetMaster(IRepDataSet* master)
{
    m_master = TRepRef<IRepDataSet>(master);
}

void TCoverDataSet::GetMaster(IRepDataSet** master)
{
    *master = m_master.get();
    if (*master)
        (*master)->AddRef();
}

IRepParams* TCoverDataSet::tableParams() const
{
    return dynamic_cast<IRepParams*>(m_table);
}

void TCoverDataSet::applyParams()
{
    IRepParams* params = tableParams();
    if (!params)
        return;
    for (const QString& entry : m_params) {
        const qsizetype at = entry.indexOf(QLatin1Char('='));
        params->SetValue(Cp1251::encode(entry.left(at)).constData(),
                         Cp1251::encode(entry.mid(at + 1)).constData());
    }
}

bool TCoverDataSet::MasterChanged()
{
    if (!m_master)
        return false;
    m_params.clear();
    if (IRepParams* params = tableParams()) {
        for (int i = 0; i < params->Count(); ++i) {
            const char* name = nullptr;
            const char* value = nullptr;
            params->GetName(i, &name);
            const QString nameText = Cp1251::decode(QByteArray(name));
            params->GetValue(i, &value);
            m_params.append(nameText + QLatin1Char('=') + Cp1251::decode(QByteArray(value)));
        }
    }
    bool changed = false;
    for (QString& entry : m_params) {
        const qsizetype at = entry.indexOf(QLatin1Char('='));
        const QString name = entry.left(at);
        IRepField* field = nullptr;
        m_master->FindField(Cp1251::encode(name).constData(), &field);
        if (!field)
            continue;
        const QString text = Cp1251::decode(QByteArray(field->GetText()));
        if (text != entry.mid(at + 1)) {
            entry = name + QLatin1Char('=') + text;
            changed = true;
        }
    }
    return changed;
}

void TCoverDataSet::refreshDetails()
{
    if (!m_details)
        return;
    for (const TRepRef<IRepDataSet>& detail : *m_details)
        if (detail->MasterChanged())
            detail->Refresh();
}

void TCoverDataSet::Refresh()
{
    applyParams();
    if (m_table->active()) {
        if (IRepParams* params = tableParams()) {
            params->Refresh();
        } else {
            m_table->close();
            m_table->open();
        }
    } else {
        m_table->open();
    }
    refreshDetails();
}

bool TCoverDataSet::Next()
{
    m_table->next();
    const bool end = m_table->eof();
    if (!end)
        refreshDetails();
    return end;
}

void TCoverDataSet::Open()
{
    if (MasterChanged())
        applyParams();
    if (!m_table->active())
        m_table->open();
}

bool TCoverDataSet::Eof()
{
    return m_table->eof();
}

void TCoverDataSet::First()
{
    m_table->first();
}

bool TCoverDataSet::NextDiffers(const char* name, const char* value)
{
    if (m_table->eof())
        return false;
    m_table->next();
    if (m_table->eof())
        return false;
    bool differs = false;
    if (TField* field = m_table->findField(Cp1251::decode(QByteArray(name))))
        differs = Cp1251::encode(field->asString()) != QByteArray(value);
    m_table->prior();
    return differs;
}

bool TCoverDataSet::DetailsEof()
{
    if (!m_details)
        return true;
    for (const TRepRef<IRepDataSet>& detail : *m_details)
        if (!detail->Eof())
            return false;
    return true;
}

int TCoverDataSet::DetailCount()
{
    return m_details ? int(m_details->size()) : 0;
}

void TCoverDataSet::GetDetail(int index, IRepDataSet** detail)
{
    *detail = nullptr;
    if (!m_details || index < 0 || index >= int(m_details->size()))
        return;
    *detail = (*m_details)[std::size_t(index)].get();
    (*detail)->AddRef();
}
