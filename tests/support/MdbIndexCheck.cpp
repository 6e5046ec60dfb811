#include "support/MdbIndexCheck.h"

#include <QFile>

#include <map>
#include <memory>
#include <optional>
#include <unordered_set>

#include <mdbtools.h>

namespace mdbcheck {
namespace {

// Characters whose first-level sort code libmdb's table gives as the
// independent fixtures store it (one byte each, case folded).
bool Placeable(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
           u == '\\' || u == ':' || u == '.' || u == ' ';
}

constexpr int kMaxEntriesFactor = 2; // a walk longer than this loops
constexpr int kMaxDepth = 10;
constexpr int kShown = 5; // problems of one kind shown in full

struct Cell {
    bool null = true;
    QString text;
    qint32 number = 0;
};

struct Format {
    int pageSize = 0;
    bool jet3 = false;
    int rowCountOffset = 0;
    int maskOffset() const { return jet3 ? 0x16 : 0x1B; }
    int entriesOffset() const { return jet3 ? 0xF8 : 0x1E0; }
    int prefixOffset() const { return jet3 ? 0x14 : 0x18; }
    int linksOffset() const { return jet3 ? 0x08 : 0x0C; } // previous, next, a node's tail
};

uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
int Le16(const uint8_t* p)
{
    return p[0] | p[1] << 8;
}
QString Hex(const QByteArray& b)
{
    return QString::fromLatin1(b.toHex(' '));
}

QString Address(uint32_t home)
{
    return QStringLiteral("page %1 row %2").arg(home >> 8).arg(home & 0xFF);
}

// The table's rows by home address, with the values of the given columns.
class Rows
{
public:
    Rows(MdbHandle* mdb, MdbTableDef* table, const Format& f) : m_mdb(mdb), m_table(table), m_f(f)
    {
    }
    std::map<uint32_t, std::vector<Cell>> Read(QStringList& problems);

private:
    std::vector<uint32_t> DataPages();
    bool ReadRow(uint32_t page, int slot, std::vector<Cell>& cells);

    MdbHandle* m_mdb;
    MdbTableDef* m_table;
    Format m_f;
};

std::vector<uint32_t> Rows::DataPages()
{
    std::vector<uint32_t> pages;
    mdb_rewind_table(m_table);
    while (mdb_read_next_dpg(m_table))
        pages.push_back(m_table->cur_phys_pg);
    return pages;
}

// The row at page and slot, following a forwarding pointer once.
bool Rows::ReadRow(uint32_t page, int slot, std::vector<Cell>& cells)
{
    for (int hop = 0; hop < 2; ++hop) {
        if (mdb_read_pg(m_mdb, page) != m_f.pageSize)
            return false;
        const auto* buf = static_cast<const uint8_t*>(static_cast<void*>(m_mdb->pg_buf));
        int start = 0;
        size_t length = 0;
        if (Le16(buf + m_f.rowCountOffset) <= slot || mdb_find_row(m_mdb, slot, &start, &length))
            return false;
        if (start & 0x4000 && !(start & 0x8000)) {
            const uint32_t pointer = uint32_t(buf[start & 0x1FFF]) |
                                     uint32_t(buf[(start & 0x1FFF) + 1]) << 8 |
                                     uint32_t(buf[(start & 0x1FFF) + 2]) << 16 |
                                     uint32_t(buf[(start & 0x1FFF) + 3]) << 24;
            page = pointer >> 8;
            slot = int(pointer & 0xFF);
            continue;
        }
        std::vector<MdbField> fields(m_table->num_cols);
        if (mdb_crack_row(m_table, start & 0x1FFF, length, fields.data()) < 0)
            return false;
        cells.assign(m_table->num_cols, Cell());
        for (unsigned c = 0; c < m_table->num_cols; ++c) {
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, c));
            Cell& cell = cells[c];
            cell.null = fields[c].is_null;
            if (cell.null)
                continue;
            if (col->col_type == MDB_BOOL || col->col_type == MDB_OLE)
                continue;
            if (col->col_type == MDB_LONGINT)
                cell.number = qint32(mdb_get_int32(m_mdb->pg_buf, fields[c].start));
            char* text = mdb_col_to_string(m_mdb, m_mdb->pg_buf, fields[c].start, col->col_type,
                                           fields[c].siz);
            cell.text = QString::fromUtf8(text);
            g_free(text);
        }
        return true;
    }
    return false;
}

