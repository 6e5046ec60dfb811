#pragma once

// Page of detectors driven through the XMaru library (VADAV.DLL): library
// folder, stand and table addresses, image size, rotation, flip and switches.
// The Trixell page derives from it for the image-size handlers.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorVadav;
}

class CDetectorVadav : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorVadav(const PageContext& context);
    ~CDetectorVadav() override;

    void OnOK() override;

protected:
    // For a page that runs these handlers on a template of its own.
    CDetectorVadav(int templateId, const PageContext& context);

    void SetupUi() override;
    bool OnInitDialog() override;

    // Handlers shared with derived pages.
    void ConnectImageHandlers();
    void OnModalityButton(int mode) override;
    void OnDeltaposWidth(int delta);
    void OnDeltaposHeight(int delta);
    void OnSameSize();
    void OnSelchangeRotate();

    // Data exchange of the image size: 1041 and 1042 <-> m_nWidth, m_nHeight.
    void TakeImageSize();
    void PutImageSize();

    // Reads the sizes from [Cor], fits the image size into the sensor in
    // multiples of 4 and shows all four.
    void LoadSizes();
    // The image size as shown, fitted into the sensor, to Width and Height.
    void WriteImageSize(const char* section) const;

    int m_nOriW = 0;
    int m_nOriH = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    const int m_nSlotIndex;

private:
    void OnBrowse();
    void ApplyVetLayout();
    void SaveSingle();
    void SaveMulti();
    void SaveSwitches();

    std::unique_ptr<Ui::DetectorVadav> m_ui;
};
