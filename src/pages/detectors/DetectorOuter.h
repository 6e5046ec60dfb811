#pragma once

// One page for the detector families driven through a vendor SDK (device ids
// 16, 18, 19 and 24). The device id picks the INI section, the crop keys and
// which extra lists the page shows; the rest is shared.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorOuter;
}

struct OuterFamily;

class CDetectorOuter : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorOuter(const PageContext& context);
    ~CDetectorOuter() override;

    void OnOK() override;

    // Picks the family: the INI section, crop keys and extra lists.
    const int m_nDeviceId;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void OnModalityButton(int mode) override;

private:
    void FillLists();
    void LoadExtras(const OuterFamily& family);
    void SaveModality();
    void SaveCrops(const OuterFamily& family);
    void SaveLists(const OuterFamily& family);

    std::unique_ptr<Ui::DetectorOuter> m_ui;
};
