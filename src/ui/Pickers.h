#pragma once

// The shell's folder browser and the common save-file dialog. In scripted mode
// each prints its "picker:" line and takes the answer the script queued.
#include <QString>

class QWidget;

// Returns true with *chosen set when the user picked a folder.
bool BrowseForFolder(QWidget* owner, const QString& title, const QString& start, QString* chosen);

// Save-style file dialog. filter uses the Win32 form "Name (*.ext)|*.ext|".
bool BrowseForSaveFile(QWidget* owner, const QString& filter, const QString& start,
                       QString* chosen);
