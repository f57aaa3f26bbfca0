#pragma once

#include "ReportIntf.h"

// The table interfaces the report engine reads: a data set, its fields and
// the optional parameters of a table. Texts are zero-terminated
// Windows-1251 strings that stay valid as each operation says.

class IRepField : public IRepUnknown
{
public:
    static QUuid iid() { return QUuid::fromString(u"{E6287DAE-9CCB-4E83-9F49-202770F8DB1C}"); }

    // The field's text in the current record; valid until the next text
    // request on this field.
    virtual const char* GetText() = 0;
    // The same text, and its length in bytes.
    virtual int GetTextLength(const char** text) = 0;
    virtual const char* GetLabel() = 0;
    virtual int GetTag() = 0;
    virtual const char* GetName() = 0;
};

class IRepDataSet : public IRepUnknown
{
public:
    static QUuid iid() { return QUuid::fromString(u"{EF86CC2A-D915-4A0B-870E-F9571EE8D52C}"); }

    virtual const char* GetFieldText(const char* name) = 0;
    virtual const char* GetFieldLabel(const char* name) = 0;
    virtual void* GetReserved() = 0;
    virtual int GetTag() = 0;
    virtual void SetTag(int value) = 0;
    virtual void AddDetail(IRepDataSet* detail) = 0;
    virtual void Refresh() = 0;
    virtual void SetMaster(IRepDataSet* master) = 0;
    virtual bool Next() = 0;
    virtual void Open() = 0;
    virtual bool Eof() = 0;
    virtual void First() = 0;
    // Not counted (field adapters live as long as their data set adapter).
    virtual void FindField(const char* name, IRepField** field) = 0;
    virtual bool MasterChanged() = 0;
    virtual bool NextDiffers(const char* name, const char* value) = 0;
    virtual void GetMaster(IRepDataSet** master) = 0;
    virtual bool DetailsEof() = 0;
    virtual int DetailCount() = 0;
    virtual void GetDetail(int index, IRepDataSet** detail) = 0;
    virtual int GetFieldTextLength(const char* name) = 0;
};

// Parameters a table may offer; the texts it gives stay valid until its next call.
class IRepParams : public IRepUnknown
{
public:
    static QUuid iid() { return QUuid::fromString(u"{CA548631-B374-4A18-A747-8763C659C5F0}"); }

    virtual int Count() = 0;
    virtual void GetName(int index, const char** name) = 0;
    virtual void GetValue(int index, const char** value) = 0;
    virtual void GetReserved() = 0;
    virtual void SetValue(const char* name, const char* value) = 0;
    // Re-runs the table with the current values.
    virtual void Refresh() = 0;
};
