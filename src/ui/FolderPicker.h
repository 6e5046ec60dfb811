#pragma once

// Lets the user pick a folder, starting at a given one. A page creates it on
// its stack, runs Browse once and takes GetPath().
#include <QString>

class QWidget;

class CFolderPicker
{
public:
    explicit CFolderPicker(QWidget* owner = nullptr);

    // True when a folder was chosen.
    bool Browse(const QString& initialFolder);
    QString GetPath() const { return m_path; }
    QByteArray GetPathBytes() const;

private:
    QString m_title;
    QString m_displayName;
    QString m_path;
    QWidget* m_owner;
};
