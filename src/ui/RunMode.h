#pragma once

// What differs between a run on screen and a run without one (a script or
// --headless): who runs a modal dialog, who answers a picker, and whether the
// run has stopped. The scripted mode installs itself; on screen and in picture
// runs there is none and the widgets answer.
#include <QString>

class CDialog;

namespace ui {

class RunMode
{
public:
    virtual ~RunMode() = default;

    // Runs the created dialog to its end; returns its result (IDOK, IDCANCEL).
    virtual int RunModal(CDialog& dialog) = 0;
    // A picker's answer; false for a cancel.
    virtual bool TakePickerAnswer(QString* path) = 0;
    // True once the run stopped at an error: nothing more may be written.
    virtual bool Aborted() const = 0;
};

// The installed mode, or null on screen.
RunMode* ActiveRunMode();

// Installs a mode for its own lifetime; the previous one comes back after it.
class RunModeScope
{
public:
    explicit RunModeScope(RunMode& mode);
    ~RunModeScope();
    RunModeScope(const RunModeScope&) = delete;
    RunModeScope& operator=(const RunModeScope&) = delete;

private:
    RunMode* m_previous;
};

} // namespace ui
