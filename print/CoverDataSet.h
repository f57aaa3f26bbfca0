#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QStringList>

#include "RepDSIntf.h"

class TDataSet;
class TField;

// One field of a covered table as IRepField. Not counted: AddRef and Release
// do nothing and give -1; it lives until its data set adapter is destroyed.
// The text it hands out lives in its buffer until its next text request.
class TCoverField final : public IRepField
{
public:
    TCoverField(TField& field, int tag);
    ~TCoverField() override = default;
    Q_DISABLE_COPY_MOVE(TCoverField)

    bool QueryInterface(const QUuid& iid, void** object) override;
    long AddRef() override { return -1; }
    long Release() override { return -1; }

    const char* GetText() override;
    int GetTextLength(const char** text) override;
    const char* GetLabel() override;
    int GetTag() override { return m_tag; }
    const char* GetName() override;

    TField& field() const { return m_field; }

private:
    int m_tag;
    TField& m_field;
    // The last text handed out, with its terminating zero; length in m_length.
    std::unique_ptr<char[]> m_buffer;
    int m_length = 0;
    QByteArray m_label;
    QByteArray m_name;
};

// A table of the program as IRepDataSet. Created with no reference; the
// receiver's AddRef makes the first, the last Release destroys it. When it
// owns the table, destroying it destroys the table (which must then have been
// created with new).
class TCoverDataSet final : public IRepDataSet
{
public:
    TCoverDataSet(TDataSet& table, int tag, bool ownsTable);
    Q_DISABLE_COPY_MOVE(TCoverDataSet)

    bool QueryInterface(const QUuid& iid, void** object) override;
    long AddRef() override;
    long Release() override;

    const char* GetFieldText(const char* name) override;
    const char* GetFieldLabel(const char* name) override;
    void* GetReserved() override { return nullptr; }
    int GetTag() override { return m_tag; }
    void SetTag(int value) override { m_tag = value; }
    void AddDetail(IRepDataSet* detail) override;
    void Refresh() override;
    void SetMaster(IRepDataSet* master) override;
    bool Next() override;
    void Open() override;
    bool Eof() override;
    void First() override;
    void FindField(const char* name, IRepField** field) override;
    bool MasterChanged() override;
    bool NextDiffers(const char* name, const char* value) override;
    void GetMaster(IRepDataSet** master) override;
    bool DetailsEof() override;
    int DetailCount() override;
    void GetDetail(int index, IRepDataSet** detail) override;
    int GetFieldTextLength(const char* name) override;

    // The field adapters created so far, in creation order.
    int cachedFieldCount() const { return int(m_fields.size()); }
    // The name=value entries of the last MasterChanged.
    const QStringList& parameters() const { return m_params; }

private:
    ~TCoverDataSet() override;
    TCoverField* findField(const char* name);
    IRepParams* tableParams() const;
    void applyParams();
    void refreshDetails();

    std::atomic<long> m_count{0};
    TDataSet* m_table;
    int m_tag;
    std::vector<std::unique_ptr<TCoverField>> m_fields;
    TRepRef<IRepDataSet> m_master;
    std::unique_ptr<std::vector<TRepRef<IRepDataSet>>> m_details;
    QStringList m_params;
    bool m_ownsTable;
    QByteArray m_label;
};
