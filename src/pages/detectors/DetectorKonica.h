#pragma once

// Konica detectors on the vendor's AEROSDK (device id 22): SDK folder, panel
// identifiers, box numbers and cutting offsets of one or two panels.
#include "pages/detectors/DetectorTwoPanel.h"

#include <memory>

namespace Ui {
class DetectorKonica;
}

class CDetectorKonica : public CDetectorTwoPanel
{
    Q_OBJECT

public:
    explicit CDetectorKonica(const PageContext& context);
    ~CDetectorKonica() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void LoadSettings();
    void TakeCuts();

    int m_nCutXA = 0;
    int m_nCutYA = 0;
    int m_nCutXB = 0;
    int m_nCutYB = 0;
    std::unique_ptr<Ui::DetectorKonica> m_ui;
};
