#pragma once

#include <QString>
#include <QUuid>

// The report engine's interfaces as the program uses them. Each begins with
// the three reference-counting operations of the component object model.
// Texts are zero-terminated Windows-1251 strings; file paths are not texts and
// come as they are, whatever characters the folder names hold. Errors are exceptions
// (F2tpError) carrying their message. Out parameters that are counted
// references come with a reference the caller releases.

class IRepDataSet;

class IRepUnknown
{
public:
    // Gives this object as the interface of the identifier, with a reference
    // added; false (and null) when it has no such interface.
    virtual bool QueryInterface(const QUuid& iid, void** object) = 0;
    virtual long AddRef() = 0;
    virtual long Release() = 0;

protected:
    virtual ~IRepUnknown() = default;
};

// One sheet of a loaded template. Rows and columns count from 1; row -1 is
// the last row.
class IRepSheet : public IRepUnknown
{
public:
    static QUuid iid() { return QUuid::fromString(u"{3F0C9A52-6D1F-4E87-90C3-1175B2E4D6A8}"); }

    // Valid until the next GetCellText on this sheet.
    virtual const char* GetCellText(int column, int row) = 0;
    virtual void SetCellText(int column, int row, const char* text) = 0;
    // Inserts a copy of the source row's layout and texts before the
    // destination row (-1: after the last row); returns the new row's number.
    // The copy is always printed, also when the source is a model row.
    virtual int CopyRow(int destination, int source) = 0;
    // The row's height in 0.01 mm.
    virtual int GetRowValue(int row) = 0;
    virtual void SetRowValue(int row, int value) = 0;
    // A page break after the row (true) or none (false).
    virtual void SetRowFlag(int row, bool flag) = 0;
    // Rows were added and filled.
    virtual void Refresh() = 0;
};

class IRepReport : public IRepUnknown
{
public:
    static QUuid iid() { return QUuid::fromString(u"{8F3A2C17-6B4E-4D21-A093-2C7E510BD46F}"); }

    // Lays the sheets out on pages.
    virtual void Prepare() = 0;
    // Loads a template file; variables set before stay. The mode is kept
    // for the interface and has no effect in this engine.
    virtual void LoadTemplate(const QString& path, int mode) = 0;
    // The sheet of the index (0: the first), with a reference; null when none.
    virtual void GetSheet(int index, IRepSheet** sheet) = 0;
    // Every cell naming {name} shows the value.
    virtual void SetVariable(const char* name, const char* value) = 0;
    // Presents the report (prepared first when it is not).
    virtual void ShowReport() = 0;
    // Keeps a counted reference to the data set for the report's lifetime.
    virtual void AddDataSet(IRepDataSet* dataSet) = 0;
};

// A counted reference to an interface: adds one when copied, releases its own
// when destroyed. Taking an out parameter: ref.put() gives the slot to fill.
template <class T> class TRepRef
{
public:
    TRepRef() = default;
    explicit TRepRef(T* object)
        : m_object(object)
    {
        if (m_object)
            m_object->AddRef();
    }
    TRepRef(const TRepRef& other)
        : TRepRef(other.m_object)
    {
    }
    TRepRef& operator=(const TRepRef& other)
    {
        TRepRef copy(other);
        std::swap(m_object, copy.m_object);
        return *this;
    }
    ~TRepRef() { reset(); }

    void reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }
    T** put()
    {
        reset();
        return &m_object;
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
