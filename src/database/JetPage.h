#pragma once

// Pages as the row writer changes them: the row table of a data or
// long-value page, and the usage maps that list a table's pages.
//
// Rows fill a page from its end, each ending where the row before it starts,
// so a row that grows or shrinks moves the rows after it; their numbers stay,
// which keeps index entries and forwarding pointers valid. The page's free
// space figure is the gap between the row table and the lowest row.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jet {

constexpr uint16_t kDeletedRow = 0x8000;
constexpr uint16_t kMovedRow = 0x4000; // the row holds a pointer to where it lives now
constexpr uint16_t kOffsetMask = 0x1FFF;
constexpr int kMaxRowsPerPage = 255; // a row pointer keeps one byte for the row

inline uint16_t GetU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// A page the writer needs makes no sense; the table reports it as damage.
struct PageDamage {
    uint32_t page;
};

// Where a page comes from and goes to. The table routes the page it is
// walking to its own buffer, so that no change is lost between the two.
class PageStore
{
public:
    virtual ~PageStore() = default;
    virtual int PageSize() const = 0;
    virtual bool IsJet3() const = 0;
    virtual void Read(uint32_t page, std::vector<uint8_t>& buffer) = 0;
    virtual void Write(uint32_t page, const std::vector<uint8_t>& buffer) = 0;
    virtual uint32_t Append(const std::vector<uint8_t>& buffer) = 0;
};

// The row table of one data or long-value page held in memory.
class PageRows
{
public:
    PageRows(uint8_t* page, int pageSize, bool jet3);

    int Count() const;
    uint16_t Entry(int row) const; // offset with flags
    void SetFlags(int row, uint16_t flags);
    bool Bounds(int row, int& start, int& end) const;
    int FreeSpace() const;
    // Whether the rows lie from the page's end down, each where the one before
    // it starts: the only layout the writer changes.
    bool IsOrdered() const;
    // Gives row a new size, moving the rows after it; returns where it starts
    // now, or -1 when the page lacks the room (nothing changed then).
    int Resize(int row, int size);
    // Adds a row with these bytes; returns its number, or -1 without room.
    int Add(const uint8_t* bytes, int size, uint16_t flags);
    bool HasRoomFor(int size) const;

private:
    int TableEnd() const;
    int LowestStart() const;
    void UpdateFreeSpace();

    uint8_t* m_page;
    int m_pageSize;
    int m_countOffset;
};

// A fresh, empty data page of the table whose definition is on owner, or a
// long-value page when owner is 0.
std::vector<uint8_t> NewRowPage(int pageSize, bool jet3, uint32_t owner);

// A table's usage map row, named by a row pointer (page << 8 | row): inline
// (type 0, a bitmap from a start page) or by reference (type 1, a list of
// bitmap pages). Adding a page beyond an inline map's reach slides the map,
// or turns it into a reference map, as the engine does.
class UsageMapWriter
{
public:
    UsageMapWriter(PageStore& store, uint32_t pointer);

    bool Contains(uint32_t page);
    void Add(uint32_t page);
    void Remove(uint32_t page);
    // The pages listed, in order.
    std::vector<uint32_t> Pages();

private:
    void Load();
    void Save();
    void SetBit(uint32_t page, bool on);
    void Promote(const std::vector<uint32_t>& pages);
    uint8_t* Row() { return &m_page[std::size_t(m_start)]; }
    int RowSize() const { return m_end - m_start; }

    PageStore& m_store;
    uint32_t m_pointer;
    std::vector<uint8_t> m_page;
    int m_start = 0;
    int m_end = 0;
};

} // namespace jet
