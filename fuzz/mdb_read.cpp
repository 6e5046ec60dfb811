// Fuzz target of the database reader: any bytes as an .mdb file, opened, then
// every table walked row by row with every value it can hold read.
//
// Then the same file is relocated: every text that starts with a drive gets
// another letter, and the changes are committed.
//
// Checked for every input: the only error is a CDaoException, and its message
// names the file; reading never changes the file nor leaves a working copy; a
// relocation of a file found damaged leaves it byte for byte, and one that
// was saved reads back. Hangs are the fuzzer's -timeout.
//
// Seeds: fuzz/seeds/mdb_read (small generated databases); the real Access
// files and the example workstation's database are passed at run time, as
//   scripts/fuzz.sh mdb_read 600 -timeout=10 -max_len=300000 -seed_inputs=LIST
// where LIST is ../shared/testdata/access/*.mdb and
// examples/workstation/Kestrel.mdb joined by commas.
#include "database/DaoException.h"
#include "database/JetFile.h"
#include "database/JetTable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#ifndef FUZZ_CHECK
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "mdb_read fuzz: check failed at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
#endif

namespace mdbreadfuzz {

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Readable(int type)
{
    return type == jet::kText || type == jet::kMemo || type == jet::kByte ||
           type == jet::kInteger || type == jet::kLong;
}

// A damaged file is reported, by name.
void CheckError(const CDaoException& e, const jet::JetFile* file, const QString& path)
{
    FUZZ_CHECK(!e.Message().isEmpty());
    const QString shown = file ? file->DisplayPath() : QDir::toNativeSeparators(path);
    FUZZ_CHECK(e.Message().contains(shown));
}

// Returns the number of values read.
long WalkTable(jet::JetFile& file, const QString& name)
{
    jet::JetTable table(file, name);
    long values = 0;
    const std::vector<jet::ColumnDef>& columns = table.Definition().columns;
    while (table.Next()) {
        for (size_t c = 0; c < columns.size(); ++c) {
            if (!Readable(columns[c].type))
                continue;
            const std::optional<QString> value = table.Value(int(c));
            values += value ? 1 : 0;
        }
    }
    return values;
}

long ReadDatabase(const QString& path)
{
    std::unique_ptr<jet::JetFile> file;
    long values = 0;
    try {
        file = jet::JetFile::Open(path);
    } catch (const CDaoException& e) {
        CheckError(e, nullptr, path);
        return 0;
    }
    for (const QString& name : file->TableNames()) {
        try {
            values += WalkTable(*file, name);
        } catch (const CDaoException& e) {
            CheckError(e, file.get(), path);
        }
    }
    FUZZ_CHECK(!file->IsChanged());
    return values;
}

// Every text starting with a drive letter gets Z instead; what was stored.
long RelocateTable(jet::JetFile& file, const QString& name)
{
    jet::JetTable table(file, name);
    long stored = 0;
    const std::vector<jet::ColumnDef>& columns = table.Definition().columns;
    while (table.Next()) {
        for (size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].type != jet::kText && columns[c].type != jet::kMemo)
                continue;
            QString text = table.Value(int(c)).value_or(QString());
            if (text.size() < 2 || text.at(1) != QLatin1Char(':'))
                continue;
            text[0] = QLatin1Char('Z');
            try {
                table.Store(int(c), text);
                FUZZ_CHECK(table.Value(int(c)) == text);
                ++stored;
            } catch (const CDaoException& e) {
                // A value that cannot change in place is named by table, column and row.
                if (!e.Message().contains(QStringLiteral("The row was left as it was.")))
                    CheckError(e, &file, file.Path());
                FUZZ_CHECK(table.Value(int(c)) != text);
            }
        }
    }
    return stored;
}

void RelocateDatabase(const QString& path)
{
    const QByteArray before = FileBytes(path);
    bool damaged = false, saved = false;
    try {
        const auto file = jet::JetFile::Open(path);
        for (const QString& name : file->TableNames()) {
            try {
                RelocateTable(*file, name);
            } catch (const CDaoException& e) {
                CheckError(e, file.get(), path);
            }
        }
        damaged = file->IsDamaged();
        saved = file->IsChanged();
        file->Commit();
        FUZZ_CHECK(!damaged || !saved); // a damaged file is saved never
    } catch (const CDaoException& e) {
        CheckError(e, nullptr, path);
        saved = false;
    }
    if (damaged || !saved)
        FUZZ_CHECK(FileBytes(path) == before);
    if (saved)
        ReadDatabase(path);
}

const QString& Folder()
{
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

// Returns the number of values read.
long ReadFile(const QByteArray& bytes)
{
    const QString path = Folder() + QStringLiteral("/Kestrel.mdb");
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(bytes) == bytes.size());
    }
    const long values = ReadDatabase(path);
    FUZZ_CHECK(FileBytes(path) == bytes);
    FUZZ_CHECK(QDir(Folder()).entryList(QDir::Files) == QStringList{"Kestrel.mdb"});
    RelocateDatabase(path);
    FUZZ_CHECK(QDir(Folder()).entryList(QDir::Files) == QStringList{"Kestrel.mdb"});
    return values;
}

// An input that is no whole number of pages is refused at once, so it is
// also read cut to whole pages, which is where the rest of the reader lies.
void TestOne(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ReadFile(bytes);
    if (size % 2048 != 0 && size > 4096)
        ReadFile(bytes.left(qsizetype(size / 4096 * 4096)));
}

} // namespace mdbreadfuzz

#ifndef KESTREL_FUZZ_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    mdbreadfuzz::TestOne(data, size);
    return 0;
}
#endif
