#include "database/JetIndex.h"

#include "database/DaoException.h"
#include "database/JetPage.h"
#include "database/JetTable.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <set>

namespace jet {
namespace {

constexpr uint8_t kLeafPage = 0x04;
constexpr uint8_t kNodePage = 0x03;
constexpr int kMaxKeyColumns = 10;
constexpr int kRowIdSize = 4; // page (3 bytes) and row, big-endian
constexpr int kChildSize = 4; // a node entry's child page, big-endian
constexpr size_t kMaxIndexPages = 1 << 22;

// Column types beyond those JetFile names.
constexpr int kBoolean = 0x01;
constexpr int kMoney = 0x05;
constexpr int kFloat = 0x06;
constexpr int kDouble = 0x07;
constexpr int kDateTime = 0x08;

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Where things lie in the two formats.
struct Layout {
    // Table definition.
    int columnCount, indexCount, realIndexCount, realIndexStart, realIndexSize;
    int columnBlock, columnNumber, columnSortOrder;
    int indexColumnsBlock, indexColumnsSkip, indexFlags, logicalBlock, logicalType;
    // Index pages.
    int prev, next, tail, prefixLength, mask, entries;
};

const Layout kJet3 = {25, 27, 31, 43, 8, 18, 1, 9, 39, 0, 38, 20, 19, 8, 12, 16, 0x14, 0x16, 0xF8};
const Layout kJet4 = {45, 47, 51, 63, 12, 25, 5,    11,   52,   4,
                      42, 28, 23, 12, 16, 20, 0x18, 0x1B, 0x1E0};

const Layout& LayoutOf(const JetFile& file)
{
    return file.IsJet3() ? kJet3 : kJet4;
}

[[noreturn]] void Damaged(const JetFile& file, const TableDef& table, const QString& what)
{
    file.NoteDamage();
    throw CDaoException(QStringLiteral("The indexes of table %1 in the database %2 are "
                                       "damaged: %3.")
                            .arg(table.name, file.DisplayPath(), what));
}

// The whole table definition, its continuation pages' headers left out.
std::vector<uint8_t> ReadDefinitionBytes(const JetFile& file, const TableDef& table)
{
    const int size = file.PageSize();
    std::vector<uint8_t> page(size_t(size), 0), bytes;
    std::set<uint32_t> seen;
    for (uint32_t number = table.definitionPage; number != 0; number = U32(&page[4])) {
        if (!seen.insert(number).second || seen.size() > 4096)
            Damaged(file, table, QStringLiteral("its definition pages form a loop"));
        file.ReadPage(number, page.data());
        if (page[0] != 0x02)
            Damaged(file, table, QStringLiteral("page %1 is not part of a definition").arg(number));
        bytes.insert(bytes.end(), page.begin() + (bytes.empty() ? 0 : 8), page.end());
    }
    return bytes;
}

class Cursor
{
public:
    Cursor(const std::vector<uint8_t>& bytes, const JetFile& file, const TableDef& table)
        : m_bytes(bytes), m_file(file), m_table(table)
    {
    }
    const uint8_t* Take(size_t n)
    {
        if (m_pos + n > m_bytes.size())
            Damaged(m_file, m_table, QStringLiteral("the definition ends too soon"));
        const uint8_t* p = &m_bytes[m_pos];
        m_pos += n;
        return p;
    }
    void Seek(size_t pos) { m_pos = pos; }
    size_t Pos() const { return m_pos; }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_pos = 0;
    const JetFile& m_file;
    const TableDef& m_table;
};

struct ColumnSort {
    int number;
    SortOrder order;
};

// Reads past the column blocks and names; returns each column's sort order.
std::vector<ColumnSort> ReadColumnSorts(Cursor& in, const JetFile& file, int columns)
{
    const Layout& l = LayoutOf(file);
    std::vector<ColumnSort> sorts;
    for (int i = 0; i < columns; ++i) {
        const uint8_t* c = in.Take(size_t(l.columnBlock));
        const int language = U16(c + l.columnSortOrder);
        const int version = file.IsJet3() ? 0 : c[l.columnSortOrder + 3];
        sorts.push_back({U16(c + l.columnNumber), SortOrderOf(file.IsJet3(), language, version)});
    }
    for (int i = 0; i < columns; ++i)
        in.Take(file.IsJet3() ? *in.Take(1) : U16(in.Take(2)));
    return sorts;
}

IndexDef ReadRealIndex(Cursor& in, const JetFile& file, const TableDef& table,
                       const std::vector<ColumnSort>& sorts, int number)
{
    const Layout& l = LayoutOf(file);
    const uint8_t* b = in.Take(size_t(l.indexColumnsBlock));
    IndexDef index;
    index.number = number;
    const uint8_t* keys = b + l.indexColumnsSkip;
    for (int k = 0; k < kMaxKeyColumns; ++k) {
        const int columnNumber = U16(keys + 3 * k);
        if (columnNumber == 0xFFFF)
            continue;
        IndexColumn c;
        c.number = columnNumber;
        c.ascending = keys[3 * k + 2] != 0;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            if (table.columns[i].number == columnNumber) {
                c.column = int(i);
                c.type = table.columns[i].type;
            }
        }
        for (const ColumnSort& s : sorts) {
            if (s.number == columnNumber)
                c.order = s.order;
        }
        if (c.column < 0)
            Damaged(file, table,
                    QStringLiteral("an index names column %1, which the table "
                                   "does not have")
                        .arg(columnNumber));
        index.columns.push_back(c);
    }
    const uint8_t* map = keys + 3 * kMaxKeyColumns;
    index.pageMap = uint32_t(map[1] | map[2] << 8 | map[3] << 16) << 8 | map[0];
    index.rootPage = U32(keys + 3 * kMaxKeyColumns + 4);
    index.flags = b[l.indexFlags];
    index.uniqueCountOffset = l.realIndexStart + l.realIndexSize * number + 4;
    return index;
}

} // namespace

