#pragma once

// The workstation the settings mode edits: its folder and the arrangement the
// main dialog finds there. The application sets it; pages and saves read it.
#include <QByteArray>
#include <QString>

struct WorkstationContext {
    QString folder;             // holds Kestrel.ini; ends in the separator
    bool multiDetector = false; // [Cor] UseMultiCor is 1

    // folder + the entry that matches fileName without regard to case.
    QString FilePath(const QString& fileName) const;
    // As FilePath, encoded for the INI functions.
    QByteArray FilePathBytes(const QString& fileName) const;
};

const WorkstationContext& ThisWorkstation();
void SetWorkstation(const WorkstationContext& context);
void SetMultiDetector(bool multi);
