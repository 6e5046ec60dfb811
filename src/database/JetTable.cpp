#include "database/JetTable.h"

#include "database/DaoException.h"
#include "database/JetPage.h"
#include "database/JetRow.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace jet {
namespace {

constexpr int kMemoHeader = 12;
constexpr uint32_t kMemoInline = 0x80000000u;
constexpr uint32_t kMemoOneRow = 0x40000000u;
constexpr int kMaxMoves = 8;
constexpr int kMaxInlineMemo = 64; // longer texts go to long-value rows, as the engine puts them
constexpr size_t kMaxChain = 1 << 20;

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A row's bounds from its page's row table: rows fill the page from its end,
// each ending where the one before it starts.
bool RowBounds(const uint8_t* page, int pageSize, int countOffset, int index, int& start, int& end)
{
    const int count = U16(page + countOffset);
    const int tableEnd = countOffset + 2 + 2 * count;
    if (index < 0 || index >= count || tableEnd > pageSize)
        return false;
    start = U16(page + countOffset + 2 + 2 * index) & kOffsetMask;
    end = index == 0 ? pageSize : U16(page + countOffset + 2 * index) & kOffsetMask;
    return start >= tableEnd && start <= end && end <= pageSize;
}

} // namespace

struct JetTable::Field {
    bool null = true;
    bool present = false; // the row has a place for the value
    int start = 0;        // in the row's page
    int size = 0;
    int maskOffset = -1; // in the row's page: the null mask byte with the value's bit
    uint8_t maskBit = 0;
};

struct JetTable::Decoded {
    int column = -1;
    bool null = true;
    Field field;
    StoredText text;
    std::vector<Segment> segments;  // where the stored bytes lie, in order
    std::vector<uint32_t> longRows; // a memo's long-value rows
};

JetTable::JetTable(JetFile& file, const QString& name) : JetTable(file, file.ReadTable(name)) {}

JetTable::JetTable(JetFile& file, TableDef definition)
    : m_file(file), m_def(std::move(definition)), m_pageSize(file.PageSize()),
      m_rowCountOffset(file.IsJet3() ? 8 : 12), m_page(size_t(m_pageSize)),
      m_decoded(std::make_unique<Decoded>())
{
}

JetTable::~JetTable()
{
    try {
        Flush();
    } catch (const CDaoException&) {
        // The file remembers the failure and refuses to commit.
    }
}

