#pragma once

// ATAL detectors (device id 20): modality, crop margins of detectors A and B,
// and the ATAL working folder, all in [ATAL] and [SYSTEM].
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorAtal;
}

class CDetectorAtal : public CDetector
{
    Q_OBJECT

public:
    CDetectorAtal();
    ~CDetectorAtal() override;

    void OnOK() override;

    // Set by the main dialog before creation.
    int m_nDeviceId = 0;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void OnModalityButton(int mode) override;

private:
    std::unique_ptr<Ui::DetectorAtal> m_ui;
};
