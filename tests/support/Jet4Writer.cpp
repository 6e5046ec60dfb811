#include "support/Jet4Writer.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace jet4 {
namespace {

constexpr int kPage = 4096;
constexpr int kRowTable = 14; // data page header; the row table follows
constexpr int kMaxRowsPerPage = 255;
constexpr uint32_t kLongValueOwner = 0x4C41564C; // "LVAL"
constexpr int kBitsPerMapPage = (kPage - 4) * 8;
constexpr int kIndexMask = 0x1B;     // index page: a bit where each entry ends
constexpr int kIndexEntries = 0x1E0; // and the entries from here

enum Code : uint8_t { kInt16 = 0x03, kInt32 = 0x04, kText = 0x0A, kOle = 0x0B, kMemo = 0x0C };

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
void Append16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Append32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Ucs2(const QString& text)
{
    std::vector<uint8_t> out;
    for (const QChar c : text)
        Append16(out, c.unicode());
    return out;
}

void Rc4(const uint8_t* key, int keyLength, uint8_t* data, int length)
{
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uint8_t(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

// A data or long-value page being filled: rows from the end of the page
// downwards, their offsets in the row table after the header.
struct Page {
    std::vector<uint8_t> bytes;
    uint32_t number = 0;
    int count = 0;
    int top = kPage;

    bool Open() const { return !bytes.empty(); }
    void Start(uint32_t pageNumber, uint32_t owner)
    {
        bytes.assign(kPage, 0);
        number = pageNumber;
        count = 0;
        top = kPage;
        bytes[0] = 0x01;
        bytes[1] = 0x01;
        Put32(&bytes[4], owner);
        Update();
    }
    bool Fits(size_t length) const
    {
        return count < kMaxRowsPerPage && kRowTable + 2 * (count + 1) + int(length) <= top;
    }
    int Add(const std::vector<uint8_t>& row, uint16_t flags)
    {
        top -= int(row.size());
        std::memcpy(&bytes[size_t(top)], row.data(), row.size());
        Put16(&bytes[size_t(kRowTable + 2 * count)], uint32_t(top) | flags);
        ++count;
        Update();
        return count - 1;
    }
    void Update()
    {
        Put16(&bytes[12], uint32_t(count));
        Put16(&bytes[2], uint32_t(top - kRowTable - 2 * count));
    }
};

struct ColumnInfo {
    Column declared;
    uint8_t code = kText;
    int number = 0;
    bool fixed = false;
    int fixedOffset = 0;
    int varIndex = 0;
    int length = 0; // as the definition states it
    // An indexed column's entries (key and row pointer) one after another.
    std::vector<uint8_t> entryBytes;
    std::vector<uint32_t> entryStarts;
    uint32_t indexRoot = 0;
};

struct Table {
    QString name;
    std::vector<ColumnInfo> columns;
    std::vector<int> varOrder; // column index by var index
    int fixedSize = 0;
    uint32_t definitionPage = 0;
    bool system = false;
    Page page;  // being filled
    Page moved; // holds rows moved off their page
    std::vector<uint32_t> pages;
    uint32_t rows = 0;
    QByteArray properties; // its catalog row's LvProp
};

// A long binary value stored after its header in the row.
std::vector<uint8_t> InlineBytes(const QByteArray& bytes)
{
    std::vector<uint8_t> out;
    Append32(out, uint32_t(bytes.size()) | 0x80000000u);
    Append32(out, 0);
    Append32(out, 0);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

} // namespace

std::vector<uint8_t> EncodeText(const QString& text, bool compress)
{
    std::vector<uint8_t> plain = Ucs2(text);
    if (!compress)
        return plain;
    std::vector<uint8_t> out{0xFF, 0xFE};
    bool oneByte = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u & 0xFF) == 0)
            return plain; // would read as a mode switch
        const bool fits = u < 0x100;
        if (fits != oneByte) {
            out.push_back(0);
            oneByte = fits;
        }
        if (oneByte)
            out.push_back(uint8_t(u));
        else
            Append16(out, u);
    }
    return out.size() < plain.size() ? out : plain;
}

