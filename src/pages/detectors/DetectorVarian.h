#pragma once

// Varian detectors set up through a configuration folder per panel (device id
// 12). The serial-number variant (CDetectorVarianVsp) is this page with other
// keys and fewer controls.
#include "pages/detectors/DetectorTwoPanel.h"

#include <memory>
#include <vector>

namespace Ui {
class DetectorVarian;
}

// Where the page keeps its values; the variants differ only here.
struct VarianKeys {
    const char* section;
    const char* typeA; // null: the type lists are neither read nor written
    const char* typeB;
    const char* margins[4]; // A X, A Y, B X, B Y
    bool keepZeroMargins;   // a margin of 0 leaves its key as it is
    const char* setupA;     // the text of 1030 (folder or serial number)
    const char* setupB;     // the text of 1031, written empty unless Dual
    const char* modeA;
    const char* modeB;
    int modeDefault;
    bool modeInRange; // mode numbers outside 0 to 2 are saved as 0
    const char* countKey;
    const char* countDual;
    const char* countSingle;
    std::vector<int> hidden; // template controls the page never shows
};

class CDetectorVarian : public CDetectorTwoPanel
{
    Q_OBJECT

public:
    explicit CDetectorVarian(const PageContext& context);
    ~CDetectorVarian() override;

    void OnOK() override;

protected:
    CDetectorVarian(int templateId, const VarianKeys& keys, const PageContext& context);

    void SetupUi() override;
    bool OnInitDialog() override;

    void OnSelchangeType(Panel panel);
    void OnBrowse(int editId);

private:
    void LoadSettings();
    void SaveNumbers(const CIni& ini);

    const VarianKeys& m_keys;
    std::unique_ptr<Ui::DetectorVarian> m_ui;
};
