#include "app/ScriptDriver.h"

#include "app/ControlDump.h"

#include "ini/CodePage.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/Transcript.h"
#include "ui/StopSignals.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QValidator>

namespace {

// Splits a script line into words; a word in double quotes may hold blanks and
// C escapes. Returns false with a reason for a malformed line.
bool Tokenize(const QString& line, QStringList* words, QList<bool>* quoted, QString* error)
{
    int i = 0;
    const int n = line.size();
    while (i < n) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        if (line[i] != QLatin1Char('"')) {
            const int start = i;
            while (i < n && !line[i].isSpace())
                ++i;
            words->append(line.mid(start, i - start));
            quoted->append(false);
            continue;
        }
        QString text;
        ++i;
        bool closed = false;
        while (i < n) {
            const QChar c = line[i++];
            if (c == QLatin1Char('"')) {
                closed = true;
                break;
            }
            if (c != QLatin1Char('\\')) {
                text += c;
                continue;
            }
            if (i >= n)
                break;
            const QChar e = line[i++];
            switch (e.unicode()) {
            case 'n':
                text += QLatin1Char('\n');
                break;
            case 'r':
                text += QLatin1Char('\r');
                break;
            case 't':
                text += QLatin1Char('\t');
                break;
            case '\\':
                text += QLatin1Char('\\');
                break;
            case '"':
                text += QLatin1Char('"');
                break;
            default:
                *error = QStringLiteral("unknown escape \\%1").arg(e);
                return false;
            }
        }
        if (!closed) {
            *error = QStringLiteral("text without its closing quote");
            return false;
        }
        words->append(text);
        quoted->append(true);
    }
    return true;
}

bool ParseInt(const QString& text, int* value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

} // namespace

ScriptDriver::ScriptDriver(const QString& scriptText) : m_installed(*this)
{
    const QStringList lines = scriptText.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString text = lines[i];
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        Line line{i + 1, {}, {}, {}};
        Tokenize(trimmed, &line.words, &line.quoted, &line.error);
        m_lines.push_back(line);
    }
}

ScriptDriver::~ScriptDriver() = default;

int ScriptDriver::Run(ScriptHost& host)
{
    m_host = &host;
    while (m_next < m_lines.size() && !m_aborted && !m_mainEnded) {
        const Line& line = m_lines[m_next++];
        if (!Interrupted(line))
            Execute(line);
    }
    if (!m_aborted && !m_mainEnded)
        host.PressCancel();
    m_host = nullptr;
    if (m_stopSignal)
        return stopsignals::ExitStatus(m_stopSignal);
    return m_aborted ? 2 : 0;
}

bool ScriptDriver::Interrupted(const Line& next)
{
    if (const int signal = stopsignals::Pending()) {
        m_stopSignal = signal;
        m_aborted = true;
        return true;
    }
    if (transcript::Broken()) {
        Fail(next, QStringLiteral("the transcript cannot be written"));
        return true;
    }
    return false;
}

int ScriptDriver::RunModal(CDialog& dialog)
{
    transcript::Line(
        QStringLiteral("dialog: \"%1\"").arg(transcript::Escape(dialog.windowTitle())));
    // A dialog may tell what it shows as it opens (the review its change lines).
    for (const QString& text : dialog.property("openingLines").toStringList())
        transcript::Line(text);
    m_modals.push_back(&dialog);
    while (dialog.ModalResult() == 0 && !m_aborted && m_next < m_lines.size()) {
        const Line& line = m_lines[m_next++];
        if (!Interrupted(line))
            Execute(line);
    }
    // A script that ends with the dialog up presses its Cancel.
    if (dialog.ModalResult() == 0 && !m_aborted)
        dialog.OnCancel();
    m_modals.pop_back();
    return dialog.ModalResult() == 0 ? 2 : dialog.ModalResult();
}

bool ScriptDriver::TakePickerAnswer(QString* path)
{
    if (m_pickerAnswers.empty())
        return false;
    const QString answer = m_pickerAnswers.front();
    m_pickerAnswers.pop_front();
    if (answer.isNull())
        return false;
    *path = answer;
    return true;
}

CDialog* ScriptDriver::Target() const
{
    if (!m_modals.empty())
        return m_modals.back();
    return m_host ? m_host->CurrentPage() : nullptr;
}