namespace {

// First-level weights in the General order of Access 2000-2003, the same for
// both cases: digits, ASCII letters, and the signs of a path.
int Weight(QChar c)
{
    static const uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                         0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                         0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
    const ushort u = c.toLower().unicode();
    if (u >= '0' && u <= '9')
        return 0x36 + 2 * (u - '0');
    if (u >= 'a' && u <= 'z')
        return kLetters[u - 'a'];
    return u == '\\' ? 0x29 : u == ':' ? 0x20 : u == '.' ? 0x1C : -1;
}

// A value's key: a NULL flag, or 7F and the value in the index's order.
void AppendKey(const ColumnInfo& c, const Value& v, std::vector<uint8_t>& out)
{
    if (v.null) {
        out.push_back(0x00);
        return;
    }
    out.push_back(0x7F);
    if (c.code == kInt32 || c.code == kInt16) {
        const uint32_t flipped = uint32_t(v.number) ^ 0x80000000u;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(uint8_t(flipped >> shift));
        return;
    }
    for (const QChar ch : v.text) {
        const int w = Weight(ch);
        if (w < 0)
            throw std::logic_error("no index key for a character of the value");
        out.push_back(uint8_t(w));
    }
    out.push_back(0x01);
    out.push_back(0x00);
}

} // namespace

bool CanKey(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return Weight(c) >= 0; });
}

struct Writer::Impl {
    QFile file;
    std::vector<Table> tables; // [0] is the catalog
    bool laidOut = false;
    uint32_t nextPage = 0;
    uint32_t encodingKey = 0;
    Page longValues;

    void Write(uint32_t number, const uint8_t* bytes)
    {
        if (!file.seek(qint64(number) * kPage) ||
            file.write(reinterpret_cast<const char*>(bytes), kPage) != kPage)
            throw std::runtime_error("cannot write " + file.fileName().toStdString());
    }
    void Write(const Page& page) { Write(page.number, page.bytes.data()); }

    void LayOut();
    int AddTable(const QString& name, const std::vector<std::pair<Column, uint8_t>>& columns,
                 bool system);
    std::vector<uint8_t> Row(Table& t, const std::vector<Value>& values);
    void AddEntries(Table& t, const std::vector<Value>& values, uint32_t home);
    void WriteIndex(const Table& t, ColumnInfo& c);
    std::vector<std::vector<uint8_t>>
    WriteIndexLevel(const Table& t, const std::vector<std::vector<uint8_t>>& entries, bool leaves);
    std::vector<uint8_t> Memo(const ColumnInfo& c, const QString& text);
    uint32_t AddLongValue(const std::vector<uint8_t>& row);
    void Room(Table& t, Page& page, size_t length);
    std::vector<uint8_t> UsageMap(const std::vector<uint32_t>& pages);
    std::vector<uint8_t> Definition(const Table& t, uint32_t usage, uint32_t freeSpace) const;
    std::vector<uint8_t> Header() const;
    void WriteCatalog();
    void WriteDefinitions();
};

int Writer::Impl::AddTable(const QString& name,
                           const std::vector<std::pair<Column, uint8_t>>& columns, bool system)
{
    if (laidOut)
        throw std::logic_error("tables come before rows");
    Table t;
    t.name = name;
    t.system = system;
    int varCount = 0;
    for (const auto& [declared, code] : columns) {
        ColumnInfo c;
        c.declared = declared;
        c.code = code;
        c.number = int(t.columns.size());
        c.fixed = c.code == kInt16 || c.code == kInt32;
        if (c.fixed) {
            c.length = c.code == kInt16 ? 2 : 4;
            c.fixedOffset = t.fixedSize;
            t.fixedSize += c.length;
        } else {
            c.length = c.code == kText ? 2 * declared.maxChars : 0;
            c.varIndex = varCount++;
            t.varOrder.push_back(c.number);
        }
        t.columns.push_back(c);
    }
    tables.push_back(std::move(t));
    return int(tables.size()) - 1;
}

