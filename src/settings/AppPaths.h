#pragma once

// Files of the workstation folder, found without regard to case as
// on Windows: "Kestrel.ini" finds KESTREL.INI.
#include <QByteArray>
#include <QString>

// dir + the name of an existing entry that matches fileName without regard to
// case, or dir + fileName when there is none (a file the first write creates).
QString FindNoCase(const QString& dir, const QString& fileName);
