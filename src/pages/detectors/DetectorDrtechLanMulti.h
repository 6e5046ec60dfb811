#pragma once

// DRTECH network detectors, up to three (A, B and a third): per detector the
// model, image size, pixel spacing and the triggers with the AED button off
// and on; page-wide the modality, third detector, AED button, sound, exposure
// control and open time. The same sections whichever slot it stands in.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorDrtechLanMulti;
}

struct DrtechLanColumn;

class CDetectorDrtechLanMulti : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorDrtechLanMulti(const PageContext& context);
    ~CDetectorDrtechLanMulti() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void OnModalityButton(int mode) override;

private:
    void LoadSettings();
    void DisableForVet();
    void LoadColumn(const DrtechLanColumn& column);
    void LoadTriggers(const DrtechLanColumn& column);
    void SaveColumn(const DrtechLanColumn& column);
    void SaveTriggers(const DrtechLanColumn& column);
    void EnableColumn(const DrtechLanColumn& column, bool enable, bool triggers = true);

    void OnEnable3rd();
    void OnEnableAedButton();
    void OnSelchangeModel(const DrtechLanColumn& column);
    void OnDeltaposSize(int imageId, int sensor, int delta);

    // A column's sensor size, as its model gives it.
    struct SensorSize {
        int width = 0;
        int height = 0;
    };
    SensorSize& SensorOf(const DrtechLanColumn& column);

    std::unique_ptr<Ui::DetectorDrtechLanMulti> m_ui;
    SensorSize m_sensor[3];
};