// Page 0 header, 1 usage maps, 2 and 3 the catalog's definition and rows, then
// one definition page per table, and the data from there on; index pages
// follow the data.
void Writer::Impl::LayOut()
{
    if (laidOut)
        return;
    laidOut = true;
    uint32_t page = 2;
    tables[0].definitionPage = page++;
    tables[0].page.Start(page++, tables[0].definitionPage);
    tables[0].pages.push_back(tables[0].page.number);
    for (size_t i = 1; i < tables.size(); ++i)
        tables[i].definitionPage = page++;
    nextPage = page;
}

void Writer::Impl::Room(Table& t, Page& page, size_t length)
{
    if (length + kRowTable + 2 > size_t(kPage))
        throw std::logic_error("row too long for a page");
    if (page.Open() && page.Fits(length))
        return;
    if (page.Open())
        Write(page);
    page.Start(nextPage++, t.definitionPage);
    t.pages.push_back(page.number);
}

uint32_t Writer::Impl::AddLongValue(const std::vector<uint8_t>& row)
{
    if (row.size() + kRowTable + 2 > size_t(kPage))
        throw std::logic_error("long value too long for a page");
    if (!longValues.Open() || !longValues.Fits(row.size())) {
        if (longValues.Open())
            Write(longValues);
        longValues.Start(nextPage++, kLongValueOwner);
    }
    const int index = longValues.Add(row, 0);
    return (longValues.number << 8) | uint32_t(index);
}

std::vector<uint8_t> Writer::Impl::Memo(const ColumnInfo& c, const QString& text)
{
    const std::vector<uint8_t> data =
        EncodeText(text, c.declared.compressed && text.size() <= 1024);
    MemoPlace place = c.declared.memo;
    if (place == MemoPlace::Auto)
        place = data.size() <= 64     ? MemoPlace::Inline
                : data.size() <= 4000 ? MemoPlace::OneRow
                                      : MemoPlace::Chain;
    if (data.empty())
        place = MemoPlace::Inline;
    std::vector<uint8_t> out;
    const uint32_t length = uint32_t(data.size());
    if (place == MemoPlace::Inline) {
        Append32(out, length | 0x80000000u);
        Append32(out, 0);
        Append32(out, 0);
        out.insert(out.end(), data.begin(), data.end());
    } else if (place == MemoPlace::OneRow) {
        Append32(out, length | 0x40000000u);
        Append32(out, AddLongValue(data));
        Append32(out, 0);
    } else {
        const size_t piece = c.declared.chainPiece > 0 ? size_t(c.declared.chainPiece) : 4000;
        uint32_t next = 0; // the pieces go last first, so each knows its successor
        for (size_t end = data.size(); end > 0;) {
            const size_t begin = (end - 1) / piece * piece;
            std::vector<uint8_t> row;
            Append32(row, next);
            row.insert(row.end(), data.begin() + long(begin), data.begin() + long(end));
            next = AddLongValue(row);
            end = begin;
        }
        Append32(out, length);
        Append32(out, next);
        Append32(out, 0);
    }
    return out;
}

