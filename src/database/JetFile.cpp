#include "database/JetFile.h"

#include "database/DaoException.h"
#include "database/JetTable.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <mdbtools.h>

namespace jet {
namespace {

constexpr qint64 kSpareBytes = 1 << 20; // room beyond the copy itself
constexpr unsigned kMaxIndexes = 1000;  // Access allows 32 a table

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The lock file Jet keeps beside an open database: the database's name with
// ".ldb" (Kestrel.ldb for Kestrel.mdb), in any case.
QString FindLockFile(const QFileInfo& database)
{
    const QString wanted = database.completeBaseName() + QLatin1String(".ldb");
    const QStringList names = database.dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

bool CopyAll(int from, int to, qint64 size)
{
    off_t in = 0, out = 0;
    while (in < size) {
        const ssize_t n = copy_file_range(from, &in, to, &out, size_t(size - in), 0);
        if (n > 0)
            continue;
        if (n == 0)
            return false; // the file shrank under us
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        // No kernel copy between these files: plain reads and writes.
        std::vector<char> buffer(1 << 20);
        while (in < size) {
            const ssize_t got = pread(from, buffer.data(), buffer.size(), in);
            if (got <= 0) {
                if (got < 0 && errno == EINTR)
                    continue;
                return false;
            }
            for (ssize_t done = 0; done < got;) {
                const ssize_t put = pwrite(to, buffer.data() + done, size_t(got - done), out);
                if (put < 0 && errno == EINTR)
                    continue;
                if (put <= 0)
                    return false;
                done += put;
                out += put;
            }
            in += got;
        }
    }
    return true;
}

} // namespace

struct JetFile::Session {
    MdbHandle* mdb = nullptr;
    ~Session()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

JetFile::JetFile(const QString& path) : m_path(path), m_session(std::make_unique<Session>()) {}

JetFile::~JetFile()
{
    m_session.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_onCopy && !m_committed)
        ::unlink(QFile::encodeName(m_copyPath).constData());
}

QString JetFile::DisplayPath() const
{
    return QDir::toNativeSeparators(m_path);
}

std::unique_ptr<JetFile> JetFile::Open(const QString& path)
{
    std::unique_ptr<JetFile> file(new JetFile(path));
    const QFileInfo info(path);
    const QString shown = file->DisplayPath();
    if (!info.exists())
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: the file does not exist.").arg(shown));
    if (!info.isFile())
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: it is not a file.").arg(shown));
    if (info.size() == 0)
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: the file is empty.").arg(shown));
    const QString lock = FindLockFile(info);
    if (!lock.isEmpty())
        throw CDaoException(QStringLiteral("The database %1 is in use by the acquisition "
                                           "application (its lock file %2 stands beside it). "
                                           "Close Kestrel, then relocate again.")
                                .arg(shown, lock));
    file->m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file->m_fd < 0)
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: %2.").arg(shown, ErrorText(errno)));
    file->m_identity = IdentityOf(path);
    file->OpenSession();
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        throw CDaoException(
            QStringLiteral("Cannot change the database %1: the file is read-only.").arg(shown));
    if (::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
        throw CDaoException(
            QStringLiteral("Cannot change the database %1: its folder is not writable.")
                .arg(shown));
    file->CheckRoomForCopy(info.size());
    return file;
}

void JetFile::OpenSession()
{
    const QString shown = DisplayPath();
    // Every Access file starts so; libmdb takes other bytes, all zeros too, for a
    // database of some version.
    char magic[19] = {};
    const bool access =
        pread(m_fd, magic, sizeof magic, 0) == ssize_t(sizeof magic) &&
        std::memcmp(magic, "\0\1\0\0Standard ", 13) == 0 &&
        (std::memcmp(magic + 13, "Jet DB", 6) == 0 || std::memcmp(magic + 13, "ACE DB", 6) == 0);
    MdbHandle* mdb =
        access ? mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS) : nullptr;
    if (!mdb)
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: it is not an Access database.")
                .arg(shown));
    m_session->mdb = mdb;
    // Access 2007 and later keep Jet 4's pages and rows under a header of their own.
    if (mdb->f->jet_version > MDB_VER_ACCDB_2019)
        throw CDaoException(QStringLiteral("Cannot change the database %1: its format (version "
                                           "%2) is not supported.")
                                .arg(shown)
                                .arg(mdb->f->jet_version));
    if (mdb->f->db_key != 0)
        throw CDaoException(
            QStringLiteral("Cannot change the database %1: it is encoded.").arg(shown));
    m_jet3 = mdb->f->jet_version == MDB_VER_JET3;
    m_pageSize = int(mdb->fmt->pg_size);
    if (m_identity.size % m_pageSize != 0)
        throw CDaoException(
            QStringLiteral("Cannot open the database %1: the file is damaged (its "
                           "%2 bytes are not a whole number of %3-byte pages; it "
                           "was cut short).")
                .arg(shown, QString::number(m_identity.size), QString::number(m_pageSize)));
    m_format = !m_jet3                                                 ? TextFormat::Jet4
               : (mdb->f->code_page == 1252 || mdb->f->code_page == 0) ? TextFormat::Jet3Windows1252
                                                                       : TextFormat::Jet3Bytes;
    ReadCatalog();
}

