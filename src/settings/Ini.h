#pragma once

// The one access layer for the INI files. Every read asks the file (through the
// platform's INI functions) and every write goes to it; the store itself keeps
// no copy of any value.
#include <QByteArray>

#include <string>
#include <vector>

class CIni
{
public:
    explicit CIni(const char* path = nullptr);
    virtual ~CIni();
    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    void SetPath(const char* path);
    const char* GetPath() const { return m_pszPath; }

    // Newly allocated with new[]; the caller frees it with delete[].
    char* ReadRaw(const char* section, const char* key, const char* defaultValue) const;
    QByteArray GetString(const char* section, const char* key,
                         const char* defaultValue = nullptr) const;
    int GetInt(const char* section, const char* key, int defaultValue) const;

    int WriteString(const char* section, const char* key, const char* value) const;
    int WriteString(const char* section, const char* key, const QByteArray& value) const
    {
        return WriteString(section, key, value.constData());
    }
    int WriteInt(const char* section, const char* key, int value) const;

private:
    char* m_pszPath = nullptr;
};

extern CIni g_Ini;

// These always work on g_Ini.
unsigned GetSectionNamesSize();
bool HasSyfmSdkSection();
bool SyfmSdkMarkerDiffers();

// A write the INI functions refused: the value never reached the file.
struct RefusedWrite {
    std::string path; // the file as named by the store
    std::string section, key;
    std::string reason; // short English text, e.g. "the value holds a line break"
};

// The writes refused since the last call, oldest first; the list is emptied.
std::vector<RefusedWrite> TakeRefusedWrites();