// Number of columns, fixed values, variable values, their offsets (last
// first, after the end offset), their count, and the null mask.
std::vector<uint8_t> Writer::Impl::Row(Table& t, const std::vector<Value>& values)
{
    if (values.size() > t.columns.size() || values.empty())
        throw std::logic_error("one value per column");
    // A row older than the table's last columns ends before them.
    const size_t count = values.size();
    int fixedSize = 0, varCount = 0;
    for (size_t i = 0; i < count; ++i) {
        const ColumnInfo& c = t.columns[i];
        if (c.fixed)
            fixedSize = c.fixedOffset + c.length;
        else
            ++varCount;
    }
    std::vector<uint8_t> row;
    Append16(row, uint32_t(count));
    row.resize(row.size() + size_t(fixedSize), 0);
    for (size_t i = 0; i < count; ++i) {
        const ColumnInfo& c = t.columns[i];
        const Value& v = values[size_t(c.number)];
        if (c.fixed && !v.null) {
            uint8_t* at = &row[size_t(2 + c.fixedOffset)];
            c.length == 2 ? Put16(at, uint32_t(v.number)) : Put32(at, uint32_t(v.number));
        }
    }
    std::vector<uint32_t> offsets;
    for (int k = 0; k < varCount; ++k) {
        const int index = t.varOrder[size_t(k)];
        const ColumnInfo& c = t.columns[size_t(index)];
        const Value& v = values[size_t(index)];
        offsets.push_back(uint32_t(row.size()));
        if (v.null)
            continue;
        const std::vector<uint8_t> data = c.code == kMemo ? Memo(c, v.text)
                                          : c.code == kOle
                                              ? InlineBytes(v.text.toLatin1())
                                              : EncodeText(v.text, c.declared.compressed);
        row.insert(row.end(), data.begin(), data.end());
    }
    if (!t.varOrder.empty()) {
        offsets.push_back(uint32_t(row.size()));
        for (auto it = offsets.rbegin(); it != offsets.rend(); ++it)
            Append16(row, *it);
        Append16(row, uint32_t(varCount));
    }
    std::vector<uint8_t> mask((count + 7) / 8, 0);
    for (size_t i = 0; i < count; ++i) {
        if (!values[i].null)
            mask[i / 8] |= uint8_t(1u << (i % 8));
    }
    row.insert(row.end(), mask.begin(), mask.end());
    return row;
}

// Type 0: a first page and a bitmap from it. Type 1 (for tables spread over
// more pages than a row's bitmap covers): pointers to bitmap pages, each
// mapping its own stretch of the file.
std::vector<uint8_t> Writer::Impl::UsageMap(const std::vector<uint32_t>& pages)
{
    std::vector<uint8_t> map{0};
    if (pages.empty()) {
        Append32(map, 0);
        return map;
    }
    const uint32_t first = *std::min_element(pages.begin(), pages.end());
    const uint32_t last = *std::max_element(pages.begin(), pages.end());
    if (last - first < 59 * 8) {
        Append32(map, first);
        map.resize(5 + (last - first) / 8 + 1, 0);
        for (const uint32_t p : pages)
            map[5 + (p - first) / 8] |= uint8_t(1u << ((p - first) % 8));
        return map;
    }
    map[0] = 1;
    for (uint32_t entry = 0; entry <= last / kBitsPerMapPage; ++entry) {
        std::vector<uint8_t> bitmap(kPage, 0);
        bitmap[0] = 0x05;
        bitmap[1] = 0x01;
        bool any = false;
        for (const uint32_t p : pages) {
            if (p / kBitsPerMapPage != entry)
                continue;
            const uint32_t bit = p % kBitsPerMapPage;
            bitmap[4 + bit / 8] |= uint8_t(1u << (bit % 8));
            any = true;
        }
        if (!any) {
            Append32(map, 0);
            continue;
        }
        const uint32_t number = nextPage++;
        Write(number, bitmap.data());
        Append32(map, number);
    }
    return map;
}

void Writer::Impl::AddEntries(Table& t, const std::vector<Value>& values, uint32_t home)
{
    for (ColumnInfo& c : t.columns) {
        if (!c.declared.indexed)
            continue;
        c.entryStarts.push_back(uint32_t(c.entryBytes.size()));
        const size_t at = size_t(c.number);
        AppendKey(c, at < values.size() ? values[at] : Value(), c.entryBytes);
        for (int shift = 24; shift >= 0; shift -= 8)
            c.entryBytes.push_back(uint8_t(home >> shift));
    }
}