bool IndexDef::Covers(int column) const
{
    return std::any_of(columns.begin(), columns.end(),
                       [column](const IndexColumn& c) { return c.column == column; });
}

std::vector<IndexDef> ReadIndexes(const JetFile& file, const TableDef& table)
{
    const Layout& l = LayoutOf(file);
    const std::vector<uint8_t> bytes = ReadDefinitionBytes(file, table);
    Cursor in(bytes, file, table);
    in.Seek(size_t(l.columnCount));
    const int columns = U16(in.Take(2));
    in.Seek(size_t(l.indexCount));
    const uint32_t logical = U32(in.Take(4));
    const uint32_t real = U32(in.Take(4));
    if (real > 1000 || logical > 1000)
        Damaged(file, table, QStringLiteral("it claims %1 indexes").arg(std::max(real, logical)));
    in.Seek(size_t(l.realIndexStart + l.realIndexSize * int(real)));
    const std::vector<ColumnSort> sorts = ReadColumnSorts(in, file, columns);
    std::vector<IndexDef> indexes;
    for (int i = 0; i < int(real); ++i)
        indexes.push_back(ReadRealIndex(in, file, table, sorts, i));
    std::vector<std::pair<uint32_t, bool>> uses; // real index, primary key
    for (uint32_t i = 0; i < logical; ++i) {
        const uint8_t* b = in.Take(size_t(l.logicalBlock));
        const int skip = file.IsJet3() ? 0 : 4;
        uses.push_back({U32(b + skip + 4), b[l.logicalType] == 0x01});
    }
    for (const auto& use : uses) {
        const int length = file.IsJet3() ? *in.Take(1) : U16(in.Take(2));
        const uint8_t* name = in.Take(size_t(length));
        if (use.first >= real)
            continue; // a foreign key's reference to another table's index
        IndexDef& index = indexes[use.first];
        index.primary = index.primary || use.second;
        if (index.name.isEmpty())
            index.name =
                file.IsJet3()
                    ? QString::fromLatin1(reinterpret_cast<const char*>(name), length)
                    : QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length / 2);
    }
    return indexes;
}

// ---------------------------------------------------------------------------
// Keys

