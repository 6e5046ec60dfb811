#pragma once

// Page of Trixell detectors on serial ports: the stand and table ports, the
// image size and the modality. Runs the XMaru page's handlers on its own
// template, where most of the XMaru controls stay hidden.
#include "pages/detectors/DetectorVadav.h"

#include <memory>

namespace Ui {
class DetectorTrixell;
}

class CDetectorTrixell : public CDetectorVadav
{
    Q_OBJECT

public:
    explicit CDetectorTrixell(const PageContext& context);
    ~CDetectorTrixell() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    std::unique_ptr<Ui::DetectorTrixell> m_ui;
};
