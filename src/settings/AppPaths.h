#pragma once

// Files beside the executable (or in --dir), found without regard to case as
// on Windows: "Kestrel.ini" finds KESTREL.INI.
#include <QByteArray>
#include <QString>

// dir + the name of an existing entry that matches fileName without regard to
// case, or dir + fileName when there is none (a file the first write creates).
QString FindNoCase(const QString& dir, const QString& fileName);

// The same in the application folder (theApp.m_strAppDir).
QString AppFilePath(const QString& fileName);

// As AppFilePath, encoded for the INI functions.
QByteArray AppFilePathBytes(const QString& fileName);