namespace {

constexpr uint8_t kNullAscending = 0x00, kNullDescending = 0xFF;
constexpr uint8_t kValueAscending = 0x7F, kValueDescending = 0x80;

void Invert(std::vector<uint8_t>& out, size_t from)
{
    for (size_t i = from; i < out.size(); ++i)
        out[i] = uint8_t(~out[i]);
}

// A little-endian number as the key wants it: big-endian, sign bit turned so
// that negative numbers sort first.
void AppendInteger(const QByteArray& raw, bool ascending, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    for (int i = int(raw.size()) - 1; i >= 0; --i)
        out.push_back(uint8_t(raw[i]));
    out[start] ^= 0x80;
    if (!ascending)
        Invert(out, start);
}

void AppendFloating(const QByteArray& raw, bool ascending, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    for (int i = int(raw.size()) - 1; i >= 0; --i)
        out.push_back(uint8_t(raw[i]));
    const bool negative = out[start] & 0x80;
    if (!negative)
        out[start] ^= 0x80;
    if (negative == ascending)
        Invert(out, start);
}

bool IsKeyable(int type)
{
    switch (type) {
    case kText:
    case kMemo:
    case kByte:
    case kInteger:
    case kLong:
    case kMoney:
    case kFloat:
    case kDouble:
    case kDateTime:
    case kBoolean:
        return true;
    default:
        return false;
    }
}

QString CharacterName(QChar c)
{
    const QString shown = c.isPrint() ? QStringLiteral("\"%1\" ").arg(c) : QString();
    // Only the code is upper case: the character is named as it stands.
    return shown + QStringLiteral("(U+") +
           QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0')).toUpper() +
           QLatin1Char(')');
}

} // namespace

// ---------------------------------------------------------------------------
// Entries

void IndexEntries::Add(const std::vector<uint8_t>& key, uint32_t page, int slot, qint64 ordinal)
{
    m_starts.push_back(m_bytes.size());
    m_bytes.insert(m_bytes.end(), key.begin(), key.end());
    m_rows.push_back(page << 8 | uint32_t(slot & 0xFF));
    m_ordinals.push_back(uint32_t(ordinal));
    m_order.clear();
}

void IndexEntries::Clear()
{
    *this = IndexEntries();
}

int IndexEntries::KeySize(size_t i) const
{
    const size_t at = At(i);
    const size_t end = at + 1 < m_starts.size() ? m_starts[at + 1] : m_bytes.size();
    return int(end - m_starts[at]);
}

void IndexEntries::Sort()
{
    m_order.resize(m_rows.size());
    std::iota(m_order.begin(), m_order.end(), 0u);
    auto keyOf = [this](uint32_t at) {
        const size_t end = at + 1 < m_starts.size() ? m_starts[at + 1] : m_bytes.size();
        return std::make_pair(&m_bytes[0] + m_starts[at], end - m_starts[at]);
    };
    std::sort(m_order.begin(), m_order.end(), [&](uint32_t a, uint32_t b) {
        const auto ka = keyOf(a), kb = keyOf(b);
        const int c = std::memcmp(ka.first, kb.first, std::min(ka.second, kb.second));
        if (c != 0)
            return c < 0;
        if (ka.second != kb.second)
            return ka.second < kb.second;
        return m_rows[a] < m_rows[b];
    });
}

namespace {
bool SameKey(const IndexEntries& e, size_t a, size_t b)
{
    return e.KeySize(a) == e.KeySize(b) &&
           std::memcmp(e.Key(a), e.Key(b), size_t(e.KeySize(a))) == 0;
}

// A key of NULLs only: a unique index may hold it more than once.
bool AllNull(const IndexDef& index, const uint8_t* key, int size)
{
    return size == int(index.columns.size()) &&
           std::all_of(key, key + size, [](uint8_t b) { return b == 0x00 || b == 0xFF; });
}
} // namespace

std::pair<long, long> IndexEntries::FindDuplicate(const IndexDef& index) const
{
    for (size_t i = 1; i < m_order.size(); ++i) {
        if (SameKey(*this, i - 1, i) && !AllNull(index, Key(i), KeySize(i)))
            return {long(i - 1), long(i)};
    }
    return {-1, -1};
}

size_t IndexEntries::DistinctKeys() const
{
    size_t n = m_order.empty() ? 0 : 1;
    for (size_t i = 1; i < m_order.size(); ++i)
        n += SameKey(*this, i - 1, i) ? 0 : 1;
    return n;
}

// ---------------------------------------------------------------------------
// Pages

