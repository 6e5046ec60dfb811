#pragma once

#include "ui/Dialog.h"

#include <memory>

namespace Ui {
class AboutDlg;
}

class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    void SetupUi() override;

private:
    std::unique_ptr<Ui::AboutDlg> m_ui;
};
