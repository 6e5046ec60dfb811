// Fuzz target of the in-place patcher: the input describes a database (tables
// of long, text and memo columns, some indexed; live, deleted and moved rows,
// and for the relocation rows older than the table's last columns; values of
// any characters, compressed or not, memos inline, on one row or on chains,
// NULLs), the test writer writes it, and then either changes are made value
// by value through JetTable, or the whole relocation runs over it.
//
// Checked: a change that succeeds reads back at once, one that is refused
// leaves the value as it was; changes every database can take (same length,
// plain ASCII, or a NULL made empty; column not indexed) always succeed; every pass of the
// relocation runs to its end; after the commit, every value of every table
// reads back as expected through this program's reader and through libmdb's,
// so exactly the intended values changed, and every index finds every row by
// its value (the libmdb-based checker). A dropped session or a run without
// changes leaves the file byte for byte.
#include "app/SetUpApp.h"
#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetTable.h"
#include "app/SetupDatabase.h"
#include "ui/Transcript.h"
#include "support/Jet4Writer.h"
#include "support/MdbIndexCheck.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include <mdbtools.h>
#include <sys/stat.h>

#ifndef FUZZ_CHECK
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "mdb_patch fuzz: check failed at line %d: %s\n", __LINE__,        \
                         #cond);                                                                   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
#endif

namespace mdbpatchfuzz {

using Cell = std::optional<QString>; // no value for NULL
using Row = std::vector<Cell>;

struct Table {
    jet4::TableData data; // as written, deleted rows included
    std::vector<jet4::RowKind> kinds;
    std::vector<Row> rows; // what a reader sees: the rows not deleted, numbers as text
};

// Characters of every storage kind: ASCII, Latin-1, two-byte ones, two-byte
// ones whose low byte is 0 (never stored compressed), the compression marker.
const char16_t kAlphabet[] = {u'C',   u'D',   u':',   u'\\',  u'a',   u'z',   u'0',
                              u'.',   u' ',   u'~',   0x00E9, 0x00FF, 0x0080, 0x03A9,
                              0x20AC, 0x4E2D, 0x0100, 0x4E00, 0xFEFF, 0x0001};

// Characters the test writer can key an index entry with.
const char kKeyable[] = "CDEcde019:\\.";

bool IsText(jet4::Type t)
{
    return t == jet4::Type::Text || t == jet4::Type::Memo;
}

QByteArray Show(const Cell& cell)
{
    return cell ? '"' + cell->toUtf8().toPercentEncoding() + '"' : QByteArray("NULL");
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 Inode(const QString& path)
{
    struct stat st {
    };
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_ino) : -1;
}

class Session
{
public:
    Session(const uint8_t* data, size_t size, const QString& folder)
        : m_in(data, size), m_folder(folder), m_path(folder + QStringLiteral("/Kestrel.mdb"))
    {
    }

    void Go();

private:
    QString Text(int maxChars);
    QString KeyableText(int maxChars);
    Cell Value(const jet4::Column& c);
    jet4::Column MakeColumn(const QString& name, bool text);
    void AddRows(Table& t, bool olderRows);
    void CheckIndexes();
    bool Write();
    void CheckReadBack();
    void CheckLibmdb(const Table& t);
    void Stores();
    void StoreOne(jet::JetTable& table, Table& t, size_t row);
    QString NewText(const Cell& old, bool& mustSucceed);
    void Relocation();
    void RelocateColumn(Table& t, const QString& column, QChar letter, QStringList& lines);