namespace {

// Where each entry of an index page lies: offsets from the first entry,
// marked in the page's bit mask by where each entry ends.
std::vector<std::pair<int, int>> EntryBounds(const uint8_t* page, const Layout& l, int pageSize)
{
    std::vector<std::pair<int, int>> bounds;
    const int room = std::min((l.entries - l.mask) * 8, pageSize - l.entries);
    int start = 0;
    for (int i = 1; i <= room; ++i) {
        if (page[l.mask + i / 8] & (1 << (i % 8))) {
            bounds.push_back({l.entries + start, i - start});
            start = i;
        }
    }
    return bounds;
}

uint32_t BigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The pages an index has now: its tree from the root, the leaves' chain and
// the tails the nodes name.
std::vector<uint32_t> IndexPages(const JetFile& file, const TableDef& table, const IndexDef& index)
{
    const Layout& l = LayoutOf(file);
    std::vector<uint8_t> page(size_t(file.PageSize()));
    std::set<uint32_t> seen;
    std::vector<uint32_t> todo{index.rootPage}, pages;
    while (!todo.empty()) {
        const uint32_t number = todo.back();
        todo.pop_back();
        if (number == 0 || !seen.insert(number).second)
            continue;
        if (seen.size() > kMaxIndexPages)
            Damaged(file, table, QStringLiteral("index %1 never ends").arg(index.name));
        file.ReadPage(number, page.data());
        if ((page[0] != kLeafPage && page[0] != kNodePage) || U32(&page[4]) != table.definitionPage)
            Damaged(file, table,
                    QStringLiteral("page %1 of index %2 is not one of its pages")
                        .arg(number)
                        .arg(index.name));
        pages.push_back(number);
        todo.push_back(U32(&page[size_t(l.next)]));
        todo.push_back(U32(&page[size_t(l.tail)]));
        if (page[0] != kNodePage)
            continue;
        for (const auto& b : EntryBounds(page.data(), l, file.PageSize())) {
            if (b.second < kChildSize)
                Damaged(file, table, QStringLiteral("page %1 has a short entry").arg(number));
            todo.push_back(BigEndian32(&page[size_t(b.first + b.second - kChildSize)]));
        }
    }
    return pages;
}

// The file as the usage map writer reads and writes it.
class FilePages : public PageStore
{
public:
    explicit FilePages(JetFile& file) : m_file(file) {}
    int PageSize() const override { return m_file.PageSize(); }
    bool IsJet3() const override { return m_file.IsJet3(); }
    void Read(uint32_t page, std::vector<uint8_t>& buffer) override
    {
        buffer.resize(size_t(m_file.PageSize()));
        m_file.ReadPage(page, buffer.data());
    }
    void Write(uint32_t page, const std::vector<uint8_t>& buffer) override
    {
        m_file.WritePage(page, buffer.data());
    }
    uint32_t Append(const std::vector<uint8_t>& buffer) override
    {
        return m_file.AppendPage(buffer.data());
    }

private:
    JetFile& m_file;
};

// One page's share of a level: entries [first, first + count) of that level.
struct PagePlan {
    size_t first = 0, count = 0;
    int prefix = 0;
    uint32_t number = 0;
};

// An entry of a level: the sorted entry whose key and row it holds (the last
// of the child's subtree for a node), and the child page.
struct Item {
    size_t entry;
    size_t child; // in the level below
};

class TreeWriter
{
public:
    TreeWriter(JetFile& file, const TableDef& table, const IndexEntries& entries)
        : m_file(file), m_table(table), m_entries(entries), m_l(LayoutOf(file)),
          m_capacity(std::min(file.PageSize() - m_l.entries, (m_l.entries - m_l.mask) * 8))
    {
    }

    void Write(uint32_t root, uint32_t pageMap, std::vector<uint32_t> spare);

private:
    int Common(size_t a, size_t b) const
    {
        const int n = std::min(m_entries.KeySize(a), m_entries.KeySize(b));
        int i = 0;
        while (i < n && m_entries.Key(a)[i] == m_entries.Key(b)[i])
            ++i;
        return i;
    }
    std::vector<PagePlan> Pack(const std::vector<Item>& items, bool node) const;
    void WritePage(const std::vector<Item>& items, const PagePlan& plan, bool node,
                   const std::vector<PagePlan>* below, uint32_t prev, uint32_t next);

