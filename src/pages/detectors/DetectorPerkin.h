#pragma once

// Perkin flat panels on the network (device id 21): link addresses, cutting
// margins and the calibration files of both panels, in section DETPERKIN.
#include "pages/detectors/DetectorTwoPanel.h"

#include <QByteArray>

#include <memory>

namespace Ui {
class DetectorPerkin;
}

class CDetectorPerkin : public CDetectorTwoPanel
{
    Q_OBJECT

public:
    explicit CDetectorPerkin(const PageContext& context);
    ~CDetectorPerkin() override;

    void OnOK() override;

protected:
    void SetupUi() override;
    bool OnInitDialog() override;

    // The ".." buttons: a save-style dialog for the calibration file of editId.
    void OnCalFile(int editId);

private:
    void LoadSettings();
    void SaveFiles(const CIni& ini);
    void SaveLinks(const CIni& ini);

    QByteArray m_strCalPath; // [Cor] Path: where the file dialogs start
    std::unique_ptr<Ui::DetectorPerkin> m_ui;
};

// A gain sequence number whose leading integer (read as atoi reads it) lies
// outside 0 to 50 becomes "0"; any other text stays as it is.
QByteArray ValidGainSeq(const QByteArray& text);