    FuzzedDataProvider m_in;
    QString m_folder;
    QString m_path;
    std::vector<Table> m_tables;
};

QString Session::Text(int maxChars)
{
    const int length = m_in.ConsumeIntegralInRange(0, maxChars);
    QString s;
    if (length >= 3 && m_in.ConsumeBool())
        s = QLatin1Char(char('A' + m_in.ConsumeIntegralInRange(0, 25))) + QStringLiteral(":\\");
    const bool plain = m_in.ConsumeBool();
    while (s.size() < length) {
        const size_t n = plain ? 10 : sizeof kAlphabet / sizeof kAlphabet[0];
        s.append(QChar(kAlphabet[m_in.ConsumeIntegralInRange<size_t>(0, n - 1)]));
    }
    if (s.startsWith(QChar(0xFEFF)))
        s[0] = QLatin1Char('C'); // would be stored as the compression marker
    return s;
}

QString Session::KeyableText(int maxChars)
{
    const int length = m_in.ConsumeIntegralInRange(0, maxChars);
    QString s;
    if (length >= 3 && m_in.ConsumeBool())
        s = QLatin1Char(char('A' + m_in.ConsumeIntegralInRange(0, 25))) + QStringLiteral(":\\");
    while (s.size() < length)
        s.append(
            QLatin1Char(kKeyable[m_in.ConsumeIntegralInRange<size_t>(0, sizeof kKeyable - 2)]));
    return s;
}

Cell Session::Value(const jet4::Column& c)
{
    if (m_in.ConsumeIntegralInRange(0, 5) == 0)
        return std::nullopt;
    if (c.type == jet4::Type::Long)
        return QString::number(m_in.ConsumeIntegral<int32_t>());
    if (c.indexed)
        return KeyableText(c.maxChars);
    const bool longMemo = c.type == jet4::Type::Memo && m_in.ConsumeBool();
    return Text(c.type == jet4::Type::Text ? c.maxChars : longMemo ? 2500 : 40);
}

jet4::Column Session::MakeColumn(const QString& name, bool text)
{
    jet4::Column c;
    c.name = name;
    c.type = text ? (m_in.ConsumeIntegralInRange(0, 3) == 0 ? jet4::Type::Memo : jet4::Type::Text)
                  : jet4::Type::Long;
    c.maxChars = m_in.ConsumeIntegralInRange(1, 120);
    c.compressed = m_in.ConsumeIntegralInRange(0, 3) != 0;
    c.memo = static_cast<jet4::MemoPlace>(m_in.ConsumeIntegralInRange(0, 3));
    c.chainPiece = m_in.ConsumeBool() ? 0 : m_in.ConsumeIntegralInRange(1, 300);
    c.indexed = c.type != jet4::Type::Memo && m_in.ConsumeIntegralInRange(0, 7) == 0;
    return c;
}

// Rows older than a column read it as NULL: only the relocation, which
// writes every row, is asked to store into them.
void Session::AddRows(Table& t, bool olderRows)
{
    const int rows = m_in.ConsumeIntegralInRange(0, 40);
    for (int r = 0; r < rows; ++r) {
        const int kind = m_in.ConsumeIntegralInRange(0, 9);
        const jet4::RowKind k = kind == 0   ? jet4::RowKind::Deleted
                                : kind == 1 ? jet4::RowKind::Moved
                                            : jet4::RowKind::Live;
        size_t stored = t.data.columns.size();
        if (olderRows && m_in.ConsumeIntegralInRange(0, 5) == 0)
            stored = m_in.ConsumeIntegralInRange<size_t>(1, stored);
        std::vector<jet4::Value> values;
        Row row;
        for (const jet4::Column& c : t.data.columns) {
            if (values.size() == stored) {
                row.push_back(std::nullopt);
                continue;
            }
            const Cell v = Value(c);
            row.push_back(v);
            if (!v)
                values.emplace_back();
            else if (c.type == jet4::Type::Long)
                values.emplace_back(v->toInt());
            else
                values.emplace_back(*v);
        }
        t.data.rows.push_back(values);
        t.kinds.push_back(k);
        if (k != jet4::RowKind::Deleted)
            t.rows.push_back(row);
    }
}

// False when the writer cannot lay the input out (a row longer than a page).
bool Session::Write()
{
    try {
        jet4::Writer writer(m_path);
        std::vector<int> ids;
        for (const Table& t : m_tables)
            ids.push_back(writer.AddTable(t.data.name, t.data.columns));
        for (size_t i = 0; i < m_tables.size(); ++i) {
            for (size_t r = 0; r < m_tables[i].data.rows.size(); ++r)
                writer.AddRow(ids[i], m_tables[i].data.rows[r], m_tables[i].kinds[r]);
        }
        writer.Finish();
    } catch (const std::logic_error&) {
        return false;
    }
    return true;
}

// Every value of every table, through both readers.
void Session::CheckReadBack()
{
    const auto file = jet::JetFile::Open(m_path);
    for (const Table& t : m_tables) {
        jet::JetTable table(*file, t.data.name);
        const size_t columns = t.data.columns.size();
        FUZZ_CHECK(table.Definition().columns.size() == columns);
        size_t r = 0;
        for (; table.Next(); ++r) {
            FUZZ_CHECK(r < t.rows.size());
            for (size_t c = 0; c < columns; ++c) {
                const Cell read = table.Value(int(c));
                if (read != t.rows[r][c])
                    std::fprintf(stderr, "%s row %zu column %zu reads %s, not %s\n",
                                 qPrintable(t.data.name), r, c, Show(read).constData(),
                                 Show(t.rows[r][c]).constData());
                FUZZ_CHECK(read == t.rows[r][c]);
            }
        }
        FUZZ_CHECK(r == t.rows.size());
        CheckLibmdb(t);
    }
    FUZZ_CHECK(!file->IsChanged());
}

void Session::CheckIndexes()
{
    const std::vector<mdbcheck::IndexResult> results = mdbcheck::CheckFile(m_path);
    if (!mdbcheck::AllOk(results))
        std::fprintf(stderr, "%s", qPrintable(mdbcheck::Describe(results)));
    FUZZ_CHECK(mdbcheck::AllOk(results));
}

// libmdb shows NULL as an empty text, and a moved row where it lies now, not
// where it was: the rows are compared in order of their values.
void Session::CheckLibmdb(const Table& t)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS);
    FUZZ_CHECK(mdb);
    FUZZ_CHECK(mdb_read_catalog(mdb, MDB_TABLE));
    QByteArray name = t.data.name.toUtf8();
    MdbTableDef* table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    FUZZ_CHECK(table && mdb_read_columns(table));
    const size_t columns = t.data.columns.size();
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(MDB_BIND_SIZE));
    std::vector<int> lengths(columns);
    for (size_t c = 0; c < columns; ++c)
        mdb_bind_column(table, int(c) + 1, buffers[c].data(), &lengths[c]);
    mdb_rewind_table(table);
    std::vector<QStringList> read, expected;
    while (mdb_fetch_row(table)) {
        read.emplace_back();
        for (size_t c = 0; c < columns; ++c)
            read.back() << QString::fromUtf8(buffers[c].data(), lengths[c]);
    }
    for (const Row& row : t.rows) {
        expected.emplace_back();
        for (const Cell& cell : row)
            expected.back() << cell.value_or(QString());
    }
    std::sort(read.begin(), read.end());
    std::sort(expected.begin(), expected.end());
    if (read != expected) {
        for (size_t r = 0; r < std::min(read.size(), expected.size()); ++r) {
            if (read[r] != expected[r])
                std::fprintf(stderr, "%s: libmdb reads %s, not %s\n", name.constData(),
                             read[r].join(u'|').toUtf8().toPercentEncoding().constData(),
                             expected[r].join(u'|').toUtf8().toPercentEncoding().constData());
        }
    }
    FUZZ_CHECK(read == expected);
    mdb_free_tabledef(table);
    mdb_close(mdb);
}