// Pages of one level of an index, from its entries in order; gives the last
// entry of each page, for the level above.
std::vector<std::vector<uint8_t>>
Writer::Impl::WriteIndexLevel(const Table& t, const std::vector<std::vector<uint8_t>>& entries,
                              bool leaves)
{
    std::vector<std::pair<size_t, size_t>> pages; // first entry, end
    for (size_t i = 0, used = 0; i < entries.size(); ++i) {
        if (pages.empty() || used + entries[i].size() > size_t(kPage - kIndexEntries)) {
            pages.emplace_back(i, i);
            used = 0;
        }
        used += entries[i].size();
        pages.back().second = i + 1;
    }
    if (pages.empty())
        pages.emplace_back(0, 0);
    const uint32_t first = nextPage;
    nextPage += uint32_t(pages.size());
    std::vector<std::vector<uint8_t>> lasts;
    for (size_t p = 0; p < pages.size(); ++p) {
        std::vector<uint8_t> page(kPage, 0);
        page[0] = leaves ? 0x04 : 0x03;
        page[1] = 0x01;
        Put32(&page[4], t.definitionPage);
        Put32(&page[0x0C], p > 0 ? first + uint32_t(p) - 1 : 0);
        Put32(&page[0x10], p + 1 < pages.size() ? first + uint32_t(p) + 1 : 0);
        int at = kIndexEntries;
        for (size_t i = pages[p].first; i < pages[p].second; ++i) {
            std::memcpy(&page[size_t(at)], entries[i].data(), entries[i].size());
            at += int(entries[i].size());
            page[size_t(kIndexMask + (at - kIndexEntries) / 8)] |=
                uint8_t(1u << ((at - kIndexEntries) % 8));
        }
        Put16(&page[2], uint32_t(kPage - at));
        Write(first + uint32_t(p), page.data());
        std::vector<uint8_t> last = pages[p].second > pages[p].first ? entries[pages[p].second - 1]
                                                                     : std::vector<uint8_t>();
        if (!leaves && last.size() >= 4)
            last.resize(last.size() - 4); // a node is named without its own child pointer
        Append32(last, 0);                // room for the child's number, big-endian
        const uint32_t child = first + uint32_t(p);
        for (int k = 0; k < 4; ++k)
            last[last.size() - 4 + size_t(k)] = uint8_t(child >> (24 - 8 * k));
        lasts.push_back(std::move(last));
    }
    return lasts;
}

// Leaves of the entries in key order, then levels of nodes up to one root.
void Writer::Impl::WriteIndex(const Table& t, ColumnInfo& c)
{
    const std::vector<uint8_t>& bytes = c.entryBytes;
    const auto entry = [&](uint32_t i) {
        const size_t end = i + 1 < c.entryStarts.size() ? c.entryStarts[i + 1] : bytes.size();
        return std::vector<uint8_t>(bytes.begin() + long(c.entryStarts[i]),
                                    bytes.begin() + long(end));
    };
    std::vector<std::vector<uint8_t>> level;
    level.reserve(c.entryStarts.size());
    for (uint32_t i = 0; i < c.entryStarts.size(); ++i)
        level.push_back(entry(i));
    std::vector<uint8_t>().swap(c.entryBytes);
    std::sort(level.begin(), level.end());
    for (bool leaves = true;; leaves = false) {
        const uint32_t first = nextPage;
        level = WriteIndexLevel(t, level, leaves);
        if (level.size() == 1) {
            c.indexRoot = first;
            return;
        }
    }
}

namespace {

void AppendName(std::vector<uint8_t>& d, const QString& text)
{
    const std::vector<uint8_t> name = Ucs2(text);
    Append16(d, uint32_t(name.size()));
    d.insert(d.end(), name.begin(), name.end());
}

// Column entries, then their names.
void AppendColumns(std::vector<uint8_t>& d, const std::vector<ColumnInfo>& columns)
{
    for (const ColumnInfo& c : columns) {
        std::vector<uint8_t> e(25, 0);
        const bool text = c.code == kText || c.code == kMemo;
        e[0] = c.code;
        Put16(&e[5], uint32_t(c.number));
        Put16(&e[7], uint32_t(c.fixed ? 0 : c.varIndex));
        Put16(&e[9], uint32_t(c.number));
        if (text)
            Put16(&e[11], 0x0409); // general sort order
        e[15] = c.fixed ? 0x03 : 0x02;
        e[16] = text && c.declared.compressed ? 0x01 : 0x00;
        Put16(&e[21], uint32_t(c.fixedOffset));
        Put16(&e[23], uint32_t(c.length));
        d.insert(d.end(), e.begin(), e.end());
    }
    for (const ColumnInfo& c : columns)
        AppendName(d, c.declared.name);
}

// One single-column index per indexed column: its columns and first page,
// then its logical entry, then its name.
void AppendIndexes(std::vector<uint8_t>& d, const std::vector<const ColumnInfo*>& indexed)
{
    for (const ColumnInfo* c : indexed) {
        std::vector<uint8_t> e(52, 0);
        Put16(&e[4], uint32_t(c->number));
        e[6] = 0x01; // ascending
        for (int k = 1; k < 10; ++k)
            Put16(&e[size_t(4 + 3 * k)], 0xFFFF);
        Put32(&e[38], c->indexRoot);
        d.insert(d.end(), e.begin(), e.end());
    }
    for (uint32_t i = 0; i < indexed.size(); ++i) {
        std::vector<uint8_t> e(28, 0);
        Put32(&e[4], i);
        Put32(&e[8], i);
        Put32(&e[13], 0xFFFFFFFF); // not a foreign key
        d.insert(d.end(), e.begin(), e.end());
    }
    for (const ColumnInfo* c : indexed)
        AppendName(d, QLatin1String("IX_") + c->declared.name);
}

} // namespace

