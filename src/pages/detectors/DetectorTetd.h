#pragma once

// Page of TETD flat panels: the configuration folder and dual mode kept in the
// vendor file FPDOpr.INI beside the executable, and the image size.
#include "pages/detectors/Detector.h"

#include <memory>

namespace Ui {
class DetectorTetd;
}

class CDetectorTetd : public CDetector
{
    Q_OBJECT

public:
    explicit CDetectorTetd(const PageContext& context);
    ~CDetectorTetd() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void OnDeltaposSize(int editId, int delta);
    void OnBrowse();

    std::unique_ptr<Ui::DetectorTetd> m_ui;
};