// A new text for a stored one; plain tells that any database takes it in
// place (same length, plain ASCII) when the column is not indexed.
QString Session::NewText(const Cell& old, bool& plain)
{
    plain = false;
    const QString now = old.value_or(QString());
    QString s = now;
    switch (m_in.ConsumeIntegralInRange(0, 4)) {
    case 0: // same length, some characters plain ASCII
        for (int i = 0; i < s.size(); ++i) {
            if (m_in.ConsumeBool())
                s[i] = QLatin1Char(char(m_in.ConsumeIntegralInRange(0x21, 0x7E)));
        }
        plain = old.has_value();
        return s;
    case 1: // same length, any characters
        for (int i = 0; i < s.size(); ++i) {
            if (m_in.ConsumeBool())
                s[i] = QChar(kAlphabet[m_in.ConsumeIntegralInRange<size_t>(
                    0, sizeof kAlphabet / sizeof kAlphabet[0] - 1)]);
        }
        return s;
    case 2: // any length
        return Text(int(now.size()) + 3);
    case 3: // the drive letter
        if (!s.isEmpty())
            s[0] = QLatin1Char(char('A' + m_in.ConsumeIntegralInRange(0, 25)));
        plain = old.has_value();
        return s;
    default: // empty, as the relocation writes a NULL back
        return QString();
    }
}

