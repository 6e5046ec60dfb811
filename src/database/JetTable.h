#pragma once

// One table of a JetFile: walks its rows in page order and reads or changes
// one value of the current row in place, on the pages that hold it (the row's
// data page, and the long-value pages of a memo).
//
// A change never alters a value's stored length: it rewrites the bytes of the
// characters that differ, or turns a NULL text into an empty one through the
// row's null mask. Anything else is refused with a CDaoException before a byte
// is written, leaving the row as it was.
#include "database/JetFile.h"

#include <optional>

namespace jet {

class JetTable
{
public:
    JetTable(JetFile& file, const QString& name); // throws when absent or damaged
    JetTable(JetFile& file, TableDef definition);
    ~JetTable();

    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    const TableDef& Definition() const { return m_def; }
    int FindColumn(const QString& name) const; // without regard to case; -1 when absent

    void Rewind();
    // Moves to the next row; false after the last. Deleted rows are passed
    // over, rows moved to another page are followed there.
    bool Next();
    qint64 RowOrdinal() const { return m_ordinal; } // 1 for the first row

    std::optional<QString> Value(int column); // no value for NULL
    void Store(int column, const QString& text);

    // Writes the page that holds changes not yet written.
    void Flush();

private:
    struct Field;
    struct Segment {
        uint32_t page;
        int offset;
        int size;
    };
    struct Decoded;

    bool LoadNextPage();
    bool NextPageNumber(uint32_t& page);
    bool IsOwnDataPage(const uint8_t* page) const;
    bool LocateRow(uint16_t slot);
    Field Locate(const ColumnDef& column) const;
    const Decoded& Decode(int column);
    void ReadMemo(const Field& field, Decoded& out);
    const uint8_t* LongValueRow(uint32_t pointer, int& start, int& size);
    void Apply(const Decoded& decoded, const std::vector<BytePatch>& patches);
    void PatchPage(uint32_t page, const std::vector<std::pair<int, uint8_t>>& bytes);
    uint8_t* PageBuffer(uint32_t page);
    [[noreturn]] void Damaged(const QString& what) const;
    [[noreturn]] void Refuse(const ColumnDef& column, const QString& text,
                             const QString& why) const;

    JetFile& m_file;
    TableDef m_def;
    int m_pageSize;
    int m_rowCountOffset;

    // Walking the usage map.
    size_t m_mapBit = 0;
    size_t m_mapEntry = 0;
    std::vector<uint8_t> m_mapPage;
    uint32_t m_mapPageNumber = 0;

    // The data page being walked, and the page a moved row lives on.
    std::vector<uint8_t> m_page;
    uint32_t m_pageNumber = 0;
    bool m_pageLoaded = false;
    bool m_dirty = false;
    int m_slot = -1;
    int m_rowCount = 0;
    std::vector<uint8_t> m_moved;
    uint32_t m_movedNumber = 0;
    std::vector<uint8_t> m_longValue;

    // The current row.
    bool m_onRow = false;
    qint64 m_ordinal = 0;
    uint32_t m_rowPage = 0;
    uint8_t* m_row = nullptr; // the page holding it
    int m_rowStart = 0;
    int m_rowEnd = 0; // one past its last byte

    std::unique_ptr<Decoded> m_decoded;
};

} // namespace jet