int JetTable::FindColumn(const QString& name) const
{
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        if (m_def.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void JetTable::Rewind()
{
    Flush();
    m_mapBit = 0;
    m_mapEntry = 0;
    m_pageLoaded = false;
    m_onRow = false;
    m_ordinal = 0;
    m_decoded->column = -1;
}

bool JetTable::Next()
{
    m_onRow = false;
    m_decoded->column = -1;
    for (;;) {
        if (!m_pageLoaded || m_slot + 1 >= m_rowCount) {
            if (!LoadNextPage())
                return false;
            continue;
        }
        ++m_slot;
        const uint16_t slot = U16(&m_page[size_t(m_rowCountOffset + 2 + 2 * m_slot)]);
        if (slot & kDeletedRow) // deleted, or reached through the row that moved here
            continue;
        if (!LocateRow(slot))
            continue; // nothing stored
        ++m_ordinal;
        m_onRow = true;
        return true;
    }
}

bool JetTable::LoadNextPage()
{
    Flush();
    uint32_t number = 0;
    while (NextPageNumber(number)) {
        m_file.ReadPage(number, m_page.data());
        if (!IsOwnDataPage(m_page.data()))
            continue; // the map may name pages the table gave back
        m_pageNumber = number;
        m_pageLoaded = true;
        m_slot = -1;
        m_rowCount = U16(&m_page[size_t(m_rowCountOffset)]);
        if (m_rowCountOffset + 2 + 2 * m_rowCount > m_pageSize)
            Damaged(QStringLiteral("the row table of page %1 overflows the page").arg(number));
        return true;
    }
    m_pageLoaded = false;
    return false;
}

// The table's usage map: either a bitmap of pages from a first page on (type
// 0), or a list of bitmap pages, each mapping its stretch of the file (type 1).
bool JetTable::NextPageNumber(uint32_t& page)
{
    const std::vector<uint8_t>& map = m_def.usageMap;
    if (!map.empty() && map[0] == 0) {
        if (map.size() < 5)
            return false;
        const uint32_t first = U32(&map[1]);
        for (const size_t bits = (map.size() - 5) * 8; m_mapBit < bits;) {
            const size_t i = m_mapBit++;
            if (map[5 + i / 8] & (1u << (i % 8))) {
                page = first + uint32_t(i);
                return true;
            }
        }
        return false;
    }
    if (!map.empty() && map[0] == 1) {
        const size_t bitsPerPage = size_t(m_pageSize - 4) * 8;
        for (const size_t entries = (map.size() - 1) / 4; m_mapEntry < entries;
             ++m_mapEntry, m_mapBit = 0) {
            const uint32_t mapPage = U32(&map[1 + 4 * m_mapEntry]);
            if (mapPage == 0)
                continue;
            if (m_mapPage.empty() || m_mapPageNumber != mapPage) {
                m_mapPage.resize(size_t(m_pageSize));
                m_file.ReadPage(mapPage, m_mapPage.data());
                m_mapPageNumber = mapPage;
            }
            while (m_mapBit < bitsPerPage) {
                const size_t i = m_mapBit++;
                if (m_mapPage[4 + i / 8] & (1u << (i % 8))) {
                    page = uint32_t(m_mapEntry * bitsPerPage + i);
                    return true;
                }
            }
        }
        return false;
    }
    Damaged(QStringLiteral("its map of pages has an unknown form"));
}

bool JetTable::IsOwnDataPage(const uint8_t* page) const
{
    return page[0] == 0x01 && U32(page + 4) == m_def.definitionPage;
}

bool JetTable::LocateRow(uint16_t slot)
{
    uint8_t* page = m_page.data();
    uint32_t number = m_pageNumber;
    int index = m_slot;
    uint16_t flags = slot;
    int start = 0, end = 0;
    for (int moves = 0;; ++moves) {
        if (!RowBounds(page, m_pageSize, m_rowCountOffset, index, start, end))
            Damaged(QStringLiteral("row %1 of page %2 has bounds outside the page")
                        .arg(index)
                        .arg(number));
        if (!(flags & kMovedRow))
            break;
        if (moves == kMaxMoves || end - start < 4)
            Damaged(QStringLiteral("row %1 of page %2 points nowhere").arg(index).arg(number));
        const uint32_t pointer = U32(page + start);
        number = pointer >> 8;
        index = int(pointer & 0xFF);
        if (number == m_pageNumber) {
            page = m_page.data();
        } else {
            m_moved.resize(size_t(m_pageSize));
            m_file.ReadPage(number, m_moved.data());
            m_movedNumber = number;
            page = m_moved.data();
            if (!IsOwnDataPage(page))
                Damaged(QStringLiteral("a row points to page %1, which is not one of its pages")
                            .arg(number));
        }
        if (index >= U16(page + m_rowCountOffset))
            Damaged(QStringLiteral("a row points to row %1 of page %2, which does not exist")
                        .arg(index)
                        .arg(number));
        flags = U16(page + m_rowCountOffset + 2 + 2 * index);
    }
    if (start == end)
        return false;
    m_row = page;
    m_rowPage = number;
    m_rowSlot = index;
    m_rowStart = start;
    m_rowEnd = end;
    return true;
}

JetTable::Field JetTable::Locate(const ColumnDef& c) const
{
    Field f;
    const uint8_t* row = m_row + m_rowStart;
    const int len = m_rowEnd - m_rowStart;
    const bool jet3 = m_file.IsJet3();
    const int countSize = jet3 ? 1 : 2;
    const int columns = jet3 ? row[0] : U16(row);
    const int maskSize = (columns + 7) / 8;
    if (countSize + maskSize > len)
        Damaged(QStringLiteral("row %1 is shorter than its null mask").arg(m_ordinal));
    const int maskAt = len - maskSize;
    if (c.number / 8 < maskSize) {
        f.maskOffset = m_rowStart + maskAt + c.number / 8;
        f.maskBit = uint8_t(1u << (c.number % 8));
        f.null = !(row[maskAt + c.number / 8] & f.maskBit);
    }
    VarTable vars;
    if (m_def.varColumns > 0 && !ReadVarTable(row, len, maskSize, jet3, vars))
        Damaged(QStringLiteral("row %1 has a broken table of values").arg(m_ordinal));
    int start = 0, size = 0;
    if (c.fixed && c.fixedOrdinal < columns - vars.count) {
        start = countSize + c.fixedOffset;
        size = c.size;
        if (start + size > maskAt)
            Damaged(QStringLiteral("row %1 is shorter than its fixed values").arg(m_ordinal));
        f.present = true;
    } else if (!c.fixed && c.varIndex < vars.count) {
        start = VarOffset(row, len, maskSize, vars, c.varIndex);
        const int end = VarOffset(row, len, maskSize, vars, c.varIndex + 1);
        if (start < countSize || start > end || end > vars.dataEnd)
            Damaged(QStringLiteral("the value of %1 in row %2 lies outside the row")
                        .arg(c.name)
                        .arg(m_ordinal));
        size = end - start;
        f.present = true;
    }
    if (!f.present)
        f.null = true; // the row was stored before the column was added
    f.start = m_rowStart + start;
    f.size = size;
    return f;
}

const JetTable::Decoded& JetTable::Decode(int column)
{
    Decoded& d = *m_decoded;
    if (d.column == column)
        return d;
    d.column = -1;
    const ColumnDef& c = m_def.columns[size_t(column)];
    d.field = Locate(c);
    d.null = d.field.null;
    d.segments.clear();
    d.longRows.clear();
    d.text = StoredText();
    if (!d.null) {
        const uint8_t* value = m_row + d.field.start;
        switch (c.type) {
        case kText:
            d.segments.push_back({m_rowPage, d.field.start, d.field.size});
            DecodeText(value, d.field.size, m_file.Format(), d.text);
            break;
        case kMemo:
            ReadMemo(d.field, d);
            break;
        case kByte:
            d.text.text = QString::number(value[0]);
            break;
        case kInteger:
            d.text.text = QString::number(int16_t(U16(value)));
            break;
        case kLong:
            d.text.text = QString::number(int32_t(U32(value)));
            break;
        default:
            throw CDaoException(QStringLiteral("Column %1 of table %2 holds values of a type "
                                               "(%3) that this program does not read.")
                                    .arg(c.name, m_def.name)
                                    .arg(c.type));
        }
    }
    d.column = column;
    return d;
}

// A memo value starts with 12 bytes: its length with flags in the top bits,
// then a pointer to a long-value row. The text lies inline after the header,
// on that one row, or on a chain of rows each starting with the next pointer.
void JetTable::ReadMemo(const Field& field, Decoded& d)
{
    if (field.size < kMemoHeader)
        return; // read as an empty text, as libmdb does
    const uint8_t* header = m_row + field.start;
    const uint32_t lengthAndFlags = U32(header);
    std::vector<uint8_t> bytes;
    if (lengthAndFlags & kMemoInline) {
        d.segments.push_back({m_rowPage, field.start + kMemoHeader, field.size - kMemoHeader});
        bytes.assign(header + kMemoHeader, header + field.size);
    } else if (lengthAndFlags & kMemoOneRow) {
        const uint32_t pointer = U32(header + 4);
        int start = 0, size = 0;
        const uint8_t* page = LongValueRow(pointer, start, size);
        d.segments.push_back({pointer >> 8, start, size});
        d.longRows.push_back(pointer);
        bytes.assign(page + start, page + start + size);
    } else if ((lengthAndFlags & 0xFF000000u) == 0) {
        uint32_t pointer = U32(header + 4);
        std::unordered_set<uint32_t> links; // a chain that comes back to a link never ends
        while (pointer != 0) {
            if (links.size() == kMaxChain || !links.insert(pointer).second)
                Damaged(QStringLiteral("a memo's chain of pages does not end"));
            int start = 0, size = 0;
            const uint8_t* page = LongValueRow(pointer, start, size);
            if (size < 4 || bytes.size() + size_t(size - 4) > lengthAndFlags)
                break; // libmdb stops reading here as well
            d.segments.push_back({pointer >> 8, start + 4, size - 4});
            d.longRows.push_back(pointer);
            bytes.insert(bytes.end(), page + start + 4, page + start + size);
            pointer = U32(page + start);
        }
    } else {
        Damaged(QStringLiteral("a memo in row %1 has unknown flags %2")
                    .arg(m_ordinal)
                    .arg(lengthAndFlags >> 24, 2, 16, QLatin1Char('0')));
    }
    DecodeText(bytes.data(), int(bytes.size()), m_file.Format(), d.text);
}

const uint8_t* JetTable::LongValueRow(uint32_t pointer, int& start, int& size)
{
    const uint32_t number = pointer >> 8;
    m_longValue.resize(size_t(m_pageSize));
    m_file.ReadPage(number, m_longValue.data());
    const uint8_t* page = m_longValue.data();
    int end = 0;
    if (page[0] != 0x01 || std::memcmp(page + 4, "LVAL", 4) != 0 ||
        !RowBounds(page, m_pageSize, m_rowCountOffset, int(pointer & 0xFF), start, end))
        Damaged(QStringLiteral("a memo in row %1 points to page %2, which holds no such "
                               "long value")
                    .arg(m_ordinal)
                    .arg(number));
    size = end - start;
    return page;
}

std::optional<QString> JetTable::Value(int column)
{
    if (!m_onRow)
        throw CDaoException(QStringLiteral("No current record."));
    const Decoded& d = Decode(column);
    if (d.null)
        return std::nullopt;
    return d.text.text;
}

std::optional<QByteArray> JetTable::RawValue(int column)
{
    if (!m_onRow)
        throw CDaoException(QStringLiteral("No current record."));
    const ColumnDef& c = m_def.columns[size_t(column)];
    if (c.type == kText || c.type == kMemo) {
        const Decoded& d = Decode(column);
        if (d.null)
            return std::nullopt;
        QByteArray bytes;
        for (const Segment& s : d.segments) {
            if (s.page == m_rowPage) {
                bytes.append(reinterpret_cast<const char*>(m_row + s.offset), s.size);
            } else {
                m_longValue.resize(size_t(m_pageSize));
                m_file.ReadPage(s.page, m_longValue.data());
                bytes.append(reinterpret_cast<const char*>(&m_longValue[size_t(s.offset)]), s.size);
            }
        }
        return bytes;
    }
    const Field f = Locate(c);
    if (f.null)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(m_row + f.start), f.size);
}

void JetTable::Store(int column, const QString& text)
{
    if (!m_onRow)
        throw CDaoException(QStringLiteral("No current record."));
    const ColumnDef& c = m_def.columns[size_t(column)];
    if (c.type != kText && c.type != kMemo)
        Refuse(c, text, QStringLiteral("the column does not hold text"));
    const Decoded& d = Decode(column);
    if (d.null) {
        if (!text.isEmpty() || c.type == kMemo || !d.field.present || d.field.maskOffset < 0 ||
            d.field.size != 0) {
            Rewrite(column, text);
            return;
        }
        const int mask = d.field.maskOffset;
        PatchPage(m_rowPage, {{mask, uint8_t(m_row[mask] | d.field.maskBit)}});
        m_decoded->column = -1;
        return;
    }
    if (d.text.text == text)
        return;
    std::vector<BytePatch> patches;
    const bool inPlace = PlanTextPatch(d.text, text, m_file.Format(), patches).isEmpty();
    if (!inPlace) {
        Rewrite(column, text);
        return;
    }
    Apply(d, patches);
    m_decoded->column = -1;
}

void JetTable::Apply(const Decoded& d, const std::vector<BytePatch>& patches)
{
    // Stored offsets to page offsets, one group of bytes per page.
    std::vector<std::pair<uint32_t, std::vector<std::pair<int, uint8_t>>>> pages;
    for (const BytePatch& patch : patches) {
        int base = 0;
        for (const Segment& s : d.segments) {
            if (patch.offset < base + s.size) {
                auto it = std::find_if(pages.begin(), pages.end(),
                                       [&](const auto& p) { return p.first == s.page; });
                if (it == pages.end())
                    it = pages.insert(pages.end(), {s.page, {}});
                it->second.push_back({s.offset + patch.offset - base, patch.value});
                break;
            }
            base += s.size;
        }
    }
    for (const auto& page : pages)
        PatchPage(page.first, page.second);
}

void JetTable::PatchPage(uint32_t page, const std::vector<std::pair<int, uint8_t>>& bytes)
{
    if (m_pageLoaded && page == m_pageNumber) {
        for (const auto& b : bytes)
            m_page[size_t(b.first)] = b.second;
        m_dirty = true; // written when the walk leaves the page
        return;
    }
    if (m_row == m_moved.data() && page == m_movedNumber) {
        for (const auto& b : bytes)
            m_moved[size_t(b.first)] = b.second;
        m_file.WritePage(page, m_moved.data());
        return;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(m_pageSize));
    m_file.ReadPage(page, buffer.data());
    for (const auto& b : bytes)
        buffer[size_t(b.first)] = b.second;
    m_file.WritePage(page, buffer.data());
}

void JetTable::Rewrite(int column, const QString& text)
{
    try {
        RewriteRow(column, text);
    } catch (const PageDamage& damage) {
        Damaged(QStringLiteral("page %1, which holds a map of its pages, makes no sense")
                    .arg(damage.page));
    }
}

// The current row written again with column's new text and the table's
// present columns.
void JetTable::RewriteRow(int column, const QString& text)
{
    const ColumnDef& c = m_def.columns[size_t(column)];
    const bool jet3 = m_file.IsJet3();
    std::vector<uint8_t> encoded;
    const QString problem = EncodeText(text, m_file.Format(), c.compressed, encoded);
    if (!problem.isEmpty())
        Refuse(c, text, problem);
    const int maxChars = jet3 ? c.size : c.size / 2;
    if (c.type == kText && c.size > 0 && text.size() > maxChars)
        Refuse(c, text, QStringLiteral("the column holds at most %1 characters").arg(maxChars));
    const std::vector<uint32_t> oldLongRows = Decode(column).longRows;
    RowImage image;
    if (!ParseRow(m_row + m_rowStart, m_rowEnd - m_rowStart, jet3, m_def.varColumns > 0, image))
        Damaged(QStringLiteral("row %1 has a broken table of values").arg(m_ordinal));
    int columns = m_def.maxColumns, fixedSize = 0, values = 0;
    for (const ColumnDef& other : m_def.columns) {
        columns = std::max(columns, other.number + 1);
        if (other.fixed)
            fixedSize = std::max(fixedSize, other.fixedOffset + other.size);
        else
            values = std::max(values, other.varIndex + 1);
    }
    image.Widen(columns, fixedSize, values);
    image.SetPresent(c.number, true);
    std::vector<uint8_t>& value = image.values[size_t(c.varIndex)];
    value = c.type == kMemo ? std::vector<uint8_t>(size_t(kMemoHeader), 0) : encoded;
    const int maxRow = jet3 ? 2012 : 4060;
    const int size = int(BuildRow(image, jet3).size());
    if (size > maxRow)
        Refuse(c, text,
               QStringLiteral("the row would take %1 bytes, more than the %2 a row may hold")
                   .arg(size)
                   .arg(maxRow));
    if (c.type == kMemo)
        value = MemoValue(c, encoded, size + int(encoded.size()) <= maxRow);
    PlaceRow(BuildRow(image, jet3));
    FreeLongValues(oldLongRows);
}

// A memo's 12-byte header: length and where the text lies, then the text
// itself when it is short enough to stay in the row.
std::vector<uint8_t> JetTable::MemoValue(const ColumnDef& c, const std::vector<uint8_t>& text,
                                         bool inlineFits)
{
    std::vector<uint8_t> value(size_t(kMemoHeader), 0);
    const int size = int(text.size());
    const int maxLongRow = m_file.IsJet3() ? 2032 : 4076;
    if (size <= kMaxInlineMemo && inlineFits) {
        PutU32(value.data(), uint32_t(size) | kMemoInline);
        value.insert(value.end(), text.begin(), text.end());
        return value;
    }
    if (size <= maxLongRow) {
        PutU32(value.data(), uint32_t(size) | kMemoOneRow);
        PutU32(value.data() + 4, AddLongValueRow(c, text));
        return value;
    }
    // A chain, each row naming the next: written from its end.
    const int piece = maxLongRow - 4;
    uint32_t next = 0;
    for (int at = (size - 1) / piece * piece; at >= 0; at -= piece) {
        std::vector<uint8_t> row(4);
        PutU32(row.data(), next);
        row.insert(row.end(), text.begin() + at, text.begin() + std::min(size, at + piece));
        next = AddLongValueRow(c, row);
    }
    PutU32(value.data(), uint32_t(size));
    PutU32(value.data() + 4, next);
    return value;
}

// Long-value rows go to the page the last one went to while it has room,
// else to a new page, listed in the memo column's maps where it has them.
uint32_t JetTable::AddLongValueRow(const ColumnDef& c, const std::vector<uint8_t>& row)
{
    std::vector<uint8_t> page;
    if (m_longValuePage != 0) {
        Read(m_longValuePage, page);
        const int slot =
            PageRows(page.data(), m_pageSize, m_file.IsJet3()).Add(row.data(), int(row.size()), 0);
        if (slot >= 0) {
            Write(m_longValuePage, page);
            return m_longValuePage << 8 | uint32_t(slot);
        }
        if (c.longValueFreeMap != 0)
            UsageMapWriter(*this, c.longValueFreeMap).Remove(m_longValuePage);
    }
    page = NewRowPage(m_pageSize, m_file.IsJet3(), 0);
    const int slot =
        PageRows(page.data(), m_pageSize, m_file.IsJet3()).Add(row.data(), int(row.size()), 0);
    m_longValuePage = Append(page);
    if (c.longValueMap != 0 && c.longValueFreeMap != 0) {
        UsageMapWriter(*this, c.longValueMap).Add(m_longValuePage);
        UsageMapWriter(*this, c.longValueFreeMap).Add(m_longValuePage);
    }
    return m_longValuePage << 8 | uint32_t(slot);
}

// Long-value rows no value uses any more are marked deleted.
void JetTable::FreeLongValues(const std::vector<uint32_t>& rows)
{
    std::vector<uint8_t> page;
    for (const uint32_t pointer : rows) {
        Read(pointer >> 8, page);
        PageRows table(page.data(), m_pageSize, m_file.IsJet3());
        const int slot = int(pointer & 0xFF);
        if (slot < table.Count()) {
            table.SetFlags(slot, uint16_t((table.Entry(slot) & ~kOffsetMask) | kDeletedRow));
            Write(pointer >> 8, page);
        }
    }
}

// The row's new bytes: where it lives while its page has room, otherwise on
// another page, its home slot then holding the pointer to it.
void JetTable::PlaceRow(const std::vector<uint8_t>& row)
{
    const int size = int(row.size());
    const bool atHome = m_rowPage == m_pageNumber && m_rowSlot == m_slot;
    std::vector<uint8_t> page;
    Read(m_rowPage, page);
    PageRows rows(page.data(), m_pageSize, m_file.IsJet3());
    if (!rows.IsOrdered())
        Damaged(QStringLiteral("the rows of page %1 overlap").arg(m_rowPage));
    const int at = rows.Resize(m_rowSlot, size);
    if (at >= 0) {
        std::memcpy(&page[size_t(at)], row.data(), size_t(size));
        Write(m_rowPage, page);
        Relocate();
        return;
    }
    const uint32_t pointer = AddRowElsewhere(row, m_rowPage);
    Read(m_rowPage, page); // the row may have gone to the walked page
    if (!atHome) {
        PageRows(page.data(), m_pageSize, m_file.IsJet3()).Resize(m_rowSlot, 0);
        Write(m_rowPage, page);
        Read(m_pageNumber, page);
    }
    // The pointer takes 4 bytes; the rest of the row's room goes back to the
    // page, for the rows after it to grow into.
    PageRows home(page.data(), m_pageSize, m_file.IsJet3());
    const int start = home.Resize(m_slot, 4);
    if (start < 0)
        Damaged(QStringLiteral("row %1 of page %2 has no room for a forwarding pointer")
                    .arg(m_slot)
                    .arg(m_pageNumber));
    PutU32(&page[size_t(start)], pointer);
    home.SetFlags(m_slot, uint16_t((home.Entry(m_slot) & ~kOffsetMask) | kMovedRow));
    Write(m_pageNumber, page);
    Relocate();
}

// Another page of the table with room: the one rows last went to, the last
// page the table lists as having room, or a new one.
uint32_t JetTable::AddRowElsewhere(const std::vector<uint8_t>& row, uint32_t avoid)
{
    std::vector<uint8_t> page;
    for (;;) {
        if (m_spillPage != 0 && m_spillPage != avoid) {
            Read(m_spillPage, page);
            const int slot = PageRows(page.data(), m_pageSize, m_file.IsJet3())
                                 .Add(row.data(), int(row.size()), kDeletedRow);
            if (slot >= 0) {
                Write(m_spillPage, page);
                return m_spillPage << 8 | uint32_t(slot);
            }
            UsageMapWriter(*this, m_def.freeMap)
                .Remove(m_spillPage); // full, as the engine marks it
        }
        m_spillPage = m_spillSearched ? 0 : LastPageWithRoom(int(row.size()), avoid);
        m_spillSearched = true;
        if (m_spillPage == 0)
            m_spillPage = NewDataPage();
    }
}

uint32_t JetTable::LastPageWithRoom(int size, uint32_t avoid)
{
    constexpr int kPagesTried = 16;
    std::vector<uint32_t> pages = UsageMapWriter(*this, m_def.freeMap).Pages();
    std::vector<uint8_t> page;
    int tried = 0;
    for (auto it = pages.rbegin(); it != pages.rend() && tried < kPagesTried; ++it) {
        if (*it == avoid || *it >= m_file.PageCount())
            continue;
        ++tried;
        Read(*it, page);
        if (IsOwnDataPage(page.data()) &&
            PageRows(page.data(), m_pageSize, m_file.IsJet3()).HasRoomFor(size))
            return *it;
    }
    return 0;
}

uint32_t JetTable::NewDataPage()
{
    const uint32_t page = Append(NewRowPage(m_pageSize, m_file.IsJet3(), m_def.definitionPage));
    UsageMapWriter(*this, m_def.ownedMap).Add(page);
    UsageMapWriter(*this, m_def.freeMap).Add(page);
    return page;
}

// The current row read again from where it lives now.
void JetTable::Relocate()
{
    m_decoded->column = -1;
    const uint16_t entry = U16(&m_page[size_t(m_rowCountOffset + 2 + 2 * m_slot)]);
    if (!LocateRow(entry))
        Damaged(QStringLiteral("row %1 of page %2 was lost").arg(m_slot).arg(m_pageNumber));
}

void JetTable::Read(uint32_t page, std::vector<uint8_t>& buffer)
{
    buffer.resize(size_t(m_pageSize));
    if (m_pageLoaded && page == m_pageNumber)
        std::memcpy(buffer.data(), m_page.data(), size_t(m_pageSize));
    else
        m_file.ReadPage(page, buffer.data());
}

void JetTable::Write(uint32_t page, const std::vector<uint8_t>& buffer)
{
    if (m_pageLoaded && page == m_pageNumber) {
        std::memcpy(m_page.data(), buffer.data(), size_t(m_pageSize));
        m_dirty = true; // written when the walk leaves the page
        return;
    }
    m_file.WritePage(page, buffer.data());
    if (page == m_movedNumber && !m_moved.empty())
        std::memcpy(m_moved.data(), buffer.data(), size_t(m_pageSize));
}

uint32_t JetTable::Append(const std::vector<uint8_t>& buffer)
{
    return m_file.AppendPage(buffer.data());
}

void JetTable::Flush()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    m_file.WritePage(m_pageNumber, m_page.data());
}

void JetTable::Damaged(const QString& what) const
{
    m_file.NoteDamage();
    throw CDaoException(QStringLiteral("Table %1 of the database %2 is damaged: %3.")
                            .arg(m_def.name, m_file.DisplayPath(), what));
}

void JetTable::Refuse(const ColumnDef& column, const QString& text, const QString& why) const
{
    throw CDaoException(QStringLiteral("Cannot store \"%1\" in %2.%3 (row %4): %5. The row "
                                       "was left as it was.")
                            .arg(text, m_def.name, column.name)
                            .arg(m_ordinal)
                            .arg(why));
}

} // namespace jet