std::map<uint32_t, std::vector<Cell>> Rows::Read(QStringList& problems)
{
    std::map<uint32_t, std::vector<Cell>> rows;
    for (const uint32_t page : DataPages()) {
        std::vector<uint8_t> copy(size_t(m_f.pageSize));
        if (mdb_read_pg(m_mdb, page) != m_f.pageSize)
            continue;
        std::copy_n(static_cast<const uint8_t*>(static_cast<void*>(m_mdb->pg_buf)), copy.size(),
                    copy.begin());
        const int count = Le16(&copy[size_t(m_f.rowCountOffset)]);
        for (int slot = 0; slot < count; ++slot) {
            const int offset = Le16(&copy[size_t(m_f.rowCountOffset + 2 + 2 * slot)]);
            if (offset & 0x8000)
                continue; // deleted, or a moved row's new place
            std::vector<Cell> cells;
            if (!ReadRow(page, slot, cells))
                problems << QStringLiteral("libmdb cannot read the row at %1")
                                .arg(Address(page << 8 | uint32_t(slot)));
            else
                rows.emplace(page << 8 | uint32_t(slot), std::move(cells));
        }
    }
    return rows;
}

// An index page's entries, whole (the shared prefix put back).
struct IndexPage {
    int type = 0;
    uint32_t prev = 0, next = 0;
    uint32_t tail = 0; // a node's last child, which no entry names
    std::vector<QByteArray> entries;
};

bool ReadIndexPage(MdbHandle* mdb, const Format& f, uint32_t number, IndexPage& out)
{
    if (mdb_read_pg(mdb, number) != f.pageSize)
        return false;
    const auto* p = static_cast<const uint8_t*>(static_cast<void*>(mdb->pg_buf));
    out.type = p[0];
    const auto le32 = [p](int at) {
        return uint32_t(p[at] | p[at + 1] << 8 | p[at + 2] << 16 | uint32_t(p[at + 3]) << 24);
    };
    out.prev = le32(f.linksOffset());
    out.next = le32(f.linksOffset() + 4);
    out.tail = le32(f.linksOffset() + 8);
    const int prefix = Le16(p + f.prefixOffset());
    int begin = f.entriesOffset();
    for (int bit = 1; f.maskOffset() + bit / 8 < f.entriesOffset(); ++bit) {
        if (!(p[f.maskOffset() + bit / 8] & (1 << (bit % 8))))
            continue;
        const int end = f.entriesOffset() + bit;
        if (end > f.pageSize)
            return false;
        QByteArray entry(reinterpret_cast<const char*>(p + begin), end - begin);
        if (!out.entries.empty())
            entry.prepend(out.entries.front().left(prefix));
        out.entries.push_back(entry);
        begin = end;
    }
    return true;
}

class IndexChecker
{
public:
    IndexChecker(MdbHandle* mdb, MdbTableDef* table, MdbIndex* index, const Format& f,
                 const std::map<uint32_t, std::vector<Cell>>& rows, IndexResult& result)
        : m_mdb(mdb), m_table(table), m_index(index), m_f(f), m_rows(rows), m_r(result)
    {
    }
    void Run();

private:
    struct Entry {
        QByteArray whole; // key and row pointer
        uint32_t leaf;
    };
    std::vector<Entry> Walk();
    void CheckOrderAndRows(const std::vector<Entry>& entries);
    void CheckKey(const QByteArray& key, const std::vector<Cell>& row, uint32_t home);
    void CheckLinks(const std::vector<Entry>& entries);
    std::optional<QByteArray> Subtree(uint32_t page, int depth, std::vector<Entry>& entries);
    void CompareWithWalk(const std::vector<Entry>& tree, const std::vector<Entry>& walked);
    void Problem(const QString& kind, const QString& detail);

    MdbHandle* m_mdb;
    MdbTableDef* m_table;
    MdbIndex* m_index;
    Format m_f;
    const std::map<uint32_t, std::vector<Cell>>& m_rows;
    IndexResult& m_r;
    std::map<QString, int> m_kinds;
    std::map<QString, QByteArray> m_keyOfValue;
    std::map<QByteArray, QString> m_valueOfKey;
};

void IndexChecker::Problem(const QString& kind, const QString& detail)
{
    const int seen = ++m_kinds[kind];
    if (seen <= kShown)
        m_r.problems << kind + QStringLiteral(": ") + detail;
    else if (seen == kShown + 1)
        m_r.problems << kind + QStringLiteral(": and more");
}

