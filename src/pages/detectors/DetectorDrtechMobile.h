#pragma once

// The DRTECH detector used as the mobile second detector: the second-variant
// page on its own template, without the modality.
#include "pages/detectors/DetectorDrtech1.h"

#include <memory>

namespace Ui {
class DetectorDrtechMobile;
}

class CDetectorDrtechMobile : public CDetectorDrtech1
{
    Q_OBJECT

public:
    explicit CDetectorDrtechMobile(const PageContext& context);
    ~CDetectorDrtechMobile() override;

protected:
    void SetupUi() override;

private:
    std::unique_ptr<Ui::DetectorDrtechMobile> m_mobileUi;
};