std::vector<uint8_t> Writer::Impl::Definition(const Table& t, uint32_t usage,
                                              uint32_t freeSpace) const
{
    std::vector<const ColumnInfo*> indexed;
    for (const ColumnInfo& c : t.columns) {
        if (c.declared.indexed)
            indexed.push_back(&c);
    }
    const uint32_t columns = uint32_t(t.columns.size());
    const uint32_t indexes = uint32_t(indexed.size());
    std::vector<uint8_t> d(63, 0);
    d[0] = 0x02;
    d[1] = 0x01;
    Put32(&d[16], t.rows);
    d[40] = t.system ? 0x53 : 0x4E;
    Put16(&d[41], columns);
    Put16(&d[43], uint32_t(t.varOrder.size()));
    Put16(&d[45], columns);
    Put32(&d[47], indexes);
    Put32(&d[51], indexes);
    Put32(&d[55], usage);
    Put32(&d[59], freeSpace);
    for (uint32_t i = 0; i < indexes; ++i) {
        Append32(d, 0);
        Append32(d, t.rows);
        Append32(d, 0);
    }
    AppendColumns(d, t.columns);
    AppendIndexes(d, indexed);
    Append16(d, 0xFFFF);
    if (d.size() > size_t(kPage))
        throw std::logic_error("table definition longer than a page");
    Put32(&d[8], uint32_t(d.size() - 8));
    Put16(&d[2], uint32_t(kPage - d.size()));
    d.resize(kPage, 0);
    return d;
}

// The header's middle part is RC4-encoded with a fixed key.
std::vector<uint8_t> Writer::Impl::Header() const
{
    std::vector<uint8_t> p(kPage, 0);
    p[1] = 0x01;
    std::memcpy(&p[4], "Standard Jet DB", 15);
    Put32(&p[0x14], 1); // Jet 4
    Put16(&p[0x3C], 1252);
    Put32(&p[0x3E], encodingKey);
    Put16(&p[0x6E], 0x0409);
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4(key, 4, &p[0x18], 128);
    return p;
}

// One catalog row per user table, naming its definition page.
void Writer::Impl::WriteCatalog()
{
    Table& catalog = tables[0];
    for (size_t i = 1; i < tables.size(); ++i) {
        const Table& t = tables[i];
        const std::vector<uint8_t> row =
            Row(catalog, {int(t.definitionPage), 0x0F000001, 0, 1, t.name,
                          t.properties.isEmpty() ? Value() : QString::fromLatin1(t.properties)});
        if (!catalog.page.Fits(row.size()))
            throw std::logic_error("too many tables for the catalog page");
        catalog.page.Add(row, 0);
        ++catalog.rows;
    }
    Write(catalog.page);
}