ScriptDriver::Outcome ScriptDriver::Fail(const Line& line, const QString& reason)
{
    transcript::Line(QStringLiteral("error: %1: %2")
                         .arg(QString::number(line.number), transcript::Escape(reason)));
    m_aborted = true;
    return Outcome::Error;
}

void ScriptDriver::DumpTabs() const
{
    QStringList tabs;
    if (m_host) {
        for (const QString& t : m_host->TabTexts())
            tabs << QLatin1Char('"') + transcript::Escape(t) + QLatin1Char('"');
    }
    transcript::Line(
        QStringLiteral("tabs current=%1 [%2]")
            .arg(QString::number(m_host ? m_host->CurrentTab() : -1), tabs.join(QLatin1Char(','))));
}

QWidget* ScriptDriver::ControlFor(const Line& line, const QString& idText, int* id)
{
    CDialog* target = Target();
    if (!ParseInt(idText, id)) {
        Fail(line, QStringLiteral("not a control id: %1").arg(idText));
        return nullptr;
    }
    QWidget* w = target ? target->FindDlgItem(*id) : nullptr;
    if (!w) {
        Fail(line, QStringLiteral("no control %1").arg(*id));
        return nullptr;
    }
    if (!target->IsDlgItemVisible(*id)) {
        Fail(line, QStringLiteral("control %1 is hidden").arg(*id));
        return nullptr;
    }
    if (!target->IsDlgItemEnabled(*id)) {
        Fail(line, QStringLiteral("control %1 is disabled").arg(*id));
        return nullptr;
    }
    return w;
}

ScriptDriver::Outcome ScriptDriver::Execute(const Line& line)
{
    if (!line.error.isEmpty())
        return Fail(line, line.error);
    using Command = Outcome (ScriptDriver::*)(const Line&);
    static const std::pair<const char*, Command> commands[] = {
        {"tab", &ScriptDriver::DoTab},         {"folder", &ScriptDriver::DoFolder},
        {"dump", &ScriptDriver::DoDump},       {"ok", &ScriptDriver::DoOkCancel},
        {"cancel", &ScriptDriver::DoOkCancel}, {"click", &ScriptDriver::DoClick},
        {"select", &ScriptDriver::DoSelect},   {"type", &ScriptDriver::DoType},
        {"arrow", &ScriptDriver::DoArrow},     {"menu", &ScriptDriver::DoMenu},
    };
    const QString cmd = line.words.value(0);
    for (const auto& command : commands) {
        if (cmd == QLatin1String(command.first))
            return (this->*command.second)(line);
    }
    return Fail(line, QStringLiteral("unknown command: %1").arg(cmd));
}

ScriptDriver::Outcome ScriptDriver::WrongArguments(const Line& line)
{
    return Fail(line, QStringLiteral("wrong arguments for %1").arg(line.words.value(0)));
}

