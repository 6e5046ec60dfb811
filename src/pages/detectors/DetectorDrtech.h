#pragma once

// DRTECH detector of device id 11: the modality and the image size cut out of
// the sensor. In multi-detector operation each slot keeps its size in its own
// section and the modality is left to the main dialog.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorDrtech;
}

class CDetectorDrtech : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorDrtech(const PageContext& context);
    ~CDetectorDrtech() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    // [Cor] alone, else [Cor1] or [Cor2] for the slot.
    const char* SizeSection() const;
    void LoadSizes();
    void OnDeltaposWidth(int delta);
    void OnDeltaposHeight(int delta);
    void StepSize(int& field, int bound, int delta);

    std::unique_ptr<Ui::DetectorDrtech> m_ui;
    int m_nSensorWidth = 0;
    int m_nSensorHeight = 0;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    const int m_nSlotIndex;
};
