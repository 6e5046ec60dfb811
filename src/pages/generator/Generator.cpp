#include "pages/generator/Generator.h"
#include "ui_Generator.h"

#include <QComboBox>

#include <cstdlib>

#include "pages/Veterinary.h"
#include "pages/generator/GeneratorTables.h"
#include "settings/Ini.h"
#include "settings/ListTokens.h"
#include "ui/MessageBox.h"
#include "ui/PageFactory.h"
#include "ui/PortLists.h"

using namespace generator;

namespace {

// Controls the template creates invisible.
constexpr int kHiddenAtStart[] = {IDC_GEN_MODEL_LABEL,    IDC_GEN_MODEL,    IDC_USBIO,
                                  IDC_AUTOEXP_PORT_LABEL, IDC_AUTOEXP_PORT, IDC_AUTOEXP_BAUD_LABEL,
                                  IDC_AUTOEXP_BAUD};

// Everything of the SYFM positioner, hidden when the site has none.
constexpr int kSyfmGroup[] = {IDC_SYFM_PORT,    IDC_SYFM_TYPE,          IDC_ENABLE_SYFM,
                              IDC_SYFM_GROUP,   IDC_SYFM_TYPE_LABEL,    IDC_SYFM_PORT_LABEL,
                              IDC_AUTO_EXP,     IDC_AUTOEXP_PORT_LABEL, IDC_AUTOEXP_BAUD_LABEL,
                              IDC_AUTOEXP_PORT, IDC_AUTOEXP_BAUD,       IDC_SYFM_FIX};

// What "Enable SYFM" switches on and off ("FIX" follows it separately).
constexpr int kSyfmEnabled[] = {IDC_SYFM_TYPE,          IDC_SYFM_PORT,          IDC_AUTO_EXP,
                                IDC_AUTOEXP_PORT_LABEL, IDC_AUTOEXP_BAUD_LABEL, IDC_AUTOEXP_PORT,
                                IDC_AUTOEXP_BAUD};

constexpr int kAutoExpRow[] = {IDC_AUTOEXP_PORT_LABEL, IDC_AUTOEXP_BAUD_LABEL, IDC_AUTOEXP_PORT,
                               IDC_AUTOEXP_BAUD};

// Only "VacuDAP" and "iba" talk over a serial port.
bool DapTypeUsesPort(int index)
{
    return index != 0 && index != 3;
}

} // namespace

CGenerator::CGenerator() : CPage(136), m_ui(std::make_unique<Ui::Generator>()) {}

CGenerator::~CGenerator() = default;

void CGenerator::SetupUi()
{
    m_ui->setupUi(this);
}

bool CGenerator::OnInitDialog()
{
    for (int id : {IDC_GEN_PORT, IDC_SYFM_PORT, IDC_AUTOEXP_PORT, IDC_DAP_PORT})
        FillComPorts(*this, id);
    // Lists start without a selection, as on the workstation.
    for (int id : ControlIds()) {
        if (qobject_cast<QComboBox*>(GetDlgItem(id)))
            SetCurSel(id, -1);
    }
    for (int id : kHiddenAtStart)
        ShowDlgItem(id, false);

    OnClicked(IDC_ENABLE_SYFM, [this] { OnEnableSyfm(); });
    OnSelChange(IDC_SYFM_TYPE, [this] { OnSyfmTypeChange(); });
    OnClicked(IDC_USE_DAP, [this] { OnUseDap(); });
    OnClicked(IDC_AUTO_EXP, [this] { OnAutoExp(); });
    OnClicked(IDC_REJECT, [this] { OnReject(); });
    OnClicked(IDC_ANALYSIS, [this] { OnAnalysis(); });
    OnSelChange(IDC_DAP_TYPE, [this] { OnDapTypeChange(); });
    OnClicked(IDC_RALCO, [this] { OnUseRalco(); });
    OnClicked(IDC_IO_ENABLE, [this] { OnEnableIoDevice(); });

    LoadGeneratorSettings();
    return true;
}

// --- loading ------------------------------------------------------------------

void CGenerator::LoadGeneratorSettings()
{
    const int vetKind = ReadVetKind();
    LoadGenerator(vetKind);
    LoadSwitches(vetKind);
    LoadSyfm();
    Load(kSyfmFix);
    Load(kSensitivity);
    LoadRalco(vetKind);
    LoadDap();
    Load(kNoShutter);
    Load(kWifi);
    LoadIoDevice();
    Load(kIoMulti);
}

