#pragma once

// Win32-exact INI file functions (ANSI). Values are bytes: nothing converts
// code pages. Behaviour follows Windows on ANSI files, including the buffer
// rules the settings store relies on.
#include "ini/WinTypes.h"

#include <optional>
#include <string>
#include <vector>

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size, LPCSTR fileName);

namespace profile {

// A write that could not be carried out when its file was replaced.
struct WriteFailure {
    std::string path;   // the file as named by the caller
    std::string reason; // short English text, e.g. "Permission denied"
};

// Writes between Begin and Commit are collected per file; reads in between see
// the pending values. Commit replaces every touched file once, atomically
// (temporary file beside it, flushed, renamed over it, permissions kept).
// Outside a transaction every write replaces its file at once, atomically.
// Transactions do not nest: Begin while one is open is a programming error.
void BeginTransaction();
std::vector<WriteFailure> CommitTransaction();
void RollbackTransaction(); // drops pending writes; files stay as they were
bool InTransaction();

// Paths (as given) that have pending writes in the open transaction.
std::vector<std::string> PendingFiles();

// Those of them whose bytes the commit would change; the others are left
// untouched by it.
std::vector<std::string> ChangingFiles();

// One key that the open transaction changes: the value a read returns before
// the transaction and after it (nullopt: no such key). Values are compared as
// reads return them, so rewriting a key with what it already holds is no
// change.
struct Change {
    std::string path; // the file as the caller first named it
    std::string section, key;
    std::optional<std::string> before, after;
};

// The keys the open transaction changes, in the order they were first
// written; a deleted section gives one change per key it held.
std::vector<Change> PendingChanges();

// Dry run: commits and writes outside a transaction keep the new content in
// memory, where every later read sees it, and no file is touched; file
// attributes set meanwhile are kept in memory as well. Switching it off
// forgets all of it.
void SetDryRun(bool on);
bool DryRun();

// Forget every cached parse (tests that rewrite files behind our back use it
// only to prove the cache does not need it).
void ClearCache();

} // namespace profile