void Session::StoreOne(jet::JetTable& table, Table& t, size_t row)
{
    const size_t c = m_in.ConsumeIntegralInRange<size_t>(0, t.data.columns.size() - 1);
    const jet4::Column& column = t.data.columns[c];
    Cell& cell = t.rows[row][c];
    bool plain = false;
    const QString text = NewText(cell, plain);
    // Which stores every database takes: a row grows or moves when it must,
    // so a NULL made empty is one of them, a memo's too.
    bool sure = cell && *cell == text && IsText(column.type);
    sure = sure || (plain && IsText(column.type) && !column.indexed);
    sure = sure || (!cell && text.isEmpty() && IsText(column.type) && !column.indexed);
    try {
        table.Store(int(c), text);
        FUZZ_CHECK(IsText(column.type));
        cell = text;
    } catch (const CDaoException& e) {
        FUZZ_CHECK(!sure);
        FUZZ_CHECK(e.Message().contains(QStringLiteral("was left as it was")));
    }
    FUZZ_CHECK(table.Value(int(c)) == cell);
}

// Changes value by value, then a commit, or a session dropped unsaved.
void Session::Stores()
{
    const QByteArray before = FileBytes(m_path);
    const std::vector<Table> written = m_tables;
    bool changed = false;
    {
        const auto file = jet::JetFile::Open(m_path);
        for (Table& t : m_tables) {
            if (t.data.columns.empty())
                continue;
            jet::JetTable table(*file, t.data.name);
            int rewinds = 0;
            for (size_t r = 0; table.Next(); ++r) {
                FUZZ_CHECK(r < t.rows.size());
                const int stores = m_in.ConsumeIntegralInRange(0, 3);
                for (int i = 0; i < stores; ++i)
                    StoreOne(table, t, r);
                if (rewinds < 3 && m_in.remaining_bytes() > 0 &&
                    m_in.ConsumeIntegralInRange(0, 15) == 0) {
                    ++rewinds;
                    table.Rewind(); // leaves the page, written back
                    r = size_t(-1);
                }
            }
        }
        for (size_t i = 0; i < m_tables.size(); ++i)
            changed = changed || m_tables[i].rows != written[i].rows;
        if (m_in.ConsumeIntegralInRange(0, 7) == 0) {
            m_tables = written; // dropped: the file stays as it was
            changed = false;
        } else {
            file->Commit();
        }
    }
    FUZZ_CHECK(QDir(m_folder).entryList(QDir::Files) == QStringList{"Kestrel.mdb"});
    if (!changed)
        FUZZ_CHECK(FileBytes(m_path) == before);
}

// The relocation's rule, row by row: a NULL becomes an empty text, a value
// starting with a drive gets the new letter. Every row can take its new value
// (an index's keys included: indexed columns hold characters any index can
// place), so every pass runs to its end.
void Session::RelocateColumn(Table& t, const QString& column, QChar letter, QStringList& lines)
{
    size_t c = 0;
    while (c < t.data.columns.size() && t.data.columns[c].name != column)
        ++c;
    if (c == t.data.columns.size()) {
        lines << QStringLiteral("message:");
        return;
    }
    qint64 changed = 0;
    for (Row& row : t.rows) {
        QString text = row[c].value_or(QString());
        if (text.size() >= 2 && text.at(0).isLetter() && text.at(0).unicode() < 0x80 &&
            text.at(1) == QLatin1Char(':'))
            text[0] = letter;
        if (row[c] && *row[c] == text)
            continue;
        row[c] = text;
        ++changed;
    }
    lines << QStringLiteral("relocated: %1.%2 rows=%3 changed=%4")
                 .arg(t.data.name, column)
                 .arg(t.rows.size())
                 .arg(changed);
}

