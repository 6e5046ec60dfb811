// Fuzz target of the database reader: any bytes as an .mdb file, opened, then
// every table walked row by row with every value it can hold read.
//
// Checked for every input: the only error is a CDaoException, and its message
// names the file; reading never changes the file nor leaves a working copy.
// Hangs are the fuzzer's -timeout.
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
