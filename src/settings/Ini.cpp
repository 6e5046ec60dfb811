#include "settings/Ini.h"

#include "ini/Profile.h"
#include "ini/ProfileFile.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

CIni g_Ini;

namespace {

constexpr DWORD kStep = 512;
constexpr const char* kSyfmSdk = "SYFMSDK";
constexpr const char* kMarker = "{5A1C0E77-3B92-4F08-A6D4-9E2B71C04D3A}";

std::vector<RefusedWrite>& Refused()
{
    static std::vector<RefusedWrite> refused;
    return refused;
}

// Why a write was refused: what the value or the names hold, else the file.
std::string RefusalReason(const char* path, const char* section, const char* key, const char* value)
{
    if (std::strpbrk(value, "\r\n"))
        return "the value holds a line break";
    if (std::strpbrk(section, "\r\n") || std::strpbrk(key, "\r\n"))
        return "the name holds a line break";
    if (std::string reason = profile::detail::CheckWritable(path); !reason.empty())
        return reason;
    return "the name would not read back";
}

void NoteRefused(const char* path, const char* section, const char* key, const char* value)
{
    for (const RefusedWrite& r : Refused()) {
        if (r.path == path && r.section == section && r.key == key)
            return;
    }
    Refused().push_back({path, section, key, RefusalReason(path, section, key, value)});
}

char* CopyOf(const char* text)
{
    const std::size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

// strtoul(text, nullptr, 10) of the workstation's C runtime, whose unsigned
// long has 32 bits: a magnitude beyond that range gives 4294967295, and a
// minus sign negates modulo 2^32.
std::uint32_t StrToUl32(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > UINT32_MAX) {
            overflow = true;
            magnitude = UINT32_MAX;
        }
    }
    if (overflow)
        return UINT32_MAX;
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

bool EqualNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (fold(static_cast<unsigned char>(*a)) != fold(static_cast<unsigned char>(*b)))
            return false;
        if (!*a)
            return true;
    }
}

// The size the list of section names needs: the last returned length + 2
// once the list fits, growing the buffer in steps.
DWORD SectionNamesSize(const char* path)
{
    DWORD size = kStep;
    char* buffer = new char[size + 1];
    DWORD length = GetPrivateProfileSectionNamesA(buffer, size, path);
    while (length + 2 >= size) {
        delete[] buffer;
        size += kStep;
        buffer = new char[size + 1];
        length = GetPrivateProfileSectionNamesA(buffer, size, path);
    }
    delete[] buffer;
    return length + 2;
}

} // namespace

CIni::CIni(const char* path)
{
    if (path)
        m_pszPath = CopyOf(path);
}

CIni::~CIni()
{
    delete[] m_pszPath;
}

void CIni::SetPath(const char* path)
{
    if (!path) {
        // The copy is cut, not freed: a bound object stays bound to "".
        if (m_pszPath)
            m_pszPath[0] = '\0';
        return;
    }
    char* copy = CopyOf(path); // before freeing: path may be our own copy
    delete[] m_pszPath;
    m_pszPath = copy;
}

char* CIni::ReadRaw(const char* section, const char* key, const char* defaultValue) const
{
    if (!section || !key)
        return CopyOf(defaultValue ? defaultValue : "");
    const char* fallback = defaultValue ? defaultValue : "";
    DWORD size = kStep;
    char* buffer = new char[size + 1];
    for (;;) {
        const DWORD length =
            GetPrivateProfileStringA(section, key, fallback, buffer, size, m_pszPath);
        if (length + 1 < size)
            return buffer;
        // The value may have been cut: read again with more room.
        delete[] buffer;
        size += kStep;
        buffer = new char[size + 1];
    }
}

QByteArray CIni::GetString(const char* section, const char* key, const char* defaultValue) const
{
    char* raw = ReadRaw(section, key, defaultValue);
    QByteArray value(raw);
    delete[] raw;
    return value;
}

int CIni::GetInt(const char* section, const char* key, int defaultValue) const
{
    char* raw = ReadRaw(section, key, nullptr);
    char text[65] = {};
    std::strncpy(text, raw, 64);
    delete[] raw;
    if (text[0] == '\0')
        return defaultValue;
    return static_cast<int>(StrToUl32(text));
}

int CIni::WriteString(const char* section, const char* key, const char* value) const
{
    if (!section || !key)
        return 0;
    const char* text = value ? value : "";
    const BOOL written = WritePrivateProfileStringA(section, key, text, m_pszPath);
    if (!written && m_pszPath)
        NoteRefused(m_pszPath, section, key, text);
    return written;
}

std::vector<RefusedWrite> TakeRefusedWrites()
{
    std::vector<RefusedWrite> taken;
    taken.swap(Refused());
    return taken;
}

int CIni::WriteInt(const char* section, const char* key, int value) const
{
    if (!section || !key)
        return 0;
    char text[65] = {};
    std::snprintf(text, sizeof text, "%d", value);
    return WriteString(section, key, text);
}

unsigned GetSectionNamesSize()
{
    return SectionNamesSize(g_Ini.GetPath());
}

bool HasSyfmSdkSection()
{
    const char* path = g_Ini.GetPath();
    const DWORD size = SectionNamesSize(path);
    char* names = new char[size + 1];
    GetPrivateProfileSectionNamesA(names, size, path);
    bool found = false;
    for (const char* name = names; *name; name += std::strlen(name) + 1) {
        if (EqualNoCase(name, kSyfmSdk)) {
            found = true;
            break;
        }
    }
    delete[] names;
    return found;
}

bool SyfmSdkMarkerDiffers()
{
    char* value = g_Ini.ReadRaw(kSyfmSdk, "ISYOUTOO", kMarker);
    const bool differs = std::strcmp(value, kMarker) != 0;
    delete[] value;
    return differs;
}
