#include "ini/Profile.h"

#include "ini/FileAttributes.h"
#include "ini/ProfileDocument.h"
#include "ini/ProfileFile.h"
#include "ini/ProfileInternal.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

using namespace profile::detail;

namespace {

// The parse of a file as it was last seen. A copy taken too soon after the
// file's last change keeps the bytes it was parsed from, so that a later
// read can confirm it cheaply before trusting the stamp alone.
struct CacheEntry {
    FileStamp stamp;
    Document doc;
    bool settled = false;
    std::string bytes;
};

struct PendingFile {
    std::string path; // as the caller first named it
    FileStamp base;   // the version the edits were made on
    Document doc;
    std::vector<Edit> edits;
    // The base was read too soon after its last change for its stamp to
    // tell a later change of the same size.
    bool baseUnsettled = false;
};

// A write of the open transaction, as asked for (canonical path).
struct LogEntry {
    std::string path;
    Edit edit;
};

struct State {
    std::unordered_map<std::string, std::string> canonical;
    std::unordered_map<std::string, CacheEntry> cache;
    bool inTransaction = false;
    std::vector<std::string> order; // canonical paths in the order first written
    std::unordered_map<std::string, PendingFile> pending;
    std::vector<LogEntry> log;
    std::vector<profile::WriteFailure> failures;
    // Dry run: what the files would hold, by canonical path.
    bool dryRun = false;
    std::unordered_map<std::string, Document> dryContent;
};

State& St()
{
    static State state;
    return state;
}

void Remember(CacheEntry& entry, const FileStamp& stamp, std::int64_t readNs, std::string bytes)
{
    entry.stamp = stamp;
    entry.settled = Settled(stamp, readNs);
    entry.bytes = entry.settled ? std::string() : std::move(bytes);
}

// The cached parse of the file as it stands now; nullptr with `error` set
// when the file exists but cannot be read. A missing file reads as empty.
CacheEntry* Current(const std::string& path, int& error)
{
    State& s = St();
    FileStamp now;
    error = StatFile(path, now);
    auto it = s.cache.find(path);
    if (error) {
        if (it != s.cache.end())
            s.cache.erase(it);
        return nullptr;
    }
    if (it != s.cache.end() && it->second.stamp == now && it->second.settled)
        return &it->second;
    if (!now.exists) {
        CacheEntry& entry = s.cache[path];
        entry = CacheEntry{};
        entry.doc = Document::Absent();
        entry.settled = true; // a file that appears changes the stamp
        return &entry;
    }

    const std::int64_t readNs = NowNs();
    std::string bytes;
    FileStamp stamp;
    error = ReadFile(path, bytes, stamp);
    if (error == ENOENT)
        return Current(path, error); // removed in between
    if (error) {
        if (it != s.cache.end())
            s.cache.erase(it);
        return nullptr;
    }
    const bool had = it != s.cache.end();
    CacheEntry& entry = had ? it->second : s.cache[path];
    const bool same = had && entry.stamp == stamp && !entry.settled && entry.bytes == bytes;
    if (!same)
        entry.doc = Document::Parse(bytes);
    Remember(entry, stamp, readNs, std::move(bytes));
    return &entry;
}

// The file's content outside the open transaction: in a dry run what the
// earlier (unwritten) saves left, else the file itself. `error` as Current.
const Document* Committed(const std::string& path, int& error)
{
    State& s = St();
    error = 0;
    if (const auto d = s.dryContent.find(path); d != s.dryContent.end())
        return &d->second;
    const CacheEntry* entry = Current(path, error);
    return entry ? &entry->doc : nullptr;
}

const Document* ReadDocument(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    const std::string& path = CanonicalPath(fileName);
    State& s = St();
    if (const auto p = s.pending.find(path); p != s.pending.end())
        return &p->second.doc;
    int error = 0;
    return Committed(path, error);
}

const char kUnwritableText[] = "UTF-16 text beyond the code page";

// Empty when a write may go ahead, else a short reason. In a dry run a file
// whose attributes were changed in memory is judged by them.
std::string WritableReason(const std::string& path, const Document& doc)
{
    if (!doc.Writable())
        return kUnwritableText;
    if (St().dryRun) {
        if (const auto readOnly = fileattr::EmulatedReadOnly(path))
            return *readOnly ? "File is read-only" : std::string();
    }
    return CheckWritable(path);
}

const std::string& NoNames()
{
    static const std::string none;
    return none;
}

// A read copies at most size - 1 bytes and returns how many it copied.
DWORD CopyValue(LPSTR buffer, DWORD size, std::string_view value)
{
    const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Names each ended by a NUL and the list by one more. A list that does not
// fit is cut to size - 2 bytes, ended by two NULs, and size - 2 is returned.
DWORD CopyList(LPSTR buffer, DWORD size, const std::string& list)
{
    if (list.empty() || size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() + 2 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// Windows cuts only spaces from the end of a default, not tabs.
std::string_view TrimmedDefault(LPCSTR defaultValue)
{
    std::string_view text = defaultValue ? defaultValue : "";
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Windows cuts only the spaces around a name the caller gives; with a tab
// it names another key or section than the file's, whose blanks are cut.
std::string_view TrimmedName(LPCSTR name)
{
    std::string_view text = name;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A value written under such names would not read back under them: the key
// would start a section or a comment (blanks before them are skipped), or end
// before its '=', and the section would end at its ']'.
bool WritesOtherLines(std::string_view section, std::string_view key)
{
    const std::size_t first = key.find_first_not_of(" \t\v\f");
    return section.find(']') != std::string_view::npos ||
           (first != std::string_view::npos && (key[first] == '[' || key[first] == ';')) ||
           key.find('=') != std::string_view::npos;
}

bool HasLineBreak(LPCSTR text)
{
    return text && std::strpbrk(text, "\r\n") != nullptr;
}

void Fail(const std::string& path, const std::string& reason)
{
    auto& failures = St().failures;
    for (const profile::WriteFailure& f : failures) {
        if (f.path == path && f.reason == reason)
            return;
    }
    failures.push_back({path, reason});
}

// Outside a transaction: the file is replaced at once.
BOOL WriteNow(const char* fileName, const std::string& path, const Edit& edit)
{
    State& s = St();
    int error = 0;
    if (s.dryRun) {
        const Document* doc = Committed(path, error);
        if (!doc)
            return FALSE;
        if (!doc->Changes(edit))
            return TRUE;
        if (!WritableReason(path, *doc).empty())
            return FALSE;
        Document changed = *doc;
        changed.Apply(edit);
        s.dryContent[path] = std::move(changed);
        fileattr::NoteWritten(fileName);
        return TRUE;
    }
    CacheEntry* entry = Current(path, error);
    if (!entry)
        return FALSE; // a file that cannot be read is never overwritten
    if (!entry->doc.Changes(edit))
        return TRUE;
    if (!WritableReason(path, entry->doc).empty())
        return FALSE;
    entry->doc.Apply(edit);
    std::string bytes = entry->doc.Serialize();
    if (!ReplaceFile(path, bytes).empty()) {
        St().cache.erase(path);
        return FALSE;
    }
    FileStamp stamp;
    StatFile(path, stamp);
    Remember(*entry, stamp, NowNs(), std::move(bytes));
    fileattr::NoteWritten(fileName);
    return TRUE;
}

// Inside a transaction: the edit joins the file's pending writes. A write
// that cannot succeed fails now, as it would have without the transaction,
// and is reported again when the transaction ends.
BOOL Stage(const char* fileName, const std::string& path, const Edit& edit)
{
    State& s = St();
    if (const auto p = s.pending.find(path); p != s.pending.end()) {
        if (p->second.doc.Apply(edit)) {
            p->second.edits.push_back(edit);
            s.log.push_back({path, edit});
        }
        return TRUE;
    }
    int error = 0;
    const Document* doc = Committed(path, error);
    if (!doc) {
        Fail(fileName, std::strerror(error));
        return FALSE;
    }
    if (!doc->Changes(edit))
        return TRUE;
    if (std::string reason = WritableReason(path, *doc); !reason.empty()) {
        Fail(fileName, reason);
        return FALSE;
    }
    PendingFile pending{fileName, {}, *doc, {edit}};
    if (const auto c = s.cache.find(path); c != s.cache.end()) {
        pending.base = c->second.stamp;
        pending.baseUnsettled = !c->second.settled;
    }
    pending.doc.Apply(edit);
    s.pending.emplace(path, std::move(pending));
    s.order.push_back(path);
    s.log.push_back({path, edit});
    return TRUE;
}

// True when the file holds exactly these bytes: writing them again would
// change nothing but its time.
bool HoldsBytes(const std::string& path, const std::string& bytes)
{
    std::string current;
    FileStamp stamp;
    return ReadFile(path, current, stamp) == 0 && current == bytes;
}

// Replaces one file with its pending content. When another program changed
// the file since the first write, the edits are made again on what it holds
// now rather than overwriting its change.
std::string CommitFile(const std::string& path, PendingFile& pending)
{
    FileStamp now;
    if (int error = StatFile(path, now))
        return std::strerror(error);
    Document* doc = &pending.doc;
    Document redone;
    if (now != pending.base || pending.baseUnsettled) {
        int error = 0;
        const CacheEntry* entry = Current(path, error);
        if (!entry)
            return std::strerror(error);
        if (!entry->doc.Writable())
            return kUnwritableText;
        redone = entry->doc;
        for (const Edit& edit : pending.edits)
            redone.Apply(edit);
        doc = &redone;
    }
    std::string bytes = doc->Serialize();
    if (HoldsBytes(path, bytes)) {
        // Nothing to replace: no new time, no flush.
    } else if (std::string reason = ReplaceFile(path, bytes); !reason.empty()) {
        return reason;
    }
    CacheEntry& entry = St().cache[path];
    entry.doc = std::move(*doc);
    FileStamp stamp;
    StatFile(path, stamp);
    Remember(entry, stamp, NowNs(), std::move(bytes));
    return {};
}

} // namespace

namespace profile::detail {

const std::string& CanonicalPath(const char* path)
{
    State& s = St();
    const bool absolute = path[0] == '/';
    if (absolute) {
        if (const auto it = s.canonical.find(path); it != s.canonical.end())
            return it->second;
    }
    const std::string given(path);
    char resolved[PATH_MAX];
    std::string result = given;
    bool known = true;
    if (::realpath(path, resolved)) {
        result = resolved;
    } else {
        const std::size_t slash = given.rfind('/');
        const std::string dir =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : given.substr(0, slash));
        known = ::realpath(dir.c_str(), resolved) != nullptr;
        if (known) {
            result = resolved;
            if (result.back() != '/')
                result += '/';
            result += slash == std::string::npos ? given : given.substr(slash + 1);
        }
    }
    // Relative names depend on the working folder: only absolute ones are kept.
    if (!absolute || !known) {
        static std::string scratch;
        scratch = std::move(result);
        return scratch;
    }
    return s.canonical.emplace(given, std::move(result)).first->second;
}

bool HasPendingWrites(const std::string& canonicalPath)
{
    return St().pending.count(canonicalPath) != 0;
}

} // namespace profile::detail

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    const Document* doc = ReadDocument(fileName);
    if (!section)
        return CopyList(buffer, size, doc ? doc->SectionNames() : NoNames());
    if (doc && !key && doc->HasSection(TrimmedName(section)))
        return CopyList(buffer, size, doc->KeyNames(TrimmedName(section)));
    if (doc && key) {
        if (const auto value = doc->Value(TrimmedName(section), TrimmedName(key)))
            return CopyValue(buffer, size, *value);
    }
    return CopyValue(buffer, size, TrimmedDefault(defaultValue));
}

DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size, LPCSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    const Document* doc = ReadDocument(fileName);
    return CopyList(buffer, size, doc ? doc->SectionNames() : NoNames());
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (!section || !fileName || !*fileName)
        return FALSE;
    // A line break would write lines (even sections) that nobody asked for.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return FALSE;
    Edit edit;
    edit.section = TrimmedName(section);
    if (key) {
        edit.key = TrimmedName(key);
        if (value) {
            if (WritesOtherLines(edit.section, *edit.key))
                return FALSE;
            edit.value = value;
        }
    }
    const std::string path = CanonicalPath(fileName);
    return St().inTransaction ? Stage(fileName, path, edit) : WriteNow(fileName, path, edit);
}

namespace profile {

void BeginTransaction()
{
    State& s = St();
    assert(!s.inTransaction && "transactions do not nest");
    s.inTransaction = true;
}

std::vector<WriteFailure> CommitTransaction()
{
    State& s = St();
    std::vector<WriteFailure> failures = std::move(s.failures);
    for (const std::string& path : s.order) {
        PendingFile& pending = s.pending.at(path);
        if (s.dryRun)
            s.dryContent[path] = std::move(pending.doc);
        else if (std::string reason = CommitFile(path, pending); !reason.empty()) {
            failures.push_back({pending.path, reason});
            continue;
        }
        fileattr::NoteWritten(pending.path.c_str());
    }
    RollbackTransaction();
    return failures;
}

void RollbackTransaction()
{
    State& s = St();
    s.pending.clear();
    s.order.clear();
    s.log.clear();
    s.failures.clear();
    s.inTransaction = false;
}

bool InTransaction()
{
    return St().inTransaction;
}

std::vector<std::string> PendingFiles()
{
    State& s = St();
    std::vector<std::string> paths;
    for (const std::string& path : s.order)
        paths.push_back(s.pending.at(path).path);
    return paths;
}

std::vector<std::string> ChangingFiles()
{
    State& s = St();
    std::vector<std::string> paths;
    for (const std::string& path : s.order) {
        const PendingFile& pending = s.pending.at(path);
        if (!HoldsBytes(path, pending.doc.Serialize()))
            paths.push_back(pending.path);
    }
    return paths;
}

std::vector<Change> PendingChanges()
{
    State& s = St();
    std::vector<Change> changes;
    std::unordered_set<std::string> seen; // path, section and key, folded
    auto add = [&](const std::string& path, const std::string& section, std::string key) {
        const PendingFile& pending = s.pending.at(path);
        if (!seen.insert(path + '\0' + Fold(section) + '\0' + Fold(key)).second)
            return;
        int error = 0;
        const Document* before = Committed(path, error);
        Change change{pending.path, section, std::move(key), std::nullopt, std::nullopt};
        if (before) {
            if (const auto value = before->Value(section, change.key))
                change.before = std::string(*value);
        }
        if (const auto value = pending.doc.Value(section, change.key))
            change.after = std::string(*value);
        if (change.before != change.after)
            changes.push_back(std::move(change));
    };
    for (const LogEntry& entry : s.log) {
        if (entry.edit.key) {
            add(entry.path, entry.edit.section, *entry.edit.key);
            continue;
        }
        int error = 0;
        const Document* before = Committed(entry.path, error);
        const std::string names = before ? before->KeyNames(entry.edit.section) : std::string();
        for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1)
            add(entry.path, entry.edit.section, names.substr(at, names.find('\0', at) - at));
    }
    return changes;
}

void SetDryRun(bool on)
{
    State& s = St();
    s.dryRun = on;
    s.dryContent.clear();
    fileattr::ForgetEmulated();
}

bool DryRun()
{
    return St().dryRun;
}

void ClearCache()
{
    State& s = St();
    s.cache.clear();
    s.canonical.clear();
}

} // namespace profile
