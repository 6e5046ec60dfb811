// Fuzz target of the INI functions: any bytes as the file, then random reads
// (with buffers of every size), writes, deletions, transactions, dry runs and
// rewrites of the file behind the functions' back.
//
// Checked after every step: a read stays inside its buffer and ends what it
// copies; a write that succeeds reads back as written (through the cache and
// from the file); a save leaves every line it does not concern byte for byte;
// a rollback, a dry run and a refused write leave the file as it was.
//
// Layout of an input: the last two bytes give the length of the file content,
// taken from the front; the remaining bytes drive the steps.
#include "ini/Profile.h"
#include "settings/Ini.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#ifndef FUZZ_CHECK
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "ini fuzz: check failed at line %d: %s\n", __LINE__, #cond);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
#endif

namespace inifuzz {

constexpr std::size_t kMaxValue = 1500;

std::string Fold(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// A name the caller gives loses only its spaces; one that then starts or
// ends with another blank names nothing a read of the file finds, since the
// file's names lose all their blanks.
bool ReadsBack(const std::string& name)
{
    const std::size_t b = name.find_first_not_of(' ');
    const std::size_t e = name.find_last_not_of(' ');
    return b == std::string::npos || (!IsBlank(name[b]) && !IsBlank(name[e]));
}

// What a read returns for a value written as `v`.
std::string ReadOf(const std::string& v)
{
    std::string t = Trim(v);
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front())
        t = t.substr(1, t.size() - 2);
    return t;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// UTF-16 text that the code page cannot hold (or cut mid-character): read as
// empty, never written.
bool Unwritable(const std::string& bytes)
{
    if (bytes.compare(0, 2, "\xFF\xFE") != 0)
        return false;
    if (bytes.size() % 2)
        return true;
    for (std::size_t i = 3; i < bytes.size(); i += 2) {
        if (bytes[i] != '\0')
            return true;
    }
    return false;
}

bool IsUtf16(const std::string& bytes)
{
    return bytes.compare(0, 2, "\xFF\xFE") == 0 && !Unwritable(bytes);
}

// The file's text: UTF-16 as the code-page bytes it stands for.
std::string Text(const std::string& bytes)
{
    if (!IsUtf16(bytes))
        return bytes;
    std::string text;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        text += bytes[i];
    return text;
}

// A line of the file, classified as Windows reads it.
struct RawLine {
    std::string text, eol;
    enum Kind { Other, Header, Key } kind = Other;
    std::string name; // folded
};

std::vector<RawLine> Lines(const std::string& bytes)
{
    std::vector<RawLine> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        RawLine line;
        if (end == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            line.text = bytes.substr(pos, end - pos);
            const bool crlf =
                bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            line.eol = bytes.substr(end, crlf ? 2 : 1);
            pos = end + line.eol.size();
        }
        // A UTF-8 byte-order mark is text of the first line.
        std::size_t i = 0;
        const std::string& t = line.text;
        while (i < t.size() && IsBlank(t[i]))
            ++i;
        if (i < t.size() && t[i] == '[') {
            const std::size_t close = t.find(']', i + 1);
            line.kind = RawLine::Header;
            line.name = Fold(
                Trim(t.substr(i + 1, (close == std::string::npos ? t.size() : close) - i - 1)));
        } else if (i < t.size() && t[i] != ';' && t.find('=', i) != std::string::npos) {
            line.kind = RawLine::Key;
            line.name = Fold(Trim(t.substr(i, t.find('=', i) - i)));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The writes of one save: what they concern and what reads must return.
struct Batch {
    std::string before;                                 // the file when the save began
    std::set<std::string> sections;                     // written or deleted (folded)
    std::set<std::string> deleted;                      // deleted sections (folded)
    std::set<std::pair<std::string, std::string>> keys; // (section, key), folded
    // (section, key) as written -> the value reads must return (nullopt: missing).
    std::map<std::pair<std::string, std::string>, std::optional<std::string>> expected;

    void Reset(std::string bytes)
    {
        *this = Batch{};
        before = std::move(bytes);
    }
};

std::string Escaped(const std::string& bytes)
{
    std::string out;
    for (const unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex,
                      c == '\n' || (c >= 32 && c < 127 && c != '\\') ? "%c" : "\\x%02X", c);
        out += hex;
    }
    return out;
}

// What a failed check of the lines saw.
void Show(const Batch& b, const std::string& after, const std::string& line)
{
    std::fprintf(stderr, "--- before\n%s\n--- after\n%s\n--- line\n%s\n--- written:",
                 Escaped(b.before).c_str(), Escaped(after).c_str(), Escaped(line).c_str());
    for (const auto& [section, key] : b.keys)
        std::fprintf(stderr, " [%s] %s;", Escaped(section).c_str(), Escaped(key).c_str());
    for (const std::string& section : b.deleted)
        std::fprintf(stderr, " [%s] deleted;", Escaped(section).c_str());
    std::fprintf(stderr, "\n");
}

bool Concerned(const Batch& b, const std::string& section, const RawLine& line)
{
    if (b.deleted.count(section))
        return true;
    return line.kind == RawLine::Key && b.keys.count({section, line.name});
}

// Every line the save does not concern is still there, in order and byte for
// byte (a last line may gain a line end); every other line is a header or key
// the save wrote, or a line it concerns left as it was (a deletion that found
// nothing before another program rewrote the file is not made again).
void CheckUntouched(const Batch& b, const std::string& afterBytes)
{
    if (Unwritable(b.before)) {
        FUZZ_CHECK(afterBytes == b.before);
        return;
    }
    if (IsUtf16(b.before))
        FUZZ_CHECK(IsUtf16(afterBytes));
    const std::string after = Text(afterBytes);
    std::vector<RawLine> kept, concerned;
    std::string section = "\n"; // before the first header: no name holds a line break
    for (const RawLine& line : Lines(Text(b.before))) {
        if (line.kind == RawLine::Header)
            section = line.name;
        (Concerned(b, section, line) ? concerned : kept).push_back(line);
    }
    std::size_t nextConcerned = 0;
    std::size_t next = 0;
    section = "\n";
    for (const RawLine& line : Lines(after)) {
        if (line.kind == RawLine::Header)
            section = line.name;
        if (next < kept.size() && kept[next].text == line.text &&
            (kept[next].eol == line.eol || kept[next].eol.empty())) {
            ++next;
            continue;
        }
        const bool written = (line.kind == RawLine::Header && b.sections.count(line.name)) ||
                             (line.kind == RawLine::Key && b.keys.count({section, line.name}));
        if (written)
            continue;
        while (nextConcerned < concerned.size() && concerned[nextConcerned].text != line.text)
            ++nextConcerned;
        if (nextConcerned < concerned.size()) {
            ++nextConcerned;
            continue;
        }
        Show(b, after, line.text);
        FUZZ_CHECK(written);
    }
    if (next != kept.size())
        Show(b, after, kept[next].text);
    FUZZ_CHECK(next == kept.size());
}

class Run
{
public:
    Run(FuzzedDataProvider& in, std::string path) : m_in(in), m_path(std::move(path)) {}

    void Steps();

private:
    FuzzedDataProvider& m_in;
    std::string m_path;
    Batch m_batch;
    bool m_inTransaction = false;
    bool m_refusedInTransaction = false; // reported again by the commit
    bool m_dry = false;
    std::string m_dryBefore;

    static std::vector<char>& Big()
    {
        static std::vector<char> buffer(1 << 22);
        return buffer;
    }
    std::string ReadAll(const char* section, const char* key, bool* found = nullptr);
    std::vector<std::string> List(const char* section);
    std::string PickSection();
    std::string PickKey(const std::string& section);
    std::string SafeName();

    void Read();
    void ReadList();
    void Write(int kind);
    void Begin();
    void Commit();
    void Rollback();
    void Rewrite();
    void ToggleDryRun();
    void Store();
    void CheckExpected();
    void SaveDone();
};

// The whole value; found tells a missing key from any value (two reads with
// different defaults).
std::string Run::ReadAll(const char* section, const char* key, bool* found)
{
    std::vector<char>& big = Big();
    auto read = [&](const char* fallback) {
        const DWORD n = GetPrivateProfileStringA(section, key, fallback, big.data(),
                                                 static_cast<DWORD>(big.size()), m_path.c_str());
        FUZZ_CHECK(n + 2 < big.size());
        return std::string(big.data(), n);
    };
    std::string value = read("\x01");
    if (found)
        *found = value != "\x01" || read("\x02") != "\x02";
    return value;
}

std::vector<std::string> Run::List(const char* section)
{
    std::vector<char>& big = Big();
    const DWORD n = section
                        ? GetPrivateProfileStringA(section, nullptr, "", big.data(),
                                                   static_cast<DWORD>(big.size()), m_path.c_str())
                        : GetPrivateProfileSectionNamesA(big.data(), static_cast<DWORD>(big.size()),
                                                         m_path.c_str());
    FUZZ_CHECK(n + 2 < big.size());
    std::vector<std::string> names;
    for (DWORD at = 0; at < n && big[at];) {
        names.emplace_back(big.data() + at);
        at += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

std::string Run::SafeName()
{
    static const char* const kNames[] = {"Cor", "cor", "SYSTEM",    "Key",           "Width",
                                         "a b", "x.y", "\xE9t\xE9", "CONTROLPANNEL", "Cor1"};
    if (m_in.ConsumeBool())
        return kNames[m_in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
    std::string name;
    for (char c : m_in.ConsumeRandomLengthString(12)) {
        if (!std::strchr("[]=;\r\n", c) && c != '\0')
            name += c;
    }
    name = Trim(name);
    return name.empty() ? "k" : name;
}

std::string Run::PickSection()
{
    if (m_in.ConsumeBool()) {
        const std::vector<std::string> names = List(nullptr);
        if (!names.empty())
            return names[m_in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
    }
    return SafeName();
}

std::string Run::PickKey(const std::string& section)
{
    if (m_in.ConsumeBool()) {
        const std::vector<std::string> names = List(section.c_str());
        if (!names.empty())
            return names[m_in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
    }
    return SafeName();
}

// A read with a buffer of any size, its bytes after the buffer watched.
void Run::Read()
{
    const std::string section = PickSection();
    const std::string key = PickKey(section);
    const std::string fallback = m_in.ConsumeRandomLengthString(40).c_str();
    const DWORD size = m_in.ConsumeIntegralInRange<DWORD>(0, 700);
    std::unique_ptr<char[]> buffer(new char[size + 1]);
    std::memset(buffer.get(), 0x5A, size + 1);
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(),
                                             buffer.get(), size, m_path.c_str());
    FUZZ_CHECK(buffer[size] == 0x5A);
    if (size == 0) {
        FUZZ_CHECK(n == 0 && buffer[0] == 0x5A);
        return;
    }
    FUZZ_CHECK(n < size && buffer[n] == '\0');
    bool found = false;
    std::string whole = ReadAll(section.c_str(), key.c_str(), &found);
    if (!found) {
        whole = fallback; // without the spaces it ends with
        while (!whole.empty() && whole.back() == ' ')
            whole.pop_back();
    }
    FUZZ_CHECK(n == std::min<std::size_t>(whole.size(), size - 1));
    FUZZ_CHECK(std::string(buffer.get(), n) == whole.substr(0, n));

    // The settings store grows its buffer until the value fits.
    CIni ini(m_path.c_str());
    const QByteArray viaStore = ini.GetString(section.c_str(), key.c_str(), fallback.c_str());
    FUZZ_CHECK(viaStore == QByteArray(whole.c_str()));
    (void)ini.GetInt(section.c_str(), key.c_str(), 7);
}

// Lists of section or key names: each name ended by a NUL, the list by one
// more; a list that does not fit is cut to size - 2 bytes.
void Run::ReadList()
{
    const bool sections = m_in.ConsumeBool();
    const std::string section = sections ? std::string() : PickSection();
    const DWORD size = m_in.ConsumeIntegralInRange<DWORD>(0, 300);
    std::unique_ptr<char[]> buffer(new char[size + 1]);
    std::memset(buffer.get(), 0x5A, size + 1);
    const DWORD n = sections ? GetPrivateProfileSectionNamesA(buffer.get(), size, m_path.c_str())
                             : GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.get(),
                                                        size, m_path.c_str());
    FUZZ_CHECK(buffer[size] == 0x5A);
    if (size == 0) {
        FUZZ_CHECK(n == 0);
        return;
    }
    FUZZ_CHECK(n < size && buffer[n] == '\0');
    if (n == 0)
        return;
    // A whole list: its last name's NUL and one more; a cut one: two more.
    FUZZ_CHECK(n <= size - 2 && (buffer[n - 1] == '\0' || buffer[n + 1] == '\0'));
}

// kind 0: a value, 1: a key deleted, 2: a section deleted.
void Run::Write(int kind)
{
    const std::string section = PickSection();
    const std::string key = PickKey(section);
    std::string value = m_in.ConsumeRandomLengthString(m_in.ConsumeBool() ? 40 : kMaxValue);
    value = value.c_str(); // as a C string sees it
    const std::string onDisk = FileBytes(m_path);
    const bool pending = !profile::PendingFiles().empty();
    // Names under which a value would not read back, and line breaks, are
    // refused before anything else.
    const std::string trimmedKey = Trim(key);
    const bool refusedAtOnce = section.find(']') != std::string::npos ||
                               trimmedKey.find('=') != std::string::npos ||
                               (!trimmedKey.empty() && std::strchr("[;", trimmedKey[0])) ||
                               value.find_first_of("\r\n") != std::string::npos;
    const bool refused = kind == 0 && (refusedAtOnce || (!pending && Unwritable(onDisk)));
    const BOOL ok = WritePrivateProfileStringA(section.c_str(), kind == 2 ? nullptr : key.c_str(),
                                               kind == 0 ? value.c_str() : nullptr, m_path.c_str());
    if (refused) {
        m_refusedInTransaction |= m_inTransaction && !refusedAtOnce;
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(FileBytes(m_path) == onDisk);
        return;
    }
    FUZZ_CHECK(ok);
    const std::string s = Fold(Trim(section)), k = Fold(Trim(key));
    m_batch.sections.insert(s);
    if (kind == 2) {
        m_batch.deleted.insert(s);
        for (auto it = m_batch.expected.begin(); it != m_batch.expected.end();) {
            it = Fold(Trim(it->first.first)) == s ? m_batch.expected.erase(it) : std::next(it);
        }
        bool found = true;
        ReadAll(section.c_str(), key.c_str(), &found);
        FUZZ_CHECK(!found);
        FUZZ_CHECK(List(section.c_str()).empty());
    } else {
        m_batch.keys.insert({s, k});
        std::optional<std::string> expected;
        if (kind == 0)
            expected = ReadOf(value);
        for (auto it = m_batch.expected.begin(); it != m_batch.expected.end();) {
            it = Fold(Trim(it->first.first)) == s && Fold(Trim(it->first.second)) == k
                     ? m_batch.expected.erase(it)
                     : std::next(it);
        }
        if (ReadsBack(section) && ReadsBack(key))
            m_batch.expected[{section, key}] = expected;
    }
    CheckExpected();
    if (!m_inTransaction)
        SaveDone();
}

// Reads return what was written, through the cache and from the file alike.
void Run::CheckExpected()
{
    for (const auto& [where, value] : m_batch.expected) {
        bool found = false;
        const std::string read = ReadAll(where.first.c_str(), where.second.c_str(), &found);
        if (found != value.has_value() || (value && read != *value))
            std::fprintf(stderr, "--- [%s] %s read \"%s\", written \"%s\"\n--- file\n%s\n",
                         Escaped(where.first).c_str(), Escaped(where.second).c_str(),
                         Escaped(read).c_str(), Escaped(value.value_or("(none)")).c_str(),
                         Escaped(FileBytes(m_path)).c_str());
        FUZZ_CHECK(found == value.has_value());
        if (value)
            FUZZ_CHECK(read == *value);
    }
}

// A save ended: in a dry run nothing changed on disk, else only what the save
// concerns did.
void Run::SaveDone()
{
    const std::string after = FileBytes(m_path);
    if (m_dry) {
        FUZZ_CHECK(after == m_dryBefore);
    } else {
        CheckUntouched(m_batch, after);
        profile::ClearCache();
        CheckExpected();
    }
    m_batch.Reset(m_dry ? m_batch.before : after);
}

void Run::Begin()
{
    if (m_inTransaction)
        return;
    profile::BeginTransaction();
    m_inTransaction = true;
}

void Run::Commit()
{
    if (!m_inTransaction)
        return;
    // The change lines of a save: each key's new value as reads see it.
    for (const profile::Change& change : profile::PendingChanges()) {
        FUZZ_CHECK(change.before != change.after);
        bool found = false;
        const std::string read = ReadAll(change.section.c_str(), change.key.c_str(), &found);
        FUZZ_CHECK(found == change.after.has_value());
        FUZZ_CHECK(!found || read == *change.after);
    }
    const std::string onDisk = FileBytes(m_path);
    // A write refused earlier is reported again; a file that another
    // program made unwritable meanwhile is not replaced.
    const bool pending = !profile::PendingFiles().empty();
    const bool commitRefused = pending && !m_dry && Unwritable(onDisk);
    const bool refused = m_refusedInTransaction || commitRefused;
    m_refusedInTransaction = false;
    const std::vector<profile::WriteFailure> failures = profile::CommitTransaction();
    const bool failed = !failures.empty();
    m_inTransaction = false;
    if (failed != refused) {
        std::fprintf(stderr, "--- file\n%s\n--- failures:", Escaped(onDisk).c_str());
        for (const profile::WriteFailure& f : failures)
            std::fprintf(stderr, " %s: %s;", f.path.c_str(), f.reason.c_str());
        std::fprintf(stderr, "\n");
    }
    FUZZ_CHECK(failed == refused);
    if (commitRefused || (failed && !pending)) {
        FUZZ_CHECK(FileBytes(m_path) == onDisk);
        m_batch.Reset(onDisk);
        return;
    }
    SaveDone();
}

void Run::Rollback()
{
    if (!m_inTransaction)
        return;
    profile::RollbackTransaction();
    m_inTransaction = m_refusedInTransaction = false;
    FUZZ_CHECK(FileBytes(m_path) == (m_dry ? m_dryBefore : m_batch.before));
    m_batch.Reset(m_batch.before);
}

// Another program replaces the file; what a save has pending is made again
// on the new content when it commits.
void Run::Rewrite()
{
    if (m_dry)
        return;
    const std::string bytes = m_in.ConsumeRandomLengthString(400);
    WriteBytes(m_path, bytes);
    m_batch.before = bytes;
    if (!m_inTransaction)
        m_batch.Reset(bytes);
}

void Run::ToggleDryRun()
{
    if (m_inTransaction)
        return;
    m_dry = !m_dry;
    profile::SetDryRun(m_dry);
    const std::string now = FileBytes(m_path);
    if (m_dry)
        m_dryBefore = now;
    else
        FUZZ_CHECK(now == m_dryBefore);
    m_batch.Reset(now);
}

void Run::Steps()
{
    m_batch.Reset(FileBytes(m_path));
    static const bool trace = std::getenv("KESTREL_FUZZ_TRACE") != nullptr;
    for (int step = 0; step < 64 && m_in.remaining_bytes() > 0; ++step) {
        const int op = m_in.ConsumeIntegralInRange(0, 10);
        if (trace)
            std::fprintf(stderr, "step %d: op %d, file %s\n", step, op,
                         Escaped(FileBytes(m_path)).c_str());
        switch (op) {
        case 0:
        case 1:
            Read();
            break;
        case 2:
            ReadList();
            break;
        case 3:
        case 4:
            Write(0);
            break;
        case 5:
            Write(1);
            break;
        case 6:
            Write(2);
            break;
        case 7:
            Begin();
            break;
        case 8:
            m_in.ConsumeBool() ? Commit() : Rollback();
            break;
        case 9:
            Rewrite();
            break;
        case 10:
            ToggleDryRun();
            break;
        }
    }
    if (m_inTransaction)
        m_in.ConsumeBool() ? Commit() : Rollback();
    if (m_dry)
        ToggleDryRun();
}

const std::string& Folder()
{
    // tmpfs when there is one: every save flushes its file to disk.
    static const std::string folder = [] {
        std::string dir = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                          std::string("/kestrel-fuzz-XXXXXX");
        return std::string(::mkdtemp(dir.data()));
    }();
    return folder;
}

} // namespace inifuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::size_t contentSize = in.ConsumeIntegral<std::uint16_t>();
    const std::string content = in.ConsumeBytesAsString(contentSize);
    const std::string path = inifuzz::Folder() + "/Kestrel.ini";
    inifuzz::WriteBytes(path, content);
    profile::ClearCache();
    inifuzz::Run(in, path).Steps();
    return 0;
}