void Session::Relocation()
{
    const QChar app(char('A' + m_in.ConsumeIntegralInRange(0, 25)));
    const QChar dcm(char('A' + m_in.ConsumeIntegralInRange(0, 25)));
    const qint64 inode = Inode(m_path);
    QStringList expected;
    const auto table = [&](const char* name) -> Table* {
        for (Table& t : m_tables) {
            if (t.data.name == QLatin1String(name))
                return &t;
        }
        return nullptr;
    };
    const struct {
        const char* table;
        const char* column;
        QChar letter;
    } passes[] = {{"tAPR", "APRImagePath", app},
                  {"tEc", "LUT", app},
                  {"tEc", "PAR", app},
                  {"ImgInfo", "FullPath", dcm}};
    const std::vector<Table> written = m_tables;
    for (const auto& p : passes) {
        if (Table* t = table(p.table))
            RelocateColumn(*t, QLatin1String(p.column), p.letter, expected);
        else
            expected << QStringLiteral("message:");
    }

    theApp.m_strAppDir = QString(app) + QStringLiteral(":\\");
    theApp.m_strArgPart2 = QString(dcm) + QLatin1Char(':');
    QString out;
    transcript::SetActive(true);
    transcript::SetSink(&out);
    const int status = RelocateFromCommandLine(m_path);
    transcript::SetSink(nullptr);
    transcript::SetActive(false);
    QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) {
        if (line.startsWith(QStringLiteral("message:")))
            line = QStringLiteral("message:");
    }
    FUZZ_CHECK(lines == expected);
    FUZZ_CHECK(status == (expected.join(QString()).contains(QStringLiteral("message:")) ? 1 : 0));
    bool changed = false;
    for (size_t i = 0; i < m_tables.size(); ++i)
        changed = changed || m_tables[i].rows != written[i].rows;
    if (!changed)
        FUZZ_CHECK(Inode(m_path) == inode);
    FUZZ_CHECK(QDir(m_folder).entryList(QDir::Files) == QStringList{"Kestrel.mdb"});
}

void Session::Go()
{
    const bool relocation = m_in.ConsumeBool();
    static const char* const kRelocated[][3] = {
        {"tAPR", "APRImagePath", nullptr}, {"tEc", "LUT", "PAR"}, {"ImgInfo", "FullPath", nullptr}};
    const int tables = m_in.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < tables; ++i) {
        Table t;
        t.data.name = relocation ? QLatin1String(kRelocated[i][0]) : QStringLiteral("T%1").arg(i);
        const int columns = m_in.ConsumeIntegralInRange(relocation ? 0 : 1, 5);
        for (int c = 0; c < columns; ++c)
            t.data.columns.push_back(MakeColumn(QStringLiteral("C%1").arg(c), m_in.ConsumeBool()));
        for (int k = 1; relocation && k < 3 && kRelocated[i][k]; ++k) {
            const size_t at = m_in.ConsumeIntegralInRange<size_t>(0, t.data.columns.size());
            t.data.columns.insert(t.data.columns.begin() + long(at),
                                  MakeColumn(QLatin1String(kRelocated[i][k]), true));
        }
        if (t.data.columns.empty())
            continue;
        m_tables.push_back(std::move(t));
    }
    for (Table& t : m_tables)
        AddRows(t, relocation);
    if (m_tables.empty() || !Write())
        return;
    CheckReadBack();
    CheckIndexes();
    relocation ? Relocation() : Stores();
    CheckReadBack();
    if (relocation)
        CheckIndexes();
}

const QString& Folder()
{
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

void TestOne(const uint8_t* data, size_t size)
{
    // The relocation is a dialog object, even with its window never created.
    static int argc = 1;
    static char name[] = "fuzz-mdb_patch";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    QFile::remove(Folder() + QStringLiteral("/Kestrel.mdb"));
    Session(data, size, Folder()).Go();
}

} // namespace mdbpatchfuzz

#ifndef KESTREL_FUZZ_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    mdbpatchfuzz::TestOne(data, size);
    return 0;
}
#endif