void JetFile::CheckRoomForCopy(qint64 size) const
{
    struct statvfs fs {
    };
    const QByteArray dir = QFile::encodeName(QFileInfo(m_path).absolutePath());
    if (statvfs(dir.constData(), &fs) != 0)
        return; // unknown: the copy itself will tell
    const qint64 free = qint64(fs.f_bavail) * qint64(fs.f_frsize);
    const qint64 needed = size + kSpareBytes;
    if (free < needed)
        throw CDaoException(QStringLiteral("Not enough free disk space beside the database %1 "
                                           "to relocate it safely: %2 MB needed, %3 MB free.")
                                .arg(DisplayPath(), QString::number((needed + (1 << 20) - 1) >> 20),
                                     QString::number(free >> 20)));
}

namespace {

void CopyColumns(MdbTableDef* table, TableDef& def)
{
    int fixedOrdinal = 0;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        ColumnDef c;
        c.name = QString::fromUtf8(col->name);
        c.type = col->col_type;
        c.number = col->col_num;
        c.fixed = col->is_fixed != 0;
        c.fixedOffset = col->fixed_offset;
        c.fixedOrdinal = c.fixed ? fixedOrdinal++ : -1;
        c.varIndex = int(col->var_col_num);
        c.size = col->col_size;
        def.columns.push_back(c);
    }
}

// Reads on through a table definition that continues on further pages (each
// next page's content starts after its 8-byte header).
class DefinitionReader
{
public:
    DefinitionReader(const JetFile& file, const uint8_t* page, int pos)
        : m_file(file), m_page(page, page + file.PageSize()), m_pos(pos)
    {
    }

    bool Read(uint8_t* out, int n)
    {
        const int size = m_file.PageSize();
        while (n > 0) {
            if (m_pos >= size) {
                const uint32_t next = uint32_t(mdb_get_int32(m_page.data(), 4));
                if (next == 0)
                    return false;
                m_file.ReadPage(next, m_page.data());
                m_pos -= size - 8;
                continue;
            }
            const int piece = std::min(n, size - m_pos);
            if (out)
                std::memcpy(out, &m_page[size_t(m_pos)], size_t(piece));
            out = out ? out + piece : nullptr;
            m_pos += piece;
            n -= piece;
        }
        return true;
    }

private:
    const JetFile& m_file;
    std::vector<uint8_t> m_page;
    int m_pos;
};

// The columns of every physical index, read where the column names end
// (libmdb's own index reader loses its place when a logical index has no
// physical one of the same number). pageBuffer holds that page.
void MarkIndexedColumns(const JetFile& file, const uint8_t* pageBuffer, MdbTableDef* table,
                        TableDef& def)
{
    DefinitionReader reader(file, pageBuffer, table->index_start);
    for (unsigned i = 0; i < table->num_real_idxs; ++i) {
        uint8_t block[52];
        if (!reader.Read(block, file.IsJet3() ? 39 : 52))
            return;
        const uint8_t* keys = block + (file.IsJet3() ? 0 : 4);
        for (int k = 0; k < 10; ++k) {
            const int number = keys[3 * k] | (keys[3 * k + 1] << 8);
            for (ColumnDef& c : def.columns) {
                if (number != 0xFFFF && c.number == number)
                    c.indexed = true;
            }
        }
    }
}

