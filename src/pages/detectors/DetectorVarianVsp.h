#pragma once

// Varian detectors identified by serial number (device id 25): the Varian
// page with section VSP, typed serial numbers in place of folders, and no
// panel types.
#include "pages/detectors/DetectorVarian.h"

#include <memory>

namespace Ui {
class DetectorVarianVsp;
}

class CDetectorVarianVsp : public CDetectorVarian
{
    Q_OBJECT

public:
    explicit CDetectorVarianVsp(const PageContext& context);
    ~CDetectorVarianVsp() override;

protected:
    void SetupUi() override;

private:
    std::unique_ptr<Ui::DetectorVarianVsp> m_uiVsp;
};
