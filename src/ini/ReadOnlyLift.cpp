#include "ini/ReadOnlyLift.h"

#include "ini/FileAttributes.h"

#include <utility>

ReadOnlyLift::ReadOnlyLift(QByteArray path, After after) : m_path(std::move(path)), m_after(after)
{
    const DWORD attributes = GetFileAttributesA(m_path.constData());
    m_wasReadOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (m_wasReadOnly)
        SetFileAttributesA(m_path.constData(), FILE_ATTRIBUTE_NORMAL);
}

ReadOnlyLift::~ReadOnlyLift()
{
    if (m_after == After::AsBefore) {
        if (m_wasReadOnly)
            SetFileAttributesA(m_path.constData(), FILE_ATTRIBUTE_READONLY);
        return;
    }
    const DWORD attributes = GetFileAttributesA(m_path.constData());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_NORMAL))
        SetFileAttributesA(m_path.constData(), FILE_ATTRIBUTE_READONLY);
}