    JetFile& m_file;
    const TableDef& m_table;
    const IndexEntries& m_entries;
    const Layout& m_l;
    int m_capacity;
};

std::vector<PagePlan> TreeWriter::Pack(const std::vector<Item>& items, bool node) const
{
    const int extra = kRowIdSize + (node ? kChildSize : 0);
    std::vector<PagePlan> plans;
    for (size_t i = 0; i < items.size();) {
        PagePlan plan;
        plan.first = i;
        plan.count = 1;
        long total = m_entries.KeySize(items[i].entry) + extra;
        for (size_t j = i + 1; j < items.size(); ++j) {
            const int prefix = Common(items[i].entry, items[j].entry);
            const long grown = total + m_entries.KeySize(items[j].entry) + extra;
            if (grown - long(j - i) * prefix > m_capacity)
                break;
            total = grown;
            plan.prefix = prefix;
            ++plan.count;
        }
        plans.push_back(plan);
        i += plan.count;
    }
    return plans;
}

void TreeWriter::WritePage(const std::vector<Item>& items, const PagePlan& plan, bool node,
                           const std::vector<PagePlan>* below, uint32_t prev, uint32_t next)
{
    std::vector<uint8_t> page(size_t(m_file.PageSize()), 0);
    page[0] = node ? kNodePage : kLeafPage;
    page[1] = 0x01;
    Put32(&page[4], m_table.definitionPage);
    Put32(&page[size_t(m_l.prev)], prev);
    Put32(&page[size_t(m_l.next)], next);
    Put16(&page[size_t(m_l.prefixLength)], uint32_t(plan.prefix));
    int used = 0;
    std::vector<uint8_t> entry;
    for (size_t k = plan.first; k < plan.first + plan.count; ++k) {
        const size_t e = items[k].entry;
        entry.assign(m_entries.Key(e), m_entries.Key(e) + m_entries.KeySize(e));
        const uint32_t row = m_entries.RowId(e);
        entry.insert(entry.end(),
                     {uint8_t(row >> 24), uint8_t(row >> 16), uint8_t(row >> 8), uint8_t(row)});
        if (node) {
            const uint32_t child = (*below)[items[k].child].number;
            entry.insert(entry.end(), {uint8_t(child >> 24), uint8_t(child >> 16),
                                       uint8_t(child >> 8), uint8_t(child)});
        }
        const size_t skip = k == plan.first ? 0 : size_t(plan.prefix);
        std::copy(entry.begin() + long(skip), entry.end(), page.begin() + m_l.entries + used);
        used += int(entry.size() - skip);
        page[size_t(m_l.mask + used / 8)] |= uint8_t(1 << (used % 8));
    }
    Put16(&page[2], uint32_t(m_file.PageSize() - m_l.entries - used));
    m_file.WritePage(plan.number, page.data());
}

void TreeWriter::Write(uint32_t root, uint32_t pageMap, std::vector<uint32_t> spare)
{
    std::vector<std::vector<Item>> levels(1);
    for (size_t i = 0; i < m_entries.Size(); ++i)
        levels[0].push_back({i, 0});
    std::vector<std::vector<PagePlan>> plans{Pack(levels[0], false)};
    if (plans[0].empty())
        plans[0].push_back({});
    while (plans.back().size() > 1) {
        std::vector<Item> items;
        const std::vector<PagePlan>& below = plans.back();
        for (size_t p = 0; p < below.size(); ++p)
            items.push_back({levels.back()[below[p].first + below[p].count - 1].entry, p});
        levels.push_back(items);
        plans.push_back(Pack(items, true));
    }
    // Numbers: the root stays; the rest take the index's old pages, then new ones.
    std::sort(spare.begin(), spare.end(), std::greater<>());
    std::vector<uint32_t> added;
    std::vector<uint8_t> blank(size_t(m_file.PageSize()), 0);
    blank[0] = kLeafPage;
    blank[1] = 0x01;
    Put32(&blank[4], m_table.definitionPage);
    Put16(&blank[2], uint32_t(m_file.PageSize() - m_l.entries));
    for (std::vector<PagePlan>& level : plans) {
        for (PagePlan& plan : level) {
            if (&level == &plans.back()) {
                plan.number = root;
            } else if (!spare.empty()) {
                plan.number = spare.back();
                spare.pop_back();
            } else {
                plan.number = m_file.AppendPage(blank.data());
                added.push_back(plan.number);
            }
        }
    }
    for (size_t depth = 0; depth < plans.size(); ++depth) {
        const std::vector<PagePlan>& level = plans[depth];
        for (size_t p = 0; p < level.size(); ++p)
            WritePage(levels[depth], level[p], depth > 0, depth > 0 ? &plans[depth - 1] : nullptr,
                      p > 0 ? level[p - 1].number : 0,
                      p + 1 < level.size() ? level[p + 1].number : 0);
    }
    // Pages the index no longer needs: empty, named by nothing, still its own.
    for (const uint32_t number : spare)
        m_file.WritePage(number, blank.data());
    if (pageMap == 0 || added.empty())
        return;
    try {
        FilePages pages(m_file);
        UsageMapWriter map(pages, pageMap);
        for (const uint32_t number : added)
            map.Add(number);
    } catch (const PageDamage& d) {
        Damaged(m_file, m_table, QStringLiteral("its map of index pages on page %1").arg(d.page));
    }
}

} // namespace