// The definitions, with their maps of pages as rows of page 1.
void Writer::Impl::WriteDefinitions()
{
    Page maps;
    maps.Start(1, 0);
    for (const Table& t : tables) {
        const std::vector<uint8_t> usage = UsageMap(t.pages);
        const std::vector<uint8_t> none{0, 0, 0, 0, 0};
        if (!maps.Fits(usage.size() + none.size() + 2))
            throw std::logic_error("too many tables for the map page");
        const uint32_t usageRow = (1u << 8) | uint32_t(maps.Add(usage, 0));
        const uint32_t freeRow = (1u << 8) | uint32_t(maps.Add(none, 0));
        Write(t.definitionPage, Definition(t, usageRow, freeRow).data());
    }
    Write(maps);
}

Writer::Writer(const QString& path) : d(std::make_unique<Impl>())
{
    d->file.setFileName(path);
    if (!d->file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot create " + path.toStdString());
    auto column = [](const char* name, uint8_t code, int chars = 0) {
        Column c;
        c.name = QLatin1String(name);
        c.maxChars = chars;
        c.compressed = code == kText;
        return std::make_pair(c, code);
    };
    d->AddTable(QStringLiteral("MSysObjects"),
                {column("Id", kInt32), column("ParentId", kInt32), column("Flags", kInt32),
                 column("Type", kInt16), column("Name", kText, 255), column("LvProp", kOle)},
                true);
}

Writer::~Writer() = default;

int Writer::AddTable(const QString& name, const std::vector<Column>& columns)
{
    std::vector<std::pair<Column, uint8_t>> typed;
    for (const Column& c : columns)
        typed.emplace_back(c, c.type == Type::Long ? kInt32 : c.type == Type::Text ? kText : kMemo);
    return d->AddTable(name, typed, false);
}

void Writer::SetProperties(int table, const QByteArray& properties)
{
    if (table <= 0 || size_t(table) >= d->tables.size())
        throw std::logic_error("no such table");
    d->tables[size_t(table)].properties = properties;
}

void Writer::SetEncodingKey(uint32_t key)
{
    d->encodingKey = key;
}

void Writer::AddRow(int table, const std::vector<Value>& values, RowKind kind)
{
    if (table <= 0 || size_t(table) >= d->tables.size())
        throw std::logic_error("no such table");
    d->LayOut();
    Table& t = d->tables[size_t(table)];
    const std::vector<uint8_t> row = d->Row(t, values);
    uint32_t home = 0;
    if (kind == RowKind::Moved) {
        d->Room(t, t.moved, row.size());
        const int index = t.moved.Add(row, 0x8000); // reached only through the pointer
        std::vector<uint8_t> pointer;
        Append32(pointer, (t.moved.number << 8) | uint32_t(index));
        d->Room(t, t.page, pointer.size());
        home = t.page.number << 8 | uint32_t(t.page.Add(pointer, 0x4000));
    } else {
        d->Room(t, t.page, row.size());
        home =
            t.page.number << 8 | uint32_t(t.page.Add(row, kind == RowKind::Deleted ? 0xC000 : 0));
    }
    if (kind != RowKind::Deleted) {
        ++t.rows;
        d->AddEntries(t, values, home);
    }
}

void Writer::Finish()
{
    d->LayOut();
    for (Table& t : d->tables) {
        if (&t != &d->tables[0] && t.page.Open())
            d->Write(t.page);
        if (t.moved.Open())
            d->Write(t.moved);
    }
    if (d->longValues.Open())
        d->Write(d->longValues);
    d->WriteCatalog();
    for (Table& t : d->tables) {
        for (ColumnInfo& c : t.columns) {
            if (c.declared.indexed)
                d->WriteIndex(t, c);
        }
    }
    d->WriteDefinitions();
    d->Write(0, d->Header().data());
    if (!d->file.flush())
        throw std::runtime_error("cannot write " + d->file.fileName().toStdString());
    d->file.close();
}

void WriteDatabase(const QString& path, const std::vector<TableData>& tables)
{
    Writer writer(path);
    std::vector<int> handles;
    for (const TableData& t : tables)
        handles.push_back(writer.AddTable(t.name, t.columns));
    for (size_t i = 0; i < tables.size(); ++i) {
        for (const std::vector<Value>& row : tables[i].rows)
            writer.AddRow(handles[i], row);
    }
    writer.Finish();
}

} // namespace jet4
