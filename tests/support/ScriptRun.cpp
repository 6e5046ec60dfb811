#include "support/ScriptRun.h"

#include "app/SetUpApp.h"
#include "ini/FileAttributes.h"
#include "ini/Profile.h"
#include "ui/Transcript.h"
#include "settings/Ini.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

QStringList ScriptResult::Lines(const QString& prefix) const
{
    QStringList out;
    for (const QString& line : transcript.split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            out << line;
    }
    return out;
}

QString ScriptResult::Control(int id) const
{
    const QStringList lines = Lines(QStringLiteral("control %1 ").arg(id));
    return lines.isEmpty() ? QString() : lines.last();
}

Workstation::Workstation() = default;

Workstation::Workstation(const QString& namePrefix)
    : m_dir(QDir::temp().filePath(namePrefix + QStringLiteral("XXXXXX")))
{
}

QString Workstation::Path(const QString& name) const
{
    return QDir(Dir()).filePath(name);
}

void Workstation::Write(const QString& name, const QByteArray& bytes) const
{
    QFile f(Path(name));
    if (f.exists())
        f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

QByteArray Workstation::Read(const QString& name) const
{
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Workstation::Exists(const QString& name) const
{
    return QFile::exists(Path(name));
}

void Workstation::WriteIni(const QByteArray& text, const QString& name) const
{
    QByteArray crlf = text;
    crlf.replace("\r\n", "\n").replace("\n", "\r\n");
    Write(name, crlf);
}

QByteArray Workstation::Value(const char* section, const char* key, const QString& name) const
{
    const QByteArray path = QFile::encodeName(Path(name));
    CIni ini(path.constData());
    return ini.GetString(section, key, "");
}

bool Workstation::HasKey(const char* section, const char* key, const QString& name) const
{
    const QByteArray path = QFile::encodeName(Path(name));
    CIni ini(path.constData());
    return ini.GetString(section, key, "\x01missing") != "\x01missing";
}

ScriptResult Workstation::Run(const QString& script, bool dryRun) const
{
    QTemporaryFile file;
    file.open();
    file.write(script.toUtf8());
    file.flush();

    ScriptResult result;
    transcript::SetActive(true);
    transcript::SetSink(&result.transcript);
    fileattr::ResetWritten();
    g_Ini.SetPath(nullptr);
    StartOptions options;
    options.dir = Dir();
    options.scriptFile = file.fileName();
    options.dryRun = dryRun;
    result.status = theApp.InitInstance(options);
    transcript::SetSink(nullptr);
    return result;
}
