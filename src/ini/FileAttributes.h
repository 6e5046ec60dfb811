#pragma once

// Windows file attributes mapped onto POSIX: read-only means no owner write
// bit. A file that this run has written, or that has writes pending in the
// open transaction, reports the archive bit as Windows would, so a page's
// "protect again when the attributes are exactly normal" does nothing.
#include "ini/WinTypes.h"

#include <optional>
#include <string>

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

DWORD GetFileAttributesA(LPCSTR fileName);
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);

namespace fileattr {
// Marks a file as written in this run (the profile functions call it).
void NoteWritten(const char* fileName);
// Forget every mark (a new run in the same process, as tests do).
void ResetWritten();

// Dry run: SetFileAttributesA changes nothing on disk and keeps the read-only
// state in memory. What it holds for a file (canonical path), when anything.
std::optional<bool> EmulatedReadOnly(const std::string& canonicalPath);
void ForgetEmulated();
} // namespace fileattr
