#include "settings/Workstation.h"

#include "settings/AppPaths.h"

#include <QFile>

namespace {
WorkstationContext g_workstation;
} // namespace

QString WorkstationContext::FilePath(const QString& fileName) const
{
    return FindNoCase(folder, fileName);
}

QByteArray WorkstationContext::FilePathBytes(const QString& fileName) const
{
    return QFile::encodeName(FilePath(fileName));
}

const WorkstationContext& ThisWorkstation()
{
    return g_workstation;
}

void SetWorkstation(const WorkstationContext& context)
{
    g_workstation = context;
}

void SetMultiDetector(bool multi)
{
    g_workstation.multiDetector = multi;
}