void CGenerator::LoadGenerator(int vetKind)
{
    m_nTypeGen = g_Ini.GetInt(kControlPanel, kTypeGen, 0);
    // Types 0 and 99 have no serial link to a generator.
    const bool serial = m_nTypeGen != 0 && m_nTypeGen != 99;
    for (int id : {IDC_GEN_PORT, IDC_WS_STAND, IDC_WS_TABLE, IDC_WS_AUX})
        EnableDlgItem(id, serial);
    if (serial) {
        SelectComPort(*this, IDC_GEN_PORT, g_Ini.GetInt(kGenerator, kComPort, 1));
        SetDlgItemText(IDC_WS_STAND, g_Ini.GetString(kControlPanel, kWsForStand100, ""));
        SetDlgItemText(IDC_WS_TABLE, g_Ini.GetString(kControlPanel, kWsForTable, ""));
        SetDlgItemText(IDC_WS_AUX, g_Ini.GetString(kControlPanel, kWsForAux, ""));
    }
    if (m_nTypeGen == 5 || m_nTypeGen == 15) {
        ShowDlgItem(IDC_GEN_MODEL_LABEL, true);
        ShowDlgItem(IDC_GEN_MODEL, true);
        // A missing key shows "40kW".
        SetCurSel(IDC_GEN_MODEL, g_Ini.GetInt(kGenerator, kMdpsc, 3) - 1);
    }
    if (IsAnyVet(vetKind))
        ShowOneWorkstationName();
}

// A veterinary workstation has one workstation name.
void CGenerator::ShowOneWorkstationName()
{
    SetDlgItemText(IDC_WS_TABLE_LABEL, "WS1 :");
    ShowDlgItem(IDC_WS_STAND_LABEL, false);
    ShowDlgItem(IDC_WS_STAND, false);
}

void CGenerator::LoadSwitches(int vetKind)
{
    for (const Binding& s : kSwitches) {
        if (s.id == IDC_STITCHING && IsPetVet(vetKind))
            ShowDlgItem(IDC_STITCHING, false);
        Load(s);
    }
}

void CGenerator::LoadSyfm()
{
    ResetContent(IDC_SYFM_TYPE);
    const QByteArray allowed = g_Ini.GetString(kSetup, kSyfmUse, "");
    if (allowed.isEmpty()) {
        for (int id : kSyfmGroup)
            ShowDlgItem(id, false);
        return;
    }
    const int type = g_Ini.GetInt(kSyfmSdk, kSyfmType, 0);
    m_nSyfmSdk = g_Ini.GetInt(kSyfmSdk, kSyfmSdk, 0);
    m_nSyfmModel = m_nSyfmSdk * 10 + type;
    m_nSyfmIndex = 0;
    if (g_Ini.GetInt(kControlPanel, kDevice, 0) != kDeviceWithoutUsbIo) {
        ShowDlgItem(IDC_USBIO, true);
        Load(kUseUsbIo);
    }
    LoadSyfmTypes(allowed);
    SetCurSel(IDC_SYFM_TYPE, m_nSyfmIndex);
    SelectComPort(*this, IDC_SYFM_PORT, g_Ini.GetInt(kSyfmSdk, kSyfmPort, 1));
    CheckDlgButton(IDC_ENABLE_SYFM, m_nSyfmSdk != 0);
    OnEnableSyfm();
    Load(kAutoExp);
    OnAutoExp();
    // 0 (and anything out of range) is "not chosen yet".
    int usbPort = g_Ini.GetInt(kSyfmSdk, kSyfmUsbPort, 0);
    if (usbPort < 0 || usbPort > 8)
        usbPort = 0;
    SetCurSel(IDC_AUTOEXP_PORT, usbPort - 1);
    Load(kAutoExpBaud);
}

// allowed: the model codes the site may choose, ";"-separated, in list order.
void CGenerator::LoadSyfmTypes(QByteArray allowed)
{
    QByteArray token;
    while (SplitFirstToken(allowed, token)) {
        const SyfmModel* model = FindSyfmModel(std::strtol(token.constData(), nullptr, 10));
        if (!model)
            continue;
        const int index = AddString(IDC_SYFM_TYPE, model->text);
        SetItemData(IDC_SYFM_TYPE, index, model->code);
        if (model->code == m_nSyfmModel)
            m_nSyfmIndex = index;
    }
}