void WriteIndex(JetFile& file, const TableDef& table, const IndexDef& index,
                const IndexEntries& entries)
{
    std::vector<uint32_t> spare = IndexPages(file, table, index);
    spare.erase(std::remove(spare.begin(), spare.end(), index.rootPage), spare.end());
    TreeWriter(file, table, entries).Write(index.rootPage, index.pageMap, spare);
    std::vector<uint8_t> page(size_t(file.PageSize()));
    file.ReadPage(table.definitionPage, page.data());
    const uint32_t distinct = uint32_t(entries.DistinctKeys());
    if (U32(&page[size_t(index.uniqueCountOffset)]) != distinct) {
        Put32(&page[size_t(index.uniqueCountOffset)], distinct);
        file.WritePage(table.definitionPage, page.data());
    }
}

// ---------------------------------------------------------------------------
// Keeping the indexes of one column

IndexKeeper::IndexKeeper(JetFile& file, const TableDef& table, int column)
    : m_file(file), m_table(table), m_column(column)
{
    for (IndexDef& index : ReadIndexes(file, table)) {
        if (!index.Covers(column))
            continue;
        const ColumnDef& changed = table.columns[size_t(column)];
        for (const IndexColumn& c : index.columns) {
            const ColumnDef& def = table.columns[size_t(c.column)];
            if (!IsKeyable(c.type))
                throw CDaoException(
                    QStringLiteral("Cannot change %1.%2: its index %3 also holds the column %4, "
                                   "whose type (%5) this program cannot keep in an index. No "
                                   "row was changed.")
                        .arg(table.name, changed.name, index.name, def.name)
                        .arg(c.type));
            if ((c.type == kText || c.type == kMemo) && c.order == SortOrder::Unknown)
                throw CDaoException(
                    QStringLiteral("Cannot change %1.%2: its index %3 sorts the column %4 in a "
                                   "sort order this program does not know. No row was changed.")
                        .arg(table.name, changed.name, index.name, def.name));
        }
        IndexPages(file, table, index); // a damaged index is found before rows change
        m_indexes.push_back(index);
    }
    m_entries.resize(m_indexes.size());
    m_storedKeys.resize(m_indexes.size());
}

bool IndexKeeper::UseStoredKey(size_t i, JetTable& table, const std::optional<QString>& value)
{
    if (table.Value(m_column) != value)
        return false;
    std::unordered_map<uint32_t, std::vector<uint8_t>>& stored = m_storedKeys[i];
    if (stored.empty()) {
        const Layout& l = LayoutOf(m_file);
        std::vector<uint8_t> page(size_t(m_file.PageSize()));
        for (const uint32_t number : IndexPages(m_file, m_table, m_indexes[i])) {
            m_file.ReadPage(number, page.data());
            if (page[0] != kLeafPage)
                continue;
            const size_t prefix = U16(&page[size_t(l.prefixLength)]);
            std::vector<uint8_t> first;
            for (const auto& b : EntryBounds(page.data(), l, m_file.PageSize())) {
                std::vector<uint8_t> entry(first.begin(),
                                           first.begin() + long(std::min(prefix, first.size())));
                entry.insert(entry.end(), page.begin() + b.first,
                             page.begin() + b.first + b.second);
                if (first.empty())
                    first = entry;
                if (entry.size() < size_t(kRowIdSize))
                    continue;
                const uint32_t row = BigEndian32(&entry[entry.size() - kRowIdSize]);
                entry.resize(entry.size() - kRowIdSize);
                stored[row] = entry;
            }
        }
    }
    const auto found = stored.find(table.RowPage() << 8 | uint32_t(table.RowSlot() & 0xFF));
    if (found == stored.end())
        return false;
    m_key = found->second;
    return true;
}

