#pragma once

// The "Generator && Etc" page: generator port and workstation names, the SYFM
// positioner, the Ralco collimator, the DAP meter, the trigger I/O board and
// the image-processing switches, all in the main INI file.
#include "pages/Page.h"

#include <memory>

namespace Ui {
class Generator;
}

class CGenerator : public CPage
{
    Q_OBJECT

public:
    CGenerator();
    ~CGenerator() override;

    // The save routine; the page stays open.
    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

private:
    void LoadGeneratorSettings();
    void LoadGenerator(int vetKind);
    void ShowOneWorkstationName();
    void LoadSwitches(int vetKind);
    void LoadSyfm();
    void LoadSyfmTypes(QByteArray allowed);
    void LoadRalco(int vetKind);
    void LoadDap();
    void LoadIoDevice();

    void SaveGeneratorSettings();
    void SaveGenerator();
    void SaveSwitches();
    void SaveSyfm();
    bool SaveSyfmModel();
    void SaveRalco();
    void SaveDap();
    void SaveIoDevice();

    void OnEnableSyfm();
    void OnSyfmTypeChange();
    void OnUseDap();
    void OnAutoExp();
    void OnReject();
    void OnAnalysis();
    void OnDapTypeChange();
    void OnUseRalco();
    void OnEnableIoDevice();

    std::unique_ptr<Ui::Generator> m_ui;
    // Remembered from loading.
    int m_nTypeGen = 0;
    int m_nSyfmSdk = 0;
    int m_nSyfmModel = 0;
    int m_nSyfmIndex = 0;
};