// The usage maps of memo columns' long-value pages, listed after the names
// of the indexes (files before Access 2000 have none).
void ReadLongValueMaps(const JetFile& file, const uint8_t* pageBuffer, MdbTableDef* table,
                       TableDef& def)
{
    const bool jet3 = file.IsJet3();
    DefinitionReader reader(file, pageBuffer, table->index_start);
    if (!reader.Read(nullptr, int(table->num_real_idxs) * (jet3 ? 39 : 52) +
                                  int(table->num_idxs) * (jet3 ? 20 : 28)))
        return;
    for (unsigned i = 0; i < table->num_idxs; ++i) {
        uint8_t length[2] = {};
        if (!reader.Read(length, jet3 ? 1 : 2) ||
            !reader.Read(nullptr, length[0] | (length[1] << 8)))
            return;
    }
    for (size_t i = 0; i <= def.columns.size(); ++i) {
        uint8_t entry[10];
        if (!reader.Read(entry, 2) || (entry[0] == 0xFF && entry[1] == 0xFF) ||
            !reader.Read(entry + 2, 8))
            return;
        const int number = entry[0] | (entry[1] << 8);
        for (ColumnDef& c : def.columns) {
            if (c.number == number && c.type == kMemo) {
                c.longValueMap = uint32_t(mdb_get_int32(entry, 2));
                c.longValueFreeMap = uint32_t(mdb_get_int32(entry, 6));
            }
        }
    }
}

// What libmdb does not keep of a definition: the row width, where the usage
// maps lie, and which texts may be stored compressed.
void ReadWriterFields(const JetFile& file, uint32_t page, unsigned realIndexes, TableDef& def)
{
    const bool jet3 = file.IsJet3();
    std::vector<uint8_t> buffer(static_cast<size_t>(file.PageSize()));
    file.ReadPage(page, buffer.data());
    DefinitionReader reader(file, buffer.data(), 0);
    uint8_t head[63];
    if (!reader.Read(head, jet3 ? 43 : 63))
        return;
    def.maxColumns = int(mdb_get_int16(head, jet3 ? 21 : 41));
    def.ownedMap = uint32_t(mdb_get_int32(head, jet3 ? 35 : 55));
    def.freeMap = uint32_t(mdb_get_int32(head, jet3 ? 39 : 59));
    if (jet3 || !reader.Read(nullptr, int(realIndexes) * 12))
        return;
    for (size_t i = 0; i < def.columns.size(); ++i) {
        uint8_t block[25];
        if (!reader.Read(block, 25))
            return;
        const int number = block[5] | (block[6] << 8);
        for (ColumnDef& c : def.columns) {
            if (c.number == number)
                c.compressed = (block[16] & 0x01) != 0;
        }
    }
}

} // namespace

// The catalog is the table MSysObjects, whose definition always lies on page 2.
// It is walked like any other table (libmdb's own catalog reader also parses
// every object's properties, and loops for ever on some damaged ones).
void JetFile::ReadCatalog()
{
    try {
        JetTable objects(*this, ReadDefinition(QStringLiteral("MSysObjects"), 2));
        const int id = objects.FindColumn(QStringLiteral("Id"));
        const int name = objects.FindColumn(QStringLiteral("Name"));
        const int type = objects.FindColumn(QStringLiteral("Type"));
        if (id < 0 || name < 0 || type < 0)
            throw CDaoException(QString());
        while (objects.Next()) {
            const std::optional<QString> objectType = objects.Value(type);
            const std::optional<QString> objectName = objects.Value(name);
            if (!objectType || (objectType->toInt() & 0x7F) != MDB_TABLE || !objectName)
                continue;
            const qint64 objectId = objects.Value(id).value_or(QString()).toLongLong();
            const uint32_t page = uint32_t(objectId) & 0x00FFFFFF;
            m_catalog.push_back({*objectName, page});
        }
    } catch (const CDaoException&) {
        m_catalog.clear();
    }
    if (m_catalog.empty())
        throw CDaoException(QStringLiteral("Cannot open the database %1: its catalog of tables "
                                           "cannot be read (the file is damaged).")
                                .arg(DisplayPath()));
}

