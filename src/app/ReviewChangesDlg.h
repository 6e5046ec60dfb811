#pragma once

// "Review changes": the keys OK would write with a new value, one change line
// each, in the order they would be written. Shows; writes nothing.
#include "ui/Dialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class ReviewChangesDlg;
}

class CReviewChangesDlg : public CDialog
{
    Q_OBJECT

public:
    enum ControlId {
        IDC_CHANGES = 1001, // the change lines
        IDC_COPY = 1002,    // puts them on the clipboard
        IDC_NOTE = 1003,    // "No changes" when there are none
    };

    // lines: as PreviewSave gives them.
    explicit CReviewChangesDlg(const QStringList& lines);
    ~CReviewChangesDlg() override;

    // The lines as the transcript and the clipboard have them.
    QStringList Lines() const;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void OnCopy();

    std::unique_ptr<Ui::ReviewChangesDlg> m_ui;
    QStringList m_lines;
};
