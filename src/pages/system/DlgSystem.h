#pragma once

// The "System" tab: worklist source, the two secondary viewers and their
// windows, default rotations, veterinary species, and whether a second
// detector of another kind is attached.
#include "pages/Page.h"

#include <memory>

namespace Ui
{
class DlgSystem;
}

class CDlgSystem : public CPage
{
    Q_OBJECT

public:
    CDlgSystem();
    ~CDlgSystem() override;

    // Saves; the page never closes itself.
    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void LoadSystemSettings();
    void LoadSpecies();
    void LoadWorklistSource();
    void SaveSystemSettings();
    void SaveDetectorArrangement();
    void SaveWorklistSource();

    void OnUseWorklist();
    void OnFilebase();
    void OnUseViewSub();
    void OnUseVoraView();
    void OnDelimiterChange();
    void OnBrowseFolder();
    void OnUseDifferentDetector();
    void SwitchDifferentDetector();

    // 0 "Pet", 1 "Equine", -1 none.
    int SpeciesIndex() const;

    std::unique_ptr<Ui::DlgSystem> m_ui;
};
