#include "database/JetPage.h"

#include <algorithm>
#include <cstring>

namespace jet {
namespace {

constexpr uint8_t kInlineMap = 0;
constexpr uint8_t kReferenceMap = 1;
constexpr uint8_t kMapPageType = 0x05;
constexpr int kMapPageData = 4; // a bitmap page's bits start after its header

} // namespace

PageRows::PageRows(uint8_t* page, int pageSize, bool jet3)
    : m_page(page), m_pageSize(pageSize), m_countOffset(jet3 ? 8 : 12)
{
}

int PageRows::Count() const
{
    return GetU16(m_page + m_countOffset);
}

int PageRows::TableEnd() const
{
    return m_countOffset + 2 + 2 * Count();
}

uint16_t PageRows::Entry(int row) const
{
    return GetU16(m_page + m_countOffset + 2 + 2 * row);
}

void PageRows::SetFlags(int row, uint16_t flags)
{
    PutU16(m_page + m_countOffset + 2 + 2 * row, uint16_t((Entry(row) & kOffsetMask) | flags));
}

bool PageRows::Bounds(int row, int& start, int& end) const
{
    if (row < 0 || row >= Count() || TableEnd() > m_pageSize)
        return false;
    start = Entry(row) & kOffsetMask;
    end = row == 0 ? m_pageSize : Entry(row - 1) & kOffsetMask;
    return start >= TableEnd() && start <= end && end <= m_pageSize;
}

bool PageRows::IsOrdered() const
{
    int start = 0, end = 0;
    for (int i = 0; i < Count(); ++i) {
        if (!Bounds(i, start, end))
            return false;
    }
    return true;
}

int PageRows::LowestStart() const
{
    return Count() == 0 ? m_pageSize : Entry(Count() - 1) & kOffsetMask;
}

int PageRows::FreeSpace() const
{
    return LowestStart() - TableEnd();
}

void PageRows::UpdateFreeSpace()
{
    PutU16(m_page + 2, uint16_t(FreeSpace()));
}

int PageRows::Resize(int row, int size)
{
    int start = 0, end = 0;
    if (!Bounds(row, start, end))
        return -1;
    const int delta = size - (end - start);
    if (delta > FreeSpace())
        return -1;
    const int lowest = LowestStart();
    // The rows after this one (lower in the page) move by delta.
    std::memmove(m_page + lowest - delta, m_page + lowest, size_t(start - lowest));
    for (int i = row; i < Count(); ++i) {
        const uint16_t entry = Entry(i);
        PutU16(m_page + m_countOffset + 2 + 2 * i,
               uint16_t((entry & ~kOffsetMask) | ((entry & kOffsetMask) - delta)));
    }
    if (delta < 0) // bytes no row holds any more
        std::memset(m_page + lowest, 0, size_t(-delta));
    UpdateFreeSpace();
    return start - delta;
}

bool PageRows::HasRoomFor(int size) const
{
    return Count() < kMaxRowsPerPage && size + 2 <= FreeSpace();
}

int PageRows::Add(const uint8_t* bytes, int size, uint16_t flags)
{
    if (!HasRoomFor(size))
        return -1;
    const int row = Count();
    const int start = LowestStart() - size;
    std::memcpy(m_page + start, bytes, size_t(size));
    PutU16(m_page + m_countOffset + 2 + 2 * row, uint16_t(start | flags));
    PutU16(m_page + m_countOffset, uint16_t(row + 1));
    UpdateFreeSpace();
    return row;
}

std::vector<uint8_t> NewRowPage(int pageSize, bool jet3, uint32_t owner)
{
    std::vector<uint8_t> page(size_t(pageSize), 0);
    page[0] = 0x01;
    page[1] = 0x01;
    if (owner != 0)
        PutU32(&page[4], owner);
    else
        std::memcpy(&page[4], "LVAL", 4);
    PutU16(&page[2], uint16_t(pageSize - (jet3 ? 8 : 12) - 2));
    return page;
}

UsageMapWriter::UsageMapWriter(PageStore& store, uint32_t pointer)
    : m_store(store), m_pointer(pointer)
{
    Load();
}

void UsageMapWriter::Load()
{
    m_store.Read(m_pointer >> 8, m_page);
    PageRows rows(m_page.data(), m_store.PageSize(), m_store.IsJet3());
    if (m_page[0] != 0x01 || !rows.Bounds(int(m_pointer & 0xFF), m_start, m_end) ||
        m_end - m_start < 5 ||
        (m_page[size_t(m_start)] != kInlineMap && m_page[size_t(m_start)] != kReferenceMap))
        throw PageDamage{m_pointer >> 8};
}

void UsageMapWriter::Save()
{
    m_store.Write(m_pointer >> 8, m_page);
}

std::vector<uint32_t> UsageMapWriter::Pages()
{
    std::vector<uint32_t> pages;
    if (Row()[0] == kInlineMap) {
        const uint32_t first = GetU32(Row() + 1);
        for (int i = 0; i < (RowSize() - 5) * 8; ++i) {
            if (Row()[5 + i / 8] & (1u << (i % 8)))
                pages.push_back(first + uint32_t(i));
        }
        return pages;
    }
    const uint32_t perPage = uint32_t(m_store.PageSize() - kMapPageData) * 8;
    std::vector<uint8_t> bitmap;
    for (int e = 0; e < (RowSize() - 1) / 4; ++e) {
        const uint32_t mapPage = GetU32(Row() + 1 + 4 * e);
        if (mapPage == 0)
            continue;
        m_store.Read(mapPage, bitmap);
        if (bitmap[0] != kMapPageType)
            throw PageDamage{mapPage};
        for (uint32_t i = 0; i < perPage; ++i) {
            if (bitmap[kMapPageData + i / 8] & (1u << (i % 8)))
                pages.push_back(uint32_t(e) * perPage + i);
        }
    }
    return pages;
}

bool UsageMapWriter::Contains(uint32_t page)
{
    const std::vector<uint32_t> pages = Pages();
    return std::binary_search(pages.begin(), pages.end(), page);
}

void UsageMapWriter::Add(uint32_t page)
{
    SetBit(page, true);
}

void UsageMapWriter::Remove(uint32_t page)
{
    SetBit(page, false);
}

void UsageMapWriter::SetBit(uint32_t page, bool on)
{
    if (Row()[0] == kInlineMap) {
        const uint32_t bits = uint32_t(RowSize() - 5) * 8;
        uint32_t first = GetU32(Row() + 1);
        if (page < first || page >= first + bits) {
            if (!on)
                return; // not listed
            std::vector<uint32_t> pages = Pages();
            pages.push_back(page);
            std::sort(pages.begin(), pages.end());
            first = pages.front() / 8 * 8;
            if (pages.back() - first >= bits) {
                Promote(pages);
                return;
            }
            std::memset(Row() + 5, 0, size_t(RowSize() - 5));
            PutU32(Row() + 1, first);
            for (uint32_t p : pages)
                Row()[5 + (p - first) / 8] |= uint8_t(1u << ((p - first) % 8));
            Save();
            return;
        }
        uint8_t& byte = Row()[5 + (page - first) / 8];
        const uint8_t bit = uint8_t(1u << ((page - first) % 8));
        byte = on ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
        Save();
        return;
    }
    const uint32_t perPage = uint32_t(m_store.PageSize() - kMapPageData) * 8;
    const uint32_t entry = page / perPage;
    if (entry >= uint32_t(RowSize() - 1) / 4)
        throw PageDamage{page}; // beyond the largest database the format holds
    uint32_t mapPage = GetU32(Row() + 1 + 4 * entry);
    std::vector<uint8_t> bitmap;
    if (mapPage == 0) {
        if (!on)
            return;
        bitmap.assign(size_t(m_store.PageSize()), 0);
        bitmap[0] = kMapPageType;
        bitmap[1] = 0x01;
        mapPage = m_store.Append(bitmap);
        PutU32(Row() + 1 + 4 * entry, mapPage);
        Save();
    } else {
        m_store.Read(mapPage, bitmap);
        if (bitmap[0] != kMapPageType)
            throw PageDamage{mapPage};
    }
    const uint32_t bit = page % perPage;
    uint8_t& byte = bitmap[size_t(kMapPageData) + bit / 8];
    byte = on ? uint8_t(byte | (1u << (bit % 8))) : uint8_t(byte & ~(1u << (bit % 8)));
    m_store.Write(mapPage, bitmap);
}

// An inline map too narrow for the pages becomes a list of bitmap pages.
void UsageMapWriter::Promote(const std::vector<uint32_t>& pages)
{
    std::memset(Row(), 0, size_t(RowSize()));
    Row()[0] = kReferenceMap;
    Save();
    for (uint32_t p : pages)
        SetBit(p, true);
}

} // namespace jet