const JetFile::CatalogEntry* JetFile::FindTable(const QString& name) const
{
    for (const CatalogEntry& entry : m_catalog) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

bool JetFile::HasTable(const QString& name) const
{
    return FindTable(name) != nullptr;
}

QStringList JetFile::TableNames() const
{
    QStringList names;
    for (const CatalogEntry& entry : m_catalog)
        names.append(entry.name);
    return names;
}

TableDef JetFile::ReadTable(const QString& name) const
{
    const CatalogEntry* entry = FindTable(name);
    if (!entry)
        throw CDaoException(
            QStringLiteral("The database %1 has no table %2.").arg(DisplayPath(), name));
    return ReadDefinition(entry->name, entry->definitionPage);
}

TableDef JetFile::ReadDefinition(const QString& name, uint32_t page) const
{
    MdbHandle* mdb = m_session->mdb;
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = page;
    const QByteArray utf8 = name.toUtf8();
    std::snprintf(entry.object_name, sizeof entry.object_name, "%s", utf8.constData());
    MdbTableDef* table = mdb_read_table(&entry);
    if (!table || table->num_real_idxs > kMaxIndexes || !mdb_read_columns(table)) {
        mdb_free_tabledef(table);
        NoteDamage();
        throw CDaoException(QStringLiteral("The definition of table %1 in the database %2 is "
                                           "damaged.")
                                .arg(name, DisplayPath()));
    }
    TableDef def;
    def.name = name;
    def.definitionPage = page;
    def.varColumns = int(table->num_var_cols);
    def.usageMap.assign(table->usage_map, table->usage_map + table->map_sz);
    CopyColumns(table, def);
    MarkIndexedColumns(*this, mdb->pg_buf, table, def);
    ReadLongValueMaps(*this, mdb->pg_buf, table, def);
    const unsigned realIndexes = table->num_real_idxs;
    mdb_free_tabledef(table);
    ReadWriterFields(*this, page, realIndexes, def);
    return def;
}

void JetFile::ReadPage(uint32_t page, uint8_t* buffer) const
{
    const off_t at = off_t(page) * m_pageSize;
    for (ssize_t done = 0; done < m_pageSize;) {
        const ssize_t got = pread(m_fd, buffer + done, size_t(m_pageSize - done), at + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw CDaoException(QStringLiteral("Cannot read page %1 of the database %2: %3.")
                                    .arg(page)
                                    .arg(DisplayPath(), ErrorText(errno)));
        if (got == 0) {
            NoteDamage();
            throw CDaoException(QStringLiteral("The database %1 is damaged: page %2 lies "
                                               "beyond the end of the file.")
                                    .arg(DisplayPath(), QString::number(page)));
        }
        done += got;
    }
}

void JetFile::WritePage(uint32_t page, const uint8_t* buffer)
{
    if (m_failed || m_committed)
        throw CDaoException(
            QStringLiteral("The database %1 can no longer be changed.").arg(DisplayPath()));
    if (!m_onCopy)
        MakeWorkingCopy();
    const off_t at = off_t(page) * m_pageSize;
    for (ssize_t done = 0; done < m_pageSize;) {
        const ssize_t put = pwrite(m_fd, buffer + done, size_t(m_pageSize - done), at + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Fail(QStringLiteral("Cannot write page %1 of the working copy of the database %2")
                     .arg(page)
                     .arg(DisplayPath()),
                 put < 0 ? errno : EIO);
        done += put;
    }
    MdbHandle* mdb = m_session->mdb;
    if (mdb->cur_pg == page)
        mdb->cur_pg = 0; // libmdb keeps its last page; make it read the new one
}

uint32_t JetFile::PageCount() const
{
    struct stat st {
    };
    if (fstat(m_fd, &st) != 0)
        throw CDaoException(QStringLiteral("Cannot read the database %1: %2.")
                                .arg(DisplayPath(), ErrorText(errno)));
    return uint32_t(st.st_size / m_pageSize);
}

uint32_t JetFile::AppendPage(const uint8_t* buffer)
{
    if (!m_onCopy && !m_failed && !m_committed)
        MakeWorkingCopy();
    const uint32_t page = PageCount();
    if (page >= (1u << 24) - 1) // a row's address keeps 3 bytes for its page
        throw CDaoException(
            QStringLiteral("The database %1 has reached the largest size Access allows.")
                .arg(DisplayPath()));
    WritePage(page, buffer);
    MarkPageUsed(page);
    return page;
}

namespace {

constexpr uint32_t kGlobalMapPage = 1;

uint32_t Get32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Slides an inline map of free pages so that it reaches page: pages past its
// old end count as free, as they did outside it (what Jackcess does too).
void SlideFreeMap(uint8_t* map, int bytes, uint32_t page)
{
    const uint32_t bits = uint32_t(bytes) * 8;
    const uint32_t oldStart = Get32(map + 1);
    bool anyFree = false;
    for (int i = 0; i < bytes; ++i)
        anyFree = anyFree || map[5 + i] != 0;
    const uint32_t newStart = (anyFree ? page - bits / 2 : page) / 8 * 8;
    std::vector<uint8_t> old(map + 5, map + 5 + bytes);
    for (uint32_t i = 0; i < bits; ++i) {
        const uint32_t p = newStart + i;
        const bool free = p >= oldStart + bits ||
                          (p >= oldStart && (old[(p - oldStart) / 8] >> ((p - oldStart) % 8)) & 1);
        if (free)
            map[5 + i / 8] |= uint8_t(1u << (i % 8));
        else
            map[5 + i / 8] &= uint8_t(~(1u << (i % 8)));
    }
    Put32(map + 1, newStart);
}

} // namespace

// Page 1 keeps the database's map of free pages (a set bit is a free page, and
// pages the map does not reach count as free). A page added at the end is in
// use, so its bit goes.
void JetFile::MarkPageUsed(uint32_t page)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(m_pageSize));
    // Files not made by Access may keep table maps there instead: the
    // catalog's own maps tell.
    ReadPage(2, buffer.data());
    for (const int at : {m_jet3 ? 35 : 55, m_jet3 ? 39 : 59}) {
        if (Get32(&buffer[size_t(at)]) >> 8 == kGlobalMapPage)
            return;
    }
    ReadPage(kGlobalMapPage, buffer.data());
    const int countOffset = m_jet3 ? 8 : 12;
    const int start =
        (buffer[size_t(countOffset) + 2] | (buffer[size_t(countOffset) + 3] << 8)) & 0x1FFF;
    if (buffer[0] != 0x01 || buffer[size_t(countOffset)] == 0 || start < countOffset + 4 ||
        start + 5 > m_pageSize) {
        NoteDamage();
        throw CDaoException(
            QStringLiteral("The database %1 is damaged: its map of free pages cannot be read.")
                .arg(DisplayPath()));
    }
    uint8_t* map = &buffer[size_t(start)];
    const int bytes = m_pageSize - start - 5;
    if (map[0] == 0) {
        if (page < Get32(map + 1))
            return; // the map has moved past it (never so for a page at the end)
        if (page >= Get32(map + 1) + uint32_t(bytes) * 8)
            SlideFreeMap(map, bytes, page);
        const uint32_t bit = page - Get32(map + 1);
        map[5 + bit / 8] &= uint8_t(~(1u << (bit % 8)));
        WritePage(kGlobalMapPage, buffer.data());
        return;
    }
    if (map[0] != 1)
        throw CDaoException(QStringLiteral("The database %1 keeps its map of free pages in a form "
                                           "this program does not know.")
                                .arg(DisplayPath()));
    const uint32_t perPage = uint32_t(m_pageSize - 4) * 8;
    const uint32_t entry = page / perPage;
    if (entry >= uint32_t(m_pageSize - start - 1) / 4)
        return; // beyond what the map can reach
    const uint32_t mapPage = Get32(map + 1 + 4 * entry);
    if (mapPage == 0)
        return; // no map page for this stretch: its pages count as free already
    std::vector<uint8_t> bitmap(static_cast<size_t>(m_pageSize));
    ReadPage(mapPage, bitmap.data());
    const uint32_t bit = page % perPage;
    bitmap[4 + bit / 8] &= uint8_t(~(1u << (bit % 8)));
    WritePage(mapPage, bitmap.data());
}

void JetFile::Fail(const QString& what, int error)
{
    m_failed = true;
    throw CDaoException(
        QStringLiteral("%1: %2. The database was left as it was.").arg(what, ErrorText(error)));
}

void JetFile::MakeWorkingCopy()
{
    struct stat st {
    };
    if (fstat(m_fd, &st) != 0)
        Fail(QStringLiteral("Cannot read the database %1").arg(DisplayPath()), errno);
    m_copyPath = m_path + QLatin1String(".relocating");
    const QByteArray copy = QFile::encodeName(m_copyPath);
    const int out = ::open(copy.constData(), O_RDWR | O_CREAT | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0)
        Fail(QStringLiteral("Cannot make a working copy of the database %1").arg(DisplayPath()),
             errno);
    // A copy left by a run that was killed is taken over; one that another run
    // is still writing is not.
    if (flock(out, LOCK_EX | LOCK_NB) != 0) {
        ::close(out);
        m_failed = true;
        throw CDaoException(QStringLiteral("The database %1 is being relocated by another run of "
                                           "this program; it was left as it was.")
                                .arg(DisplayPath()));
    }
    if (ftruncate(out, 0) != 0) {
        const int error = errno;
        ::close(out);
        Fail(QStringLiteral("Cannot make a working copy of the database %1").arg(DisplayPath()),
             error);
    }
    if (fchmod(out, st.st_mode & 07777) != 0 || !CopyAll(m_fd, out, st.st_size)) {
        const int error = errno ? errno : EIO;
        ::close(out);
        ::unlink(copy.constData());
        Fail(QStringLiteral("Cannot make a working copy of the database %1").arg(DisplayPath()),
             error);
    }
    // From here on libmdb reads the copy too, unbuffered, so it sees our pages.
    FILE* stream = std::fopen(copy.constData(), "rb");
    if (!stream || setvbuf(stream, nullptr, _IONBF, 0) != 0) {
        const int error = errno;
        if (stream)
            std::fclose(stream);
        ::close(out);
        ::unlink(copy.constData());
        Fail(QStringLiteral("Cannot make a working copy of the database %1").arg(DisplayPath()),
             error);
    }
    MdbHandle* mdb = m_session->mdb;
    std::fclose(mdb->f->stream);
    mdb->f->stream = stream;
    mdb->cur_pg = 0;
    ::close(m_fd);
    m_fd = out;
    m_onCopy = true;
}

JetFile::Identity JetFile::IdentityOf(const QString& path)
{
    struct stat st {
    };
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {qint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void JetFile::Commit()
{
    if (m_committed)
        return;
    if (m_failed)
        throw CDaoException(QStringLiteral("The database %1 was left as it was: writing its "
                                           "working copy failed.")
                                .arg(DisplayPath()));
    if (!m_onCopy) {
        m_committed = true;
        return;
    }
    if (m_damaged) {
        m_failed = true;
        throw CDaoException(QStringLiteral("The database %1 is damaged, so the relocation was not "
                                           "saved; the database was left as it was.")
                                .arg(DisplayPath()));
    }
    if (!FindLockFile(QFileInfo(m_path)).isEmpty() || !(IdentityOf(m_path) == m_identity)) {
        m_failed = true;
        throw CDaoException(QStringLiteral("The database %1 was opened or changed by another "
                                           "program during the relocation; it was left as it "
                                           "was.")
                                .arg(DisplayPath()));
    }
    if (fsync(m_fd) != 0)
        Fail(QStringLiteral("Cannot save the relocated database %1").arg(DisplayPath()), errno);
    if (std::rename(QFile::encodeName(m_copyPath).constData(),
                    QFile::encodeName(m_path).constData()) != 0)
        Fail(QStringLiteral("Cannot save the relocated database %1").arg(DisplayPath()), errno);
    m_committed = true;
    // Make the rename itself durable.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
}

} // namespace jet
