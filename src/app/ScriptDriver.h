#pragma once

// Drives the editor from a script of user actions instead of a person, writing
// a transcript on standard output. Every action goes through the same controls
// and handlers as a user's would.
#include "ui/RunMode.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class CDialog;
class QWidget;

// What the main dialog offers the driver.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;
    virtual QStringList TabTexts() const = 0;
    virtual int CurrentTab() const = 0;
    virtual void SelectTab(int index) = 0; // as the user clicking the tab
    virtual CDialog* CurrentPage() const = 0;
    virtual void PressOK() = 0;
    virtual void PressCancel() = 0;
    // Chooses the context-menu entry with this text ("&" ignored); false
    // when there is none.
    virtual bool ChooseMenuEntry(const QString& text)
    {
        Q_UNUSED(text);
        return false;
    }
};

// While it lives, the driver is the run mode: modal dialogs, pickers and
// saves ask it.
class ScriptDriver : public ui::RunMode
{
public:
    explicit ScriptDriver(const QString& scriptText);
    ~ScriptDriver() override;

    // Runs the script against the main dialog; returns the exit status
    // (0 ran to its end, 2 an error line or a transcript that could not be
    // written, 128 + N when signal N stopped it).
    int Run(ScriptHost& host);

    // Called by CDialog::DoModal: the script drives the dialog until it ends.
    int RunModal(CDialog& dialog) override;

    // Pickers ask for the answer that the script queued ("folder").
    // Returns false for a cancel (also when no answer was queued).
    bool TakePickerAnswer(QString* path) override;

    bool Aborted() const override { return m_aborted; }

private:
    struct Line {
        int number;
        QStringList words; // command and arguments, texts unescaped
        QList<bool> quoted;
        QString error; // a parse error
    };
    enum class Outcome { Continue, EndedMain, EndedModal, Error };

    Outcome Execute(const Line& line);
    Outcome DoTab(const Line& line);
    Outcome DoFolder(const Line& line);
    Outcome DoDump(const Line& line);
    Outcome DoOkCancel(const Line& line);
    Outcome DoClick(const Line& line);
    Outcome DoSelect(const Line& line);
    Outcome DoType(const Line& line);
    Outcome DoArrow(const Line& line);
    Outcome DoMenu(const Line& line);
    Outcome WrongArguments(const Line& line);
    CDialog* Target() const;
    QWidget* ControlFor(const Line& line, const QString& idText, int* id);
    Outcome Fail(const Line& line, const QString& reason);
    // A stop signal or a lost transcript ends the script before `next`.
    bool Interrupted(const Line& next);
    void DumpTabs() const;

    std::vector<Line> m_lines;
    size_t m_next = 0;
    ScriptHost* m_host = nullptr;
    std::vector<CDialog*> m_modals;
    std::deque<QString> m_pickerAnswers; // null string = cancel
    bool m_aborted = false;
    bool m_mainEnded = false;
    ui::RunModeScope m_installed;
    int m_stopSignal = 0;
};
