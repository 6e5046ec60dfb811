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
    explicit CDetectorAtal(const PageContext& context);
    ~CDetectorAtal() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void OnModalityButton(int mode) override;

private:
    std::unique_ptr<Ui::DetectorAtal> m_ui;
};