namespace {

// Appends one column's part of a key: its flag, then its value's encoding.
// Returns false, naming the character, for a text it cannot place.
bool AppendColumnKey(const IndexColumn& c, JetTable& table, const std::optional<QString>* text,
                     std::vector<uint8_t>& key, bool& isNull, QChar& bad)
{
    const uint8_t flag = c.ascending ? kValueAscending : kValueDescending;
    const uint8_t nullFlag = c.ascending ? kNullAscending : kNullDescending;
    if (text) {
        isNull = !text->has_value();
        key.push_back(isNull ? nullFlag : flag);
        return isNull || AppendTextKey(**text, c.order, c.ascending, key, &bad);
    }
    const std::optional<QByteArray> raw = table.RawValue(c.column);
    if (c.type == kBoolean) { // kept in the null mask: never NULL, yes sorts first
        isNull = false;
        key.insert(key.end(), {flag, uint8_t(raw.has_value() == c.ascending ? 0x00 : 0xFF)});
        return true;
    }
    isNull = !raw;
    key.push_back(isNull ? nullFlag : flag);
    if (isNull)
        return true;
    const size_t start = key.size();
    if (c.type == kByte)
        key.insert(key.end(), raw->begin(), raw->end());
    else if (c.type == kFloat || c.type == kDouble || c.type == kDateTime)
        AppendFloating(*raw, c.ascending, key);
    else
        AppendInteger(*raw, c.ascending, key);
    if (c.type == kByte && !c.ascending)
        Invert(key, start);
    return true;
}

} // namespace

void IndexKeeper::AddRow(JetTable& table, const std::optional<QString>& value)
{
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        const IndexDef& index = m_indexes[i];
        m_key.clear();
        bool allNull = true, storedKey = false;
        for (const IndexColumn& c : index.columns) {
            std::optional<QString> text;
            if (c.type == kText || c.type == kMemo)
                text = c.column == m_column ? value : table.Value(c.column);
            bool isNull = false;
            QChar bad;
            if (AppendColumnKey(c, table, c.type == kText || c.type == kMemo ? &text : nullptr,
                                m_key, isNull, bad)) {
                allNull = allNull && isNull;
                continue;
            }
            if (UseStoredKey(i, table, value)) {
                storedKey = true; // the row keeps its value, and its entry
                break;
            }
            throw CDaoException(
                QStringLiteral("Cannot change %1.%2: the value \"%3\" (row %4) holds the "
                               "character %5, which has no place in the sort order of the "
                               "index %6. No row was changed.")
                    .arg(m_table.name, m_table.columns[size_t(m_column)].name, *text,
                         QString::number(table.RowOrdinal()), CharacterName(bad), index.name));
        }
        if (allNull && !storedKey && index.IgnoresNulls())
            continue;
        m_entries[i].Add(m_key, table.RowPage(), table.RowSlot(), table.RowOrdinal());
    }
}

bool IndexKeeper::FindDuplicate(qint64& first, qint64& second, QString& index)
{
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        m_entries[i].Sort();
        if (!m_indexes[i].Unique())
            continue;
        const std::pair<long, long> d = m_entries[i].FindDuplicate(m_indexes[i]);
        if (d.first < 0)
            continue;
        first = m_entries[i].Ordinal(size_t(d.first));
        second = m_entries[i].Ordinal(size_t(d.second));
        index = m_indexes[i].name;
        return true;
    }
    return false;
}

void IndexKeeper::Write()
{
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        m_entries[i].Sort();
        WriteIndex(m_file, m_table, m_indexes[i], m_entries[i]);
    }
}

void IndexKeeper::Clear()
{
    for (IndexEntries& e : m_entries)
        e.Clear();
}

} // namespace jet
