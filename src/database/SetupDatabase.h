#pragma once

#include <QString>

// Relocation mode entry, called by start-up after it has split the argument
// into theApp.m_strAppDir and theApp.m_strArgPart2. databaseOverride, when not
// empty, names the database file in place of the path built from the argument.
// Returns the process exit status.
int RelocateFromCommandLine(const QString& databaseOverride);