// libmdb's walk: down to the first leaf, then along the leaves.
std::vector<IndexChecker::Entry> IndexChecker::Walk()
{
    std::vector<Entry> entries;
    auto chain = std::make_unique<MdbIndexChain>();
    *chain = MdbIndexChain();
    guint32 page = 0;
    guint16 row = 0;
    const size_t limit = m_rows.size() * kMaxEntriesFactor + 1000;
    uint32_t leaf = 0;
    QByteArray first;
    while (const int length = mdb_index_find_next(m_mdb, m_index, chain.get(), &page, &row)) {
        const MdbIndexPage& ipg = chain->pages[chain->cur_depth - 1];
        const auto* p = static_cast<const uint8_t*>(static_cast<void*>(m_mdb->pg_buf));
        QByteArray stored(reinterpret_cast<const char*>(p + ipg.offset - length), length);
        if (ipg.pg != leaf || entries.empty()) {
            leaf = ipg.pg;
            first = stored;
        } else {
            stored.prepend(first.left(Le16(p + m_f.prefixOffset())));
        }
        entries.push_back({stored, leaf});
        if (entries.size() > limit) {
            Problem(QStringLiteral("walk"), QStringLiteral("libmdb's walk does not end"));
            break;
        }
    }
    return entries;
}

void IndexChecker::CheckOrderAndRows(const std::vector<Entry>& entries)
{
    std::unordered_set<uint32_t> found;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QByteArray& e = entries[i].whole;
        if (e.size() < 5) {
            Problem(QStringLiteral("short entry"), Hex(e));
            continue;
        }
        if (i > 0 && !(entries[i - 1].whole < e))
            Problem(QStringLiteral("out of order"), QStringLiteral("entry %1 (%2) after (%3)")
                                                        .arg(i)
                                                        .arg(Hex(e), Hex(entries[i - 1].whole)));
        const uint32_t home = Be32(reinterpret_cast<const uint8_t*>(e.constData()) + e.size() - 4);
        const auto row = m_rows.find(home);
        if (row == m_rows.end()) {
            Problem(QStringLiteral("no live row"),
                    QStringLiteral("entry %1 points at %2").arg(i).arg(Address(home)));
            continue;
        }
        if (!found.insert(home).second)
            Problem(QStringLiteral("second entry"), Address(home));
        CheckKey(e.left(e.size() - 4), row->second, home);
    }
    for (const auto& [home, cells] : m_rows) {
        if (!found.count(home))
            Problem(QStringLiteral("row not in the index"), Address(home));
    }
}

void IndexChecker::CheckKey(const QByteArray& key, const std::vector<Cell>& row, uint32_t home)
{
    const bool single = m_index->num_keys == 1 && m_index->key_col_order[0] == MDB_ASC;
    const int column = m_index->key_col_num[0] - 1;
    const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, column));
    const Cell& cell = row[size_t(column)];
    QByteArray expected;
    bool whole = false;
    if (single && cell.null) {
        expected = QByteArray(1, '\0');
        whole = true;
    } else if (single && col->col_type == MDB_LONGINT) {
        const uint32_t v = uint32_t(cell.number) ^ 0x80000000u;
        expected = QByteArray("\x7F") + char(v >> 24) + char(v >> 16) + char(v >> 8) + char(v);
        whole = true;
    } else if (single && !m_f.jet3 && (col->col_type == MDB_TEXT || col->col_type == MDB_MEMO)) {
        int n = 0;
        while (n < cell.text.size() && Placeable(cell.text.at(n)))
            ++n;
        QByteArray text = cell.text.left(n).toLatin1();
        QByteArray hash(text.size() + 1, '\0');
        mdb_index_hash_text(m_mdb, text.data(), hash.data());
        expected = QByteArray("\x7F") + hash.left(text.size());
        whole = n == cell.text.size();
        if (whole)
            expected += '\x01';
    }
    const bool exact = cell.null || col->col_type == MDB_LONGINT;
    if (single && (exact ? key != expected : !key.startsWith(expected)))
        Problem(QStringLiteral("key does not match the value"),
                QStringLiteral("%1 holds \"%2\", key %3, expected %4%5")
                    .arg(Address(home), cell.null ? QStringLiteral("NULL") : cell.text, Hex(key),
                         Hex(expected), exact ? QString() : QStringLiteral(" ...")));
    (whole ? m_r.whole : expected.size() > 1 ? m_r.prefix : m_r.structural)++;

    // Structure: the key is a function of the value, and equal keys hold
    // values equal up to case.
    QString value = cell.null ? QStringLiteral("\x01NULL") : cell.text;
    const auto k = m_keyOfValue.emplace(value, key).first;
    if (k->second != key)
        Problem(QStringLiteral("one value, two keys"), value);
    const auto v = m_valueOfKey.emplace(key, value).first;
    if (v->second.compare(value, Qt::CaseInsensitive) != 0)
        Problem(QStringLiteral("one key, two values"),
                QStringLiteral("\"%1\" and \"%2\"").arg(v->second, value));
}

