#pragma once

// Runs the editor in-process as `kestrel-setup --dir DIR --script -` would, and
// gives back the transcript and the exit status. Test workstations are temporary
// folders whose files the tests write inline.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

struct ScriptResult {
    int status = 0;
    QString transcript;
    // The transcript lines that start with prefix ("message: ", "control 1041 ").
    QStringList Lines(const QString& prefix) const;
    // The dump line of one control ("" when absent).
    QString Control(int id) const;
};

class Workstation
{
public:
    Workstation();
    // In a folder whose name starts with namePrefix (texts that must show as
    // they are: "%1", "%s").
    explicit Workstation(const QString& namePrefix);
    QString Dir() const { return m_dir.path(); }
    QString Path(const QString& name) const;

    void Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;
    bool Exists(const QString& name) const;

    // Kestrel.ini with LF line ends turned into CR LF, as on the workstation.
    void WriteIni(const QByteArray& text,
                  const QString& name = QStringLiteral("Kestrel.ini")) const;
    // A value as the INI functions read it ("" when missing).
    QByteArray Value(const char* section, const char* key,
                     const QString& name = QStringLiteral("Kestrel.ini")) const;
    bool HasKey(const char* section, const char* key,
                const QString& name = QStringLiteral("Kestrel.ini")) const;

    // dryRun: as with --dry-run.
    ScriptResult Run(const QString& script, bool dryRun = false) const;

private:
    QTemporaryDir m_dir;
};
