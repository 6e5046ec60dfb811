#pragma once

// One table of a JetFile: walks its rows in page order and reads or changes
// one text or memo value of the current row.
//
// A value of the same stored length is changed in place, byte by byte (a NULL
// text becomes an empty one through the row's null mask). Any other change
// writes the row again, with the table's present columns: in its own page
// while that has room, moving the rows after it; otherwise on another page of
// the table (a new one when none has room), leaving a forwarding pointer
// where it was, so that it keeps its number. A memo's text goes inline, on one
// long-value row or on a chain of them, as the engine would place it. What
// cannot be stored is refused with a CDaoException before a byte is written.
#include "database/JetFile.h"
#include "database/JetPage.h"

#include <optional>

namespace jet {

class JetTable : private PageStore
{
public:
    JetTable(JetFile& file, const QString& name); // throws when absent or damaged
    JetTable(JetFile& file, TableDef definition);
    ~JetTable() override;

    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    const TableDef& Definition() const { return m_def; }
    int FindColumn(const QString& name) const; // without regard to case; -1 when absent

    void Rewind();
    // Moves to the next row; false after the last. Deleted rows are passed
    // over, rows moved to another page are followed there.
    bool Next();
    qint64 RowOrdinal() const { return m_ordinal; } // 1 for the first row
    // The current row's home address, which index entries name: the page and
    // row number it was first stored at, even when it now lives elsewhere.
    uint32_t RowPage() const { return m_pageNumber; }
    int RowSlot() const { return m_slot; }

    std::optional<QString> Value(int column); // no value for NULL
    // The stored bytes of any column's value: a fixed column's bytes, a text's
    // encoded bytes, a memo's text bytes wherever they lie; no value for NULL
    // (a yes/no column, kept in the null mask: empty bytes for yes).
    std::optional<QByteArray> RawValue(int column);
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
    void Rewrite(int column, const QString& text);
    void RewriteRow(int column, const QString& text);
    std::vector<uint8_t> MemoValue(const ColumnDef& c, const std::vector<uint8_t>& text,
                                   bool inlineFits);
    uint32_t AddLongValueRow(const ColumnDef& c, const std::vector<uint8_t>& row);
    void FreeLongValues(const std::vector<uint32_t>& rows);
    void PlaceRow(const std::vector<uint8_t>& row);
    uint32_t AddRowElsewhere(const std::vector<uint8_t>& row, uint32_t avoid);
    uint32_t LastPageWithRoom(int size, uint32_t avoid);
    uint32_t NewDataPage();
    void Relocate();

    // Pages as the row writer reads and writes them.
    int PageSize() const override { return m_pageSize; }
    bool IsJet3() const override { return m_file.IsJet3(); }
    void Read(uint32_t page, std::vector<uint8_t>& buffer) override;
    void Write(uint32_t page, const std::vector<uint8_t>& buffer) override;
    uint32_t Append(const std::vector<uint8_t>& buffer) override;
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
    int m_rowSlot = 0;
    uint8_t* m_row = nullptr; // the page holding it
    int m_rowStart = 0;
    int m_rowEnd = 0; // one past its last byte

    std::unique_ptr<Decoded> m_decoded;

    // Where rows that leave their page and new long values go next.
    uint32_t m_spillPage = 0;
    bool m_spillSearched = false;
    uint32_t m_longValuePage = 0;
};

} // namespace jet