ScriptDriver::Outcome ScriptDriver::DoTab(const Line& line)
{
    int index = 0;
    if (line.words.size() != 2 || !ParseInt(line.words[1], &index))
        return WrongArguments(line);
    if (!m_modals.empty())
        return Fail(line, QStringLiteral("a dialog is open"));
    if (index < 0 || index >= m_host->TabTexts().size())
        return Fail(line, QStringLiteral("no tab %1").arg(index));
    m_host->SelectTab(index);
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoFolder(const Line& line)
{
    if (line.words.size() != 2)
        return WrongArguments(line);
    if (line.quoted[1])
        m_pickerAnswers.push_back(line.words[1]);
    else if (line.words[1] == QLatin1String("cancel"))
        m_pickerAnswers.push_back(QString());
    else
        return WrongArguments(line);
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoDump(const Line& line)
{
    if (line.words.size() > 2)
        return WrongArguments(line);
    CDialog* target = Target();
    if (line.words.size() == 2) {
        int id = 0;
        if (!ParseInt(line.words[1], &id))
            return WrongArguments(line);
        if (!target || !target->FindDlgItem(id))
            return Fail(line, QStringLiteral("no control %1").arg(id));
        DumpTabs();
        transcript::Line(DumpControl(*target, id));
        return Outcome::Continue;
    }
    DumpTabs();
    if (target) {
        for (int id : target->ControlIds())
            transcript::Line(DumpControl(*target, id));
    }
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoOkCancel(const Line& line)
{
    if (line.words.size() != 1)
        return WrongArguments(line);
    const bool ok = line.words[0] == QLatin1String("ok");
    if (!m_modals.empty()) {
        CDialog* dialog = m_modals.back();
        ok ? dialog->OnOK() : dialog->OnCancel();
        return Outcome::EndedModal;
    }
    m_mainEnded = true;
    ok ? m_host->PressOK() : m_host->PressCancel();
    return Outcome::EndedMain;
}

ScriptDriver::Outcome ScriptDriver::DoClick(const Line& line)
{
    if (line.words.size() != 2)
        return WrongArguments(line);
    int id = 0;
    QWidget* w = ControlFor(line, line.words[1], &id);
    if (m_aborted)
        return Outcome::Error;
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (!button)
        return Fail(line, QStringLiteral("control %1 is not a button").arg(id));
    button->click();
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoSelect(const Line& line)
{
    if (line.words.size() != 3)
        return WrongArguments(line);
    int id = 0;
    QWidget* w = ControlFor(line, line.words[1], &id);
    if (m_aborted)
        return Outcome::Error;
    auto* combo = qobject_cast<QComboBox*>(w);
    auto* list = qobject_cast<QListWidget*>(w);
    if (!combo && !list)
        return Fail(line, QStringLiteral("control %1 is not a list").arg(id));
    CDialog* target = Target();
    int index = -1;
    if (line.quoted[2])
        index = target->FindStringExact(id, ToCodePage(line.words[2]), Qt::CaseSensitive);
    else if (!ParseInt(line.words[2], &index))
        return WrongArguments(line);
    if (index < 0 || index >= target->GetCount(id)) {
        const QString entry =
            line.quoted[2] ? QLatin1Char('"') + line.words[2] + QLatin1Char('"') : line.words[2];
        return Fail(line,
                    QStringLiteral("control %1 has no entry %2").arg(QString::number(id), entry));
    }
    if (combo) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    } else {
        list->setCurrentRow(index);
    }
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoType(const Line& line)
{
    if (line.words.size() != 3 || !line.quoted[2])
        return WrongArguments(line);
    int id = 0;
    QWidget* w = ControlFor(line, line.words[1], &id);
    if (m_aborted)
        return Outcome::Error;
    const QString text = line.words[2];
    // One-line fields: a person cannot type a line break there.
    const bool oneLine = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
    if (oneLine && (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))))
        return Fail(line, QStringLiteral("control %1 takes no line break").arg(id));
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->isReadOnly())
            return Fail(line, QStringLiteral("control %1 is read-only").arg(id));
        // A person cannot type what the field refuses (digits-only, length).
        QString probe = text;
        int pos = 0;
        if ((edit->validator() && edit->validator()->validate(probe, pos) == QValidator::Invalid) ||
            text.size() > edit->maxLength())
            return Fail(line, QStringLiteral("control %1 does not take that text").arg(id));
        if (edit->text() == text)
            emit edit->textChanged(text);
        else
            edit->setText(text);
        return Outcome::Continue;
    }
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable()) {
        // Typing leaves the box without a selected entry.
        combo->setCurrentIndex(-1);
        if (combo->currentText() == text)
            emit combo->editTextChanged(text);
        else
            combo->setEditText(text);
        return Outcome::Continue;
    }
    return Fail(line, QStringLiteral("control %1 takes no typing").arg(id));
}

ScriptDriver::Outcome ScriptDriver::DoArrow(const Line& line)
{
    int id = 0, delta = 0;
    if (line.words.size() != 3 || !ParseInt(line.words[2], &delta))
        return WrongArguments(line);
    QWidget* w = ControlFor(line, line.words[1], &id);
    if (m_aborted)
        return Outcome::Error;
    auto* updown = qobject_cast<CUpDownCtrl*>(w);
    if (!updown)
        return Fail(line, QStringLiteral("control %1 is not an up-down control").arg(id));
    updown->press(delta);
    return Outcome::Continue;
}

ScriptDriver::Outcome ScriptDriver::DoMenu(const Line& line)
{
    if (line.words.size() != 2 || !line.quoted[1])
        return WrongArguments(line);
    if (!m_modals.empty())
        return Fail(line, QStringLiteral("a dialog is open"));
    if (!m_host->ChooseMenuEntry(line.words[1]))
        return Fail(line, QStringLiteral("no menu entry \"%1\"").arg(line.words[1]));
    return m_aborted ? Outcome::Error : Outcome::Continue;
}
