#pragma once

// Careray CareView detectors (device id 23): one vendor interface drives up to
// two detectors, A and B, shown side by side with their model, synchronisation,
// cut size and working folder.
#include "detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorCareray;
}

struct CarerayColumn;

class CDetectorCareray : public CDetector
{
    Q_OBJECT

public:
    CDetectorCareray();
    ~CDetectorCareray() override;

    void OnOK() override;

    void OnSingle();
    void OnDual();
    void OnTypeA();
    void OnTypeB();

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void OnModalityButton(int mode) override;

private:
    void EnableColumnB(bool enable);
    void ApplyType(const CarerayColumn& column);
    void LoadColumn(const CarerayColumn& column);
    void LoadWorkFolders(bool dual);
    void DisableForVet();
    int FindItemData(int list, int wanted) const;

    std::unique_ptr<Ui::DetectorCareray> m_ui;
};
