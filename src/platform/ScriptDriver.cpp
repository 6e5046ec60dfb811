#include "platform/ScriptDriver.h"

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Transcript.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QValidator>

namespace {

ScriptDriver* g_current = nullptr;

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
            case 'n': text += QLatin1Char('\n'); break;
            case 'r': text += QLatin1Char('\r'); break;
            case 't': text += QLatin1Char('\t'); break;
            case '\\': text += QLatin1Char('\\'); break;
            case '"': text += QLatin1Char('"'); break;
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

ScriptDriver::ScriptDriver(const QString& scriptText)
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
    g_current = this;
}

ScriptDriver::~ScriptDriver()
{
    if (g_current == this)
        g_current = nullptr;
}

ScriptDriver* ScriptDriver::Current() { return g_current; }

int ScriptDriver::Run(ScriptHost& host)
{
    m_host = &host;
    while (m_next < m_lines.size() && !m_aborted && !m_mainEnded) {
        const Line& line = m_lines[m_next++];
        Execute(line);
    }
    if (!m_aborted && !m_mainEnded)
        host.PressCancel();
    m_host = nullptr;
    return m_aborted ? 2 : 0;
}

int ScriptDriver::RunModal(CDialog& dialog)
{
    transcript::Line(QStringLiteral("dialog: \"%1\"").arg(transcript::Escape(dialog.windowTitle())));
    m_modals.push_back(&dialog);
    while (dialog.ModalResult() == 0 && !m_aborted && m_next < m_lines.size())
        Execute(m_lines[m_next++]);
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

void ScriptDriver::Fail(const Line& line, const QString& reason)
{
    transcript::Line(QStringLiteral("error: %1: %2").arg(line.number).arg(transcript::Escape(reason)));
    m_aborted = true;
}

void ScriptDriver::DumpTabs() const
{
    QStringList tabs;
    if (m_host) {
        for (const QString& t : m_host->TabTexts())
            tabs << QLatin1Char('"') + transcript::Escape(t) + QLatin1Char('"');
    }
    transcript::Line(QStringLiteral("tabs current=%1 [%2]")
                         .arg(m_host ? m_host->CurrentTab() : -1)
                         .arg(tabs.join(QLatin1Char(','))));
}

QWidget* ScriptDriver::ControlFor(const Line& line, const QString& idText, int* id)
{
    CDialog* target = Target();
    if (!ParseInt(idText, id)) {
        Fail(line, QStringLiteral("not a control id: %1").arg(idText));
        return nullptr;
    }
    QWidget* w = target ? target->GetDlgItem(*id) : nullptr;
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
    if (!line.error.isEmpty()) {
        Fail(line, line.error);
        return Outcome::Error;
    }
    const QString cmd = line.words.value(0);
    const int argc = line.words.size() - 1;
    auto wrongArgs = [&] {
        Fail(line, QStringLiteral("wrong arguments for %1").arg(cmd));
        return Outcome::Error;
    };

    if (cmd == QLatin1String("tab")) {
        int index = 0;
        if (argc != 1 || !ParseInt(line.words[1], &index))
            return wrongArgs();
        if (!m_modals.empty()) {
            Fail(line, QStringLiteral("a dialog is open"));
            return Outcome::Error;
        }
        if (index < 0 || index >= m_host->TabTexts().size()) {
            Fail(line, QStringLiteral("no tab %1").arg(index));
            return Outcome::Error;
        }
        m_host->SelectTab(index);
        return Outcome::Continue;
    }
    if (cmd == QLatin1String("folder")) {
        if (argc != 1)
            return wrongArgs();
        if (line.quoted[1])
            m_pickerAnswers.push_back(line.words[1]);
        else if (line.words[1] == QLatin1String("cancel"))
            m_pickerAnswers.push_back(QString());
        else
            return wrongArgs();
        return Outcome::Continue;
    }
    if (cmd == QLatin1String("dump")) {
        if (argc > 1)
            return wrongArgs();
        CDialog* target = Target();
        if (argc == 1) {
            int id = 0;
            if (!ParseInt(line.words[1], &id))
                return wrongArgs();
            if (!target || !target->GetDlgItem(id)) {
                Fail(line, QStringLiteral("no control %1").arg(id));
                return Outcome::Error;
            }
            DumpTabs();
            transcript::Line(target->DumpLine(id));
            return Outcome::Continue;
        }
        DumpTabs();
        if (target) {
            for (int id : target->ControlIds())
                transcript::Line(target->DumpLine(id));
        }
        return Outcome::Continue;
    }
    if (cmd == QLatin1String("ok") || cmd == QLatin1String("cancel")) {
        if (argc != 0)
            return wrongArgs();
        const bool ok = cmd == QLatin1String("ok");
        if (!m_modals.empty()) {
            CDialog* dialog = m_modals.back();
            ok ? dialog->OnOK() : dialog->OnCancel();
            return Outcome::EndedModal;
        }
        m_mainEnded = true;
        ok ? m_host->PressOK() : m_host->PressCancel();
        return Outcome::EndedMain;
    }

    int id = 0;
    if (cmd == QLatin1String("click")) {
        if (argc != 1)
            return wrongArgs();
        auto* button = qobject_cast<QAbstractButton*>(ControlFor(line, line.words[1], &id));
        if (m_aborted)
            return Outcome::Error;
        if (!button) {
            Fail(line, QStringLiteral("control %1 is not a button").arg(id));
            return Outcome::Error;
        }
        button->click();
        return Outcome::Continue;
    }
    if (cmd == QLatin1String("select")) {
        if (argc != 2)
            return wrongArgs();
        QWidget* w = ControlFor(line, line.words[1], &id);
        if (m_aborted)
            return Outcome::Error;
        CDialog* target = Target();
        int index = -1;
        if (line.quoted[2]) {
            for (int i = 0; i < target->GetCount(id); ++i) {
                if (target->GetLBText(id, i) == line.words[2].toLatin1()) {
                    index = i;
                    break;
                }
            }
        } else if (!ParseInt(line.words[2], &index)) {
            return wrongArgs();
        }
        auto* combo = qobject_cast<QComboBox*>(w);
        auto* list = qobject_cast<QListWidget*>(w);
        if (!combo && !list) {
            Fail(line, QStringLiteral("control %1 is not a list").arg(id));
            return Outcome::Error;
        }
        if (index < 0 || index >= target->GetCount(id)) {
            Fail(line, QStringLiteral("control %1 has no entry %2")
                           .arg(id)
                           .arg(line.quoted[2] ? QLatin1Char('"') + line.words[2] + QLatin1Char('"')
                                               : line.words[2]));
            return Outcome::Error;
        }
        if (combo) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        } else {
            list->setCurrentRow(index);
        }
        return Outcome::Continue;
    }
    if (cmd == QLatin1String("type")) {
        if (argc != 2 || !line.quoted[2])
            return wrongArgs();
        QWidget* w = ControlFor(line, line.words[1], &id);
        if (m_aborted)
            return Outcome::Error;
        const QString text = line.words[2];
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->isReadOnly()) {
                Fail(line, QStringLiteral("control %1 is read-only").arg(id));
                return Outcome::Error;
            }
            // A person cannot type what the field refuses (digits-only, length).
            QString probe = text;
            int pos = 0;
            if ((edit->validator() &&
                 edit->validator()->validate(probe, pos) == QValidator::Invalid) ||
                text.size() > edit->maxLength()) {
                Fail(line, QStringLiteral("control %1 does not take that text").arg(id));
                return Outcome::Error;
            }
            if (edit->text() == text)
                emit edit->textChanged(text);
            else
                edit->setText(text);
            return Outcome::Continue;
        }
        if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable()) {
            combo->setCurrentIndex(-1);
            if (combo->currentText() == text)
                emit combo->editTextChanged(text);
            else
                combo->setEditText(text);
            return Outcome::Continue;
        }
        Fail(line, QStringLiteral("control %1 takes no typing").arg(id));
        return Outcome::Error;
    }
    if (cmd == QLatin1String("arrow")) {
        int delta = 0;
        if (argc != 2 || !ParseInt(line.words[2], &delta))
            return wrongArgs();
        auto* updown = qobject_cast<CUpDownCtrl*>(ControlFor(line, line.words[1], &id));
        if (m_aborted)
            return Outcome::Error;
        if (!updown) {
            Fail(line, QStringLiteral("control %1 is not an up-down control").arg(id));
            return Outcome::Error;
        }
        updown->press(delta);
        return Outcome::Continue;
    }
    Fail(line, QStringLiteral("unknown command: %1").arg(cmd));
    return Outcome::Error;
}