// The last entry under page (without a node's child pointer); the leaves'
// entries in order into entries.
std::optional<QByteArray> IndexChecker::Subtree(uint32_t page, int depth,
                                                std::vector<Entry>& entries)
{
    IndexPage p;
    if (depth > kMaxDepth || !ReadIndexPage(m_mdb, m_f, page, p) ||
        (p.type != 0x03 && p.type != 0x04)) {
        Problem(QStringLiteral("tree"), QStringLiteral("page %1 is not an index page").arg(page));
        return std::nullopt;
    }
    if (p.type == 0x04) {
        for (const QByteArray& e : p.entries)
            entries.push_back({e, page});
        return p.entries.empty() ? QByteArray() : p.entries.back();
    }
    std::optional<QByteArray> last;
    for (const QByteArray& e : p.entries) {
        if (e.size() < 5)
            return std::nullopt;
        const uint32_t child = Be32(reinterpret_cast<const uint8_t*>(e.constData()) + e.size() - 4);
        last = Subtree(child, depth + 1, entries);
        if (!last)
            return std::nullopt;
        if (*last != e.left(e.size() - 4))
            Problem(QStringLiteral("node entry"),
                    QStringLiteral("page %1 names child %2 by %3, whose last entry is %4")
                        .arg(page)
                        .arg(child)
                        .arg(Hex(e.left(e.size() - 4)), Hex(*last)));
        last = e.left(e.size() - 4);
    }
    if (p.tail)
        last = Subtree(p.tail, depth + 1, entries);
    return last;
}

// libmdb walks down to the first leaf and then along the leaves' links,
// which not every writer sets: what it finds must begin the tree's entries
// and cover the first leaf at least.
void IndexChecker::CompareWithWalk(const std::vector<Entry>& tree, const std::vector<Entry>& walked)
{
    size_t firstLeaf = 0;
    while (firstLeaf < tree.size() && tree[firstLeaf].leaf == tree.front().leaf)
        ++firstLeaf;
    bool same = walked.size() >= firstLeaf && walked.size() <= tree.size();
    for (size_t i = 0; same && i < walked.size(); ++i)
        same = walked[i].whole == tree[i].whole && walked[i].leaf == tree[i].leaf;
    if (!same)
        Problem(QStringLiteral("walk"),
                QStringLiteral("libmdb's walk found %1 entries that do not begin the %2 the "
                               "tree holds")
                    .arg(walked.size())
                    .arg(tree.size()));
}

// The leaves are linked both ways in the tree's order.
void IndexChecker::CheckLinks(const std::vector<Entry>& entries)
{
    std::vector<uint32_t> leaves;
    for (const Entry& e : entries) {
        if (leaves.empty() || leaves.back() != e.leaf)
            leaves.push_back(e.leaf);
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
        IndexPage p;
        ReadIndexPage(m_mdb, m_f, leaves[i], p);
        const uint32_t prev = i > 0 ? leaves[i - 1] : 0;
        const uint32_t next = i + 1 < leaves.size() ? leaves[i + 1] : 0;
        if (p.prev != prev || p.next != next)
            Problem(QStringLiteral("leaf links"),
                    QStringLiteral("leaf %1 links %2 and %3, not %4 and %5")
                        .arg(leaves[i])
                        .arg(p.prev)
                        .arg(p.next)
                        .arg(prev)
                        .arg(next));
    }
}

void IndexChecker::Run()
{
    m_r.rows = qint64(m_rows.size());
    std::vector<Entry> entries;
    if (!Subtree(m_index->first_pg, 0, entries))
        return;
    m_r.entries = qint64(entries.size());
    if (m_r.entries != m_r.rows)
        Problem(QStringLiteral("count"),
                QStringLiteral("%1 entries for %2 rows").arg(m_r.entries).arg(m_r.rows));
    CompareWithWalk(entries, Walk());
    CheckOrderAndRows(entries);
    CheckLinks(entries);
}
struct Closer {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};

