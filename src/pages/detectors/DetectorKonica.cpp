#include "pages/detectors/DetectorKonica.h"
#include "ui_DetectorKonica.h"

#include "settings/IniKeys.h"

namespace {

enum : int {
    kPanelIdA = 1064,
    kPanelIdB = 1065,
    kXgBoxA = 1067,
    kSpareA = 1069,
    kXgBoxB = 1071,
    kSpareB = 1073,
};

} // namespace

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
    SetHidden({kSecondField, kSpareA, kSpareB});
    SetDigitsOnly({kCutXA, kCutYA, kCutXB, kCutYB});
    ConnectModality();
    LoadSettings();
    ApplySlotPosition();
    return true;
}

void CDetectorKonica::LoadSettings()
{
    const CIni ini(MainIniPath().constData());
    SetDlgItemText(kFirstField,
                   CollapseBackslashes(ini.GetString("AEROSDK", "PATH", "C:\\VoraSuite")));

    SetDlgItemText(kPanelIdA, ini.GetString("AEROSDK_A", "PANEL", ""));
    SetDlgItemText(kXgBoxA, ini.GetString("AEROSDK_A", "XGBOX", ""));
    SetDlgItemText(kSpareA, "");
    SetDlgItemText(kPanelIdB, ini.GetString("AEROSDK_B", "PANEL", ""));
    SetDlgItemText(kXgBoxB, ini.GetString("AEROSDK_B", "XGBOX", ""));
    SetDlgItemText(kSpareB, "");

    m_nCutXA = ValidMargin(ini.GetInt("AEROSDK_A", "CUTL", 0));
    m_nCutYA = ValidMargin(ini.GetInt("AEROSDK_A", "CUTT", 0));
    m_nCutXB = ValidMargin(ini.GetInt("AEROSDK_B", "CUTL", 0));
    m_nCutYB = ValidMargin(ini.GetInt("AEROSDK_B", "CUTT", 0));
    SetDlgItemInt(kCutXA, m_nCutXA);
    SetDlgItemInt(kCutYA, m_nCutYA);
    SetDlgItemInt(kCutXB, m_nCutXB);
    SetDlgItemInt(kCutYB, m_nCutYB);

    LoadModality(true);
}

void CDetectorKonica::TakeCuts()
{
    // Stops at the first entry that is not an integer, after its message.
    (void)(DdxInt(kCutXA, m_nCutXA) && DdxInt(kCutYA, m_nCutYA) && DdxInt(kCutXB, m_nCutXB) &&
           DdxInt(kCutYB, m_nCutYB));
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
    const QByteArray panel = GetDlgItemText(kPanelIdA);
    const QByteArray box = GetDlgItemText(kXgBoxA);
    ini.WriteString("AEROSDK_A", "PANEL", panel);
    ini.WriteString("AEROSDK_A", "XGBOX", box);
    ini.WriteString("AEROSDK_B", "PANEL", CollapseBackslashes(GetDlgItemText(kPanelIdB)));
    ini.WriteString("AEROSDK_B", "XGBOX", CollapseBackslashes(GetDlgItemText(kXgBoxB)));
    ini.WriteInt("AEROSDK_A", "CUTL", m_nCutXA);
    ini.WriteInt("AEROSDK_A", "CUTT", m_nCutYA);
    ini.WriteInt("AEROSDK_B", "CUTL", m_nCutXB);
    ini.WriteInt("AEROSDK_B", "CUTT", m_nCutYB);

    const int modality = SavedModality();
    ini.WriteString("AEROSDK", "PATH", GetDlgItemText(kFirstField));
    // A second panel counts only beside a first one with an identifier.
    ini.WriteString("AEROSDK", "COUNT", modality == 2 && !panel.isEmpty() ? "2" : "1");
    ini.WriteInt(kSystem, kModalityMode, modality);
    if (modality != 2) {
        // One panel: the SDK reads its identity under both sections.
        ini.WriteString("AEROSDK_B", "PANEL", panel);
        ini.WriteString("AEROSDK_B", "XGBOX", box);
    }
}

IMPLEMENT_PAGE(CDetectorKonica)
