#include "pages/detectors/DetectorKonica.h"
#include "ui_DetectorKonica.h"

#include "ui/PageFactory.h"

CDetectorKonica::CDetectorKonica(const PageContext& context)
    : CDetectorTwoPanel(1042, context), m_ui(std::make_unique<Ui::DetectorKonica>())
{
}

CDetectorKonica::~CDetectorKonica() = default;

void CDetectorKonica::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorKonica::OnInitDialog()
{
    SetHidden({1031, 1069, 1073});
    SetDigitsOnly({1060, 1061, 1062, 1063});
    ConnectModality();
    Load();
    ApplySlotPosition();
    return true;
}

void CDetectorKonica::Load()
{
    const CIni ini(MainIniPath().constData());
    m_strSdkPath = CollapseBackslashes(ini.GetString("AEROSDK", "PATH", "C:\\VoraSuite"));
    SetDlgItemText(1030, m_strSdkPath);

    SetDlgItemText(1064, ini.GetString("AEROSDK_A", "PANEL", ""));
    SetDlgItemText(1067, ini.GetString("AEROSDK_A", "XGBOX", ""));
    SetDlgItemText(1069, "");
    SetDlgItemText(1065, ini.GetString("AEROSDK_B", "PANEL", ""));
    SetDlgItemText(1071, ini.GetString("AEROSDK_B", "XGBOX", ""));
    SetDlgItemText(1073, "");

    m_nCutXA = ValidMargin(ini.GetInt("AEROSDK_A", "CUTL", 0));
    m_nCutYA = ValidMargin(ini.GetInt("AEROSDK_A", "CUTT", 0));
    m_nCutXB = ValidMargin(ini.GetInt("AEROSDK_B", "CUTL", 0));
    m_nCutYB = ValidMargin(ini.GetInt("AEROSDK_B", "CUTT", 0));
    SetDlgItemInt(1060, m_nCutXA);
    SetDlgItemInt(1061, m_nCutYA);
    SetDlgItemInt(1062, m_nCutXB);
    SetDlgItemInt(1063, m_nCutYB);

    LoadModality(true);
}

void CDetectorKonica::TakeCuts()
{
    // Stops at the first entry that is not an integer, after its message.
    (void)(DdxInt(1060, m_nCutXA) && DdxInt(1061, m_nCutYA) && DdxInt(1062, m_nCutXB) &&
           DdxInt(1063, m_nCutYB));
    m_nCutXA = ValidMargin(m_nCutXA);
    m_nCutYA = ValidMargin(m_nCutYA);
    m_nCutXB = ValidMargin(m_nCutXB);
    m_nCutYB = ValidMargin(m_nCutYB);
}

void CDetectorKonica::OnOK()
{
    MainIniSave save;
    const CIni& ini = save.Ini();
    TakeCuts();
    const QByteArray panel = GetDlgItemText(1064);
    const QByteArray box = GetDlgItemText(1067);
    ini.WriteString("AEROSDK_A", "PANEL", panel);
    ini.WriteString("AEROSDK_A", "XGBOX", box);
    ini.WriteString("AEROSDK_B", "PANEL", CollapseBackslashes(GetDlgItemText(1065)));
    ini.WriteString("AEROSDK_B", "XGBOX", CollapseBackslashes(GetDlgItemText(1071)));
    ini.WriteInt("AEROSDK_A", "CUTL", m_nCutXA);
    ini.WriteInt("AEROSDK_A", "CUTT", m_nCutYA);
    ini.WriteInt("AEROSDK_B", "CUTL", m_nCutXB);
    ini.WriteInt("AEROSDK_B", "CUTT", m_nCutYB);

    const int modality = SavedModality();
    ini.WriteString("AEROSDK", "PATH", GetDlgItemText(1030));
    // A second panel counts only beside a first one with an identifier.
    ini.WriteString("AEROSDK", "COUNT", modality == 2 && !panel.isEmpty() ? "2" : "1");
    ini.WriteInt("SYSTEM", "Modality Mode", modality);
    if (modality != 2) {
        // One panel: the SDK reads its identity under both sections.
        ini.WriteString("AEROSDK_B", "PANEL", panel);
        ini.WriteString("AEROSDK_B", "XGBOX", box);
    }
}

IMPLEMENT_PAGE(CDetectorKonica)