std::vector<IndexResult> CheckOpenTable(MdbHandle* mdb, const QString& name)
{
    std::vector<IndexResult> results;
    QByteArray n = name.toUtf8();
    MdbTableDef* table = mdb_read_table_by_name(mdb, n.data(), MDB_TABLE);
    if (!table || !mdb_read_columns(table)) {
        results.push_back({name, QString(), 0, 0, 0, 0, 0, {QStringLiteral("unreadable table")}});
        mdb_free_tabledef(table);
        return results;
    }
    mdb_read_indices(table);
    const Format f{int(mdb->fmt->pg_size), bool(IS_JET3(mdb)), int(mdb->fmt->row_count_offset)};
    QStringList rowProblems;
    const auto rows = Rows(mdb, table, f).Read(rowProblems);
    for (unsigned i = 0; table->indices && i < table->indices->len; ++i) {
        auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        if (index->index_type == 2 || index->num_keys == 0)
            continue; // a foreign key's reference: no pages of its own
        IndexResult r;
        r.table = name;
        r.index = QString::fromUtf8(index->name);
        r.problems = rowProblems;
        IndexChecker(mdb, table, index, f, rows, r).Run();
        results.push_back(r);
    }
    mdb_free_tabledef(table);
    return results;
}

std::unique_ptr<MdbHandle, Closer> Open(const QString& file)
{
    std::unique_ptr<MdbHandle, Closer> mdb(
        mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS));
    if (mdb && !mdb_read_catalog(mdb.get(), MDB_TABLE))
        mdb.reset();
    return mdb;
}

} // namespace

std::vector<std::vector<std::optional<QString>>> ReadRows(const QString& file, const QString& table)
{
    std::vector<std::vector<std::optional<QString>>> out;
    const auto mdb = Open(file);
    QByteArray n = table.toUtf8();
    MdbTableDef* t = mdb ? mdb_read_table_by_name(mdb.get(), n.data(), MDB_TABLE) : nullptr;
    if (t && mdb_read_columns(t)) {
        const Format f{int(mdb->fmt->pg_size), bool(IS_JET3(mdb)), int(mdb->fmt->row_count_offset)};
        QStringList problems;
        for (const auto& [home, cells] : Rows(mdb.get(), t, f).Read(problems)) {
            out.emplace_back();
            for (const Cell& c : cells)
                out.back().push_back(c.null ? std::nullopt : std::optional<QString>(c.text));
        }
    }
    mdb_free_tabledef(t);
    return out;
}

QStringList UserTables(const QString& file)
{
    QStringList names;
    const auto mdb = Open(file);
    for (unsigned i = 0; mdb && i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

std::vector<IndexResult> CheckTable(const QString& file, const QString& table)
{
    const auto mdb = Open(file);
    if (!mdb)
        return {{table, QString(), 0, 0, 0, 0, 0, {QStringLiteral("libmdb cannot open the file")}}};
    return CheckOpenTable(mdb.get(), table);
}

std::vector<IndexResult> CheckFile(const QString& file)
{
    const auto mdb = Open(file);
    if (!mdb)
        return {{file, QString(), 0, 0, 0, 0, 0, {QStringLiteral("libmdb cannot open the file")}}};
    std::vector<IndexResult> results;
    for (const QString& name : UserTables(file)) {
        for (IndexResult& r : CheckOpenTable(mdb.get(), name))
            results.push_back(std::move(r));
    }
    return results;
}

QString Describe(const std::vector<IndexResult>& results)
{
    QString text;
    for (const IndexResult& r : results) {
        text += QStringLiteral("%1.%2: %3 rows, %4 entries; keys %5 whole, %6 up to a sign "
                               "libmdb cannot place, %7 structurally%8\n")
                    .arg(r.table, r.index)
                    .arg(r.rows)
                    .arg(r.entries)
                    .arg(r.whole)
                    .arg(r.prefix)
                    .arg(r.structural)
                    .arg(r.Ok() ? QString() : QStringLiteral(": ") + r.problems.join("; "));
    }
    return text;
}

bool AllOk(const std::vector<IndexResult>& results)
{
    for (const IndexResult& r : results) {
        if (!r.Ok())
            return false;
    }
    return true;
}

} // namespace mdbcheck
