#pragma once

// "Select 2nd detector": picks the maker and model of the second detector and
// writes what the model means into [Cor2] when confirmed.
#include "ui/Dialog.h"

#include <memory>

namespace Ui
{
class DlgSelDet;
}

class CDlgSelDet : public CDialog
{
    Q_OBJECT

public:
    CDlgSelDet();
    ~CDlgSelDet() override;

    // Ends with OK in every case; writes only a complete choice.
    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void OnSelchangeMaker();

    std::unique_ptr<Ui::DlgSelDet> m_ui;
};
