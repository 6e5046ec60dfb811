#include "ui/Pickers.h"

#include "ui/RunMode.h"
#include "ui/Transcript.h"

#include <QFileDialog>
#include <QStringList>

namespace {

bool ScriptedAnswer(const char* kind, const QString& start, QString* chosen)
{
    transcript::Line(QStringLiteral("picker: %1 start=\"%2\"")
                         .arg(QLatin1String(kind), transcript::Escape(start)));
    ui::RunMode* mode = ui::ActiveRunMode();
    return mode && mode->TakePickerAnswer(chosen);
}

// "XIS data File (*.his)|*.his|" -> "XIS data File (*.his)"
QString QtFilter(const QString& win32Filter)
{
    const QStringList parts = win32Filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        names << parts[i];
    return names.join(QLatin1String(";;"));
}

} // namespace

bool BrowseForFolder(QWidget* owner, const QString& title, const QString& start, QString* chosen)
{
    if (transcript::Active())
        return ScriptedAnswer("folder", start, chosen);
    const QString dir = QFileDialog::getExistingDirectory(owner, title.trimmed(), start);
    if (dir.isEmpty())
        return false;
    *chosen = dir;
    return true;
}

bool BrowseForSaveFile(QWidget* owner, const QString& filter, const QString& start,
                       QString* chosen)
{
    if (transcript::Active())
        return ScriptedAnswer("file", start, chosen);
    const QString file = QFileDialog::getSaveFileName(owner, QString(), start, QtFilter(filter),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty())
        return false;
    *chosen = file;
    return true;
}
