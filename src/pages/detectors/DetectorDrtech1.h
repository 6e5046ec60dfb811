#pragma once

// DRTECH detectors of device ids 3 and 13 kept in the DRTECH sections: the
// sensor geometry comes from a built-in model table, the user cuts the image
// size and sets the modality, sound, exposure control and open time. The
// mobile page is this page without the modality.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorDrtech1;
}

class CDetectorDrtech1 : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorDrtech1(const PageContext& context);
    ~CDetectorDrtech1() override;

    void OnOK() override;

protected:
    // A page on another template; without the modality it neither loads nor
    // stores the modality keys.
    CDetectorDrtech1(int templateId, bool withModality, const PageContext& context);

    void SetupUi() override;
    bool OnInitDialog() override;

private:
    // Where loading took the geometry from; the modality restriction needs it.
    struct GeometrySource {
        int deviceId = 0;
        int detType = 0;
    };

    GeometrySource LoadGeometry();
    void ShowSizes(int sensorWidth, int sensorHeight);
    void LoadModalityChoice(const GeometrySource& source);
    void LoadSwitches();
    void SaveSingle();
    void SaveMulti();
    void SaveModalityKeys();
    void OnDeltaposWidth(int delta);
    void OnDeltaposHeight(int delta);
    void StepSize(int& field, int bound, int delta);

    std::unique_ptr<Ui::DetectorDrtech1> m_ui;
    const bool m_bWithModality;
    int m_nSensorWidth = 0;
    int m_nSensorHeight = 0;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    const int m_nSlotIndex;
};
