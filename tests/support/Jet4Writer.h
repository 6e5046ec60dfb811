#pragma once

// Writes Jet 4 (Access 2000-2003) database files for tests and benchmarks: a
// catalog and user tables with long, text and memo columns, any number of
// rows, streamed page by page, and an index on any column whose key the
// writer can make (see Column::indexed). libmdb and mdb-export read them; Access itself
// would miss its other system tables. The output depends only on the calls
// made, so the same calls give the same bytes.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace jet4 {

enum class Type { Long, Text, Memo };

// Where a memo's text is stored: after its header in the row, on one
// long-value row, or on a chain of long-value rows.
enum class MemoPlace { Auto, Inline, OneRow, Chain };

struct Column {
    QString name;
    Type type = Type::Text;
    int maxChars = 255;
    bool compressed = true; // values that get shorter are stored compressed
    MemoPlace memo = MemoPlace::Auto;
    int chainPiece = 0; // bytes per row of a chain (0: as many as fit)
    // An ascending index of its own, written with an entry per row. Text keys
    // are made for digits, ASCII letters, space and \ : . only (in General
    // order, case folded); a row with another character throws
    // std::logic_error.
    bool indexed = false;
};

struct Value {
    Value() = default; // NULL
    Value(const char* utf8) : null(false), text(QString::fromUtf8(utf8)) {}
    Value(const QString& value) : null(false), text(value) {}
    Value(int n) : null(false), number(n) {}
    static Value Null() { return Value(); }

    bool null = true;
    QString text;
    qint32 number = 0;
};

enum class RowKind {
    Live,
    Deleted, // left on the page, flagged as deleted
    Moved,   // stored on another page, reached through a pointer in its place
};

class Writer
{
public:
    explicit Writer(const QString& path); // throws std::runtime_error
    ~Writer();

    // Tables come before any row. A row with fewer values than the table has
    // columns was stored before the later columns were added: it holds no
    // place for them, and reads them as NULL.
    int AddTable(const QString& name, const std::vector<Column>& columns);
    void AddRow(int table, const std::vector<Value>& values, RowKind kind = RowKind::Live);
    // The table's properties as its catalog row stores them (Access's KKD
    // block; the writer stores none unless told).
    void SetProperties(int table, const QByteArray& properties);
    // Marks the database as encoded (its pages are not actually encoded).
    void SetEncodingKey(uint32_t key);
    void Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

struct TableData {
    QString name;
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

void WriteDatabase(const QString& path, const std::vector<TableData>& tables);

// A text as Jet 4 stores it: UCS-2, or FF FE and the compressed form when
// compress is set and that is shorter.
std::vector<uint8_t> EncodeText(const QString& text, bool compress);

// Whether the writer can make an index key for text.
bool CanKey(const QString& text);

} // namespace jet4
