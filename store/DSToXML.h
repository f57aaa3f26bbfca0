#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>

#include "Base64Coder.h"

class TDataSet;
class TozMemoryData;
class TozRowBuilder;

// The save mark: the writer writes a field with this Tag whatever its kind.
constexpr int SavedFieldTag = 128;

// Writes the records of the table visible under its filter, in record order,
// as a data packet file: its data fields and every field whose Tag is SavedFieldTag.
// The file is written aside and replaces the old one only when complete, so a
// failure leaves the previous file as it was. Fails (F2tpError) with
// "Неизвестный тип поля <component name>" before touching the file, and with
// "Не удается создать файл <file name>" when the file cannot be written, and
// (EDatabaseError) when a number is infinite or not a number, which the reader
// would refuse; errors of the table pass through. The table returns to its current record
// and its bound controls resume, also on error.
void WriteDataPacket(TDataSet& table, const QString& fileName);

// One element of a data packet file as the reader sees it. Names, the text and
// the attribute values of the header are Windows-1251 bytes; attribute values
// of rows are the raw bytes of the file, decoded by TDataPacket::ReadValue.
class TDPTag
{
public:
    QString name() const;
    QByteArrayView nameBytes() const { return span(m_name); }
    // A start tag (else an end tag).
    bool isStart() const { return m_start; }
    // An end tag, an empty element, or a start tag whose end tag was read.
    bool isComplete() const { return m_complete; }

    qsizetype attributeCount() const { return m_attributes.size(); }
    QString attributeName(qsizetype index) const;
    QByteArrayView attributeNameBytes(qsizetype index) const;
    QByteArrayView attributeBytes(qsizetype index) const;
    // An attribute's value by name, letter case ignored (Latin and Cyrillic).
    std::optional<QByteArrayView> attribute(QStringView name) const;
    std::optional<QByteArrayView> attributeByBytes(QByteArrayView cp1251Name) const;
    // A header attribute's value as text ("" when absent).
    QString value(QStringView name) const;

    // The text found before and between its children.
    QString text() const;
    const std::vector<TDPTag>& children() const { return m_children; }

    void clear();

private:
    friend class TDataPacket;

    struct Span
    {
        qsizetype offset = 0;
        qsizetype length = 0;
    };
    struct Attribute
    {
        Span name;
        Span value;
    };

    QByteArrayView span(Span s) const { return QByteArrayView(m_store).sliced(s.offset, s.length); }

    // The tag text followed by any converted names and values the spans point to.
    QByteArray m_store;
    Span m_name;
    bool m_start = false;
    bool m_complete = false;
    QList<Attribute> m_attributes;
    QByteArray m_text;
    std::vector<TDPTag> m_children;
};

// The streaming reader of data packet files. It holds one chunk of the file at
// a time and parses one row at a time, so a file of any size is read in the
// same memory. Every failure is an F2tpError with the program's message:
// "Ошибка открытия файла - <file name>", "Неверный формат файла" (also for a
// truncated or binary file, or an element too large for the file it is in),
// "Ошибка в MIME кодировке", "'%s' is not a valid integer value", or the
// conversion error of the table's field.
//
// Use: OpenPacket, then LoadInto(table); or FindFieldTag for the columns and
// NextRow/ReadValue until NextRow gives false. ClosePacket, SetPacketFile and
// OpenPacket read another file with the same reader.
class TDataPacket final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDataPacket)

public:
    static constexpr qsizetype ChunkSize = 1048576;

    // chunkSize other than ChunkSize only for tests of reading across chunks.
    TDataPacket(QObject* owner, const QString& fileName, qsizetype chunkSize = ChunkSize);
    ~TDataPacket() override;

    // Opens the file and reads the header: declaration, root, column list and
    // the start of the row section, all within the first chunk. Does nothing
    // once the header was read.
    void OpenPacket();
    // Reads the next row; false at the end of the row section (and afterwards).
    bool NextRow();
    // The FIELD element whose "attrname" equals name exactly; nullptr when none.
    const TDPTag* FindFieldTag(QStringView name) const;
    // The current row's value for a column, converted by the column's type:
    // "" for an unknown column or a row without that attribute.
    QString ReadValue(QStringView fieldName) const;
    // Appends every remaining row to the table; see the source for the rules.
    void LoadInto(TDataSet& table);
    // Closes an open file and takes a new name; the header flag stays as it is.
    void SetPacketFile(const QString& fileName);
    // Back to the initial state with no file name.
    void ClosePacket();

    QString fileName() const { return m_fileName; }
    XmlEncoding encoding() const { return m_encoding; }
    bool headerRead() const { return m_headerRead; }
    const TDPTag& rootTag() const { return m_root; }
    const TDPTag& fieldsTag() const { return m_fields; }
    const TDPTag& rowTag() const { return m_row; }

private:
    class RowColumns;
    struct UsedColumn;
    enum class ColumnKind
    {
        Text,
        Number,
        Date,
        DateTime,
        Binary,
        Other,
    };

    [[noreturn]] void formatError() const;
    void readChunk();
    bool readTo(char delimiter, QByteArray* out);
    void charge(qsizetype bytes);
    void parseElement(TDPTag& token, int depth);
    void parseTag(TDPTag& token);
    void storeName(TDPTag& token, TDPTag::Span& span);
    void appendText(TDPTag& token, QByteArrayView raw);
    void resetReadState();
    QString convertValue(QByteArrayView raw, ColumnKind kind) const;
    // The value a field would store for a raw row value through its text conversion.
    QVariant storedValue(const UsedColumn& column, QByteArrayView raw) const;
    void loadThroughFields(TDataSet& table, const std::vector<UsedColumn>& used,
                           RowColumns& columns);
    static bool canLoadStraight(const TozMemoryData& table, const std::vector<UsedColumn>& used);
    void loadStraight(TozMemoryData& table, const std::vector<UsedColumn>& used,
                      RowColumns& columns);
    static bool storeNumber(TozRowBuilder& row, const UsedColumn& column, QByteArrayView raw);
    static void storeText(TozRowBuilder& row, int slot, QByteArrayView cp1251, int size);
    static ColumnKind columnKind(const TDPTag& field);

    QString m_fileName;
    QFile m_file;
    qsizetype m_chunkSize;
    QByteArray m_buffer;
    // Index of the current character in the chunk; -1 before its first.
    qsizetype m_pos = -1;
    char m_current = 0;
    bool m_eof = false;
    bool m_inRows = false;
    bool m_headerRead = false;
    // While the column list is parsed no further chunk may be read.
    bool m_headerOnly = false;
    XmlEncoding m_encoding = XmlEncoding::Utf8;
    // What one element may take in memory: the file's size, at least MinBudget.
    qint64 m_budget = 0;
    qint64 m_budgetLeft = 0;
    QByteArray m_scratch;
    TDPTag m_root;
    TDPTag m_fields;
    TDPTag m_row;
};