void CGenerator::LoadRalco(int vetKind)
{
    if (IsPetVet(vetKind)) {
        ShowDlgItem(IDC_RALCO, false);
        ShowDlgItem(IDC_RALCO_FIX, false);
    }
    Load(kUseRalco);
    OnUseRalco();
    Load(kRalcoFix);
}

void CGenerator::LoadDap()
{
    const int useDap = g_Ini.GetInt(kControlPanel, kUseDap, 0);
    const int useDap2 = g_Ini.GetInt(kControlPanel, kUseDap2, 0);
    if (useDap == 1) {
        CheckDlgButton(IDC_USE_DAP, 1);
        SetCurSel(IDC_DAP_TYPE, 0);
    } else if (useDap2 >= 1 && useDap2 <= 3) {
        CheckDlgButton(IDC_USE_DAP, 1);
        SetCurSel(IDC_DAP_TYPE, useDap2);
    } else {
        CheckDlgButton(IDC_USE_DAP, 0);
        SetCurSel(IDC_DAP_TYPE, 0);
        EnableDlgItem(IDC_DAP_TYPE, false);
    }
    Load(kDapUnit);
    OnDapTypeChange();
    SetCurSel(IDC_DAP_PORT, g_Ini.GetInt(kControlPanel, kDapPort, 4) - 1);
}

void CGenerator::LoadIoDevice()
{
    const int device = g_Ini.GetInt(kControlPanel, kIoDevice, 0);
    const int readyOffset = g_Ini.GetInt(kControlPanel, kReadyOffset, 1000);
    SetCurSel(IDC_IO_MODEL, device == kIoUsb7250 ? 1 : device == kIoMda4000 ? 2 : 0);
    SetDlgItemInt(IDC_READY_DELAY, readyOffset);
    CheckDlgButton(IDC_IO_ENABLE, device != 0);
    OnEnableIoDevice();
}

// --- enabling rules -----------------------------------------------------------

void CGenerator::OnEnableSyfm()
{
    const bool enabled = IsDlgButtonChecked(IDC_ENABLE_SYFM) == 1;
    for (int id : kSyfmEnabled)
        EnableDlgItem(id, enabled);
    EnableDlgItem(IDC_SYFM_FIX, enabled);
}

void CGenerator::OnSyfmTypeChange()
{
    const int index = GetCurSel(IDC_SYFM_TYPE);
    if (index >= 0 && GetItemData(IDC_SYFM_TYPE, index) == kSyfmWithRalco) {
        CheckDlgButton(IDC_RALCO, 1);
        // Keep "FIX" usable whenever "Use Ralco" is checked.
        OnUseRalco();
    }
}

void CGenerator::OnUseDap()
{
    const bool use = IsDlgButtonChecked(IDC_USE_DAP) == 1;
    EnableDlgItem(IDC_DAP_TYPE, use);
    EnableDlgItem(IDC_DAP_PORT, use);
    EnableDlgItem(IDC_DAP_UNIT, use);
    OnDapTypeChange();
}

void CGenerator::OnAutoExp()
{
    const bool show = IsDlgButtonChecked(IDC_AUTO_EXP) != 0;
    for (int id : kAutoExpRow)
        ShowDlgItem(id, show);
}

void CGenerator::OnReject()
{
    if (IsDlgButtonChecked(IDC_REJECT) == 1)
        CheckDlgButton(IDC_ANALYSIS, 1);
}

void CGenerator::OnAnalysis()
{
    if (IsDlgButtonChecked(IDC_REJECT) == 1 && IsDlgButtonChecked(IDC_ANALYSIS) == 0) {
        AfxMessageBox(QStringLiteral("Reject is checked, first uncheck the Reject"), this);
        CheckDlgButton(IDC_ANALYSIS, 1);
    }
}

void CGenerator::OnDapTypeChange()
{
    EnableDlgItem(IDC_DAP_PORT, DapTypeUsesPort(GetCurSel(IDC_DAP_TYPE)));
}

void CGenerator::OnUseRalco()
{
    EnableDlgItem(IDC_RALCO_FIX, IsDlgButtonChecked(IDC_RALCO) == 1);
}

void CGenerator::OnEnableIoDevice()
{
    const bool enabled = IsDlgButtonChecked(IDC_IO_ENABLE) == 1;
    EnableDlgItem(IDC_IO_MODEL, enabled);
    EnableDlgItem(IDC_READY_DELAY, enabled);
}

IMPLEMENT_PAGE(CGenerator)
