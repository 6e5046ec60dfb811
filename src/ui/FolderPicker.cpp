#include "ui/FolderPicker.h"

#include "ini/CodePage.h"
#include "ui/Pickers.h"

#include <QDir>

CFolderPicker::CFolderPicker(QWidget* owner)
    : m_title(QStringLiteral("\nPlease Select Folder:")), m_owner(owner)
{
}

bool CFolderPicker::Browse(const QString& initialFolder)
{
    QString chosen;
    if (!BrowseForFolder(m_owner, m_title, initialFolder, &chosen))
        return false;
    m_path = chosen;
    m_displayName = QDir(chosen).dirName();
    return true;
}

QByteArray CFolderPicker::GetPathBytes() const { return ToCodePage(m_path); }
