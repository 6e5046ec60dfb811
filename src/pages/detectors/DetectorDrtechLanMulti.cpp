#include "pages/detectors/DetectorDrtechLanMulti.h"
#include "ui_DetectorDrtechLanMulti.h"

#include "pages/detectors/DrtechSwitches.h"
#include "pages/detectors/SizeStepping.h"
#include "ui/MessageBox.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"

#include <iterator>

// The control ids of one detector column and where its values are kept.
struct DrtechLanColumn {
    const char* prefix;     // of its [DetDrtech] keys
    const char* spacingKey; // in [Cor]
    int model;
    int width;
    int widthArrows;
    int height;
    int heightArrows;
    int spacing;
    int triggerOff;
    int triggerOn;
    int sensorWidth;
    int sensorHeight;

    QByteArray Key(const char* name) const { return QByteArray(prefix) + name; }
};

namespace {

const char kDetDrtech[] = "DetDrtech";

const DrtechLanColumn kColumns[] = {
    {"A_", "PixelSpacing", 1051, 1060, 1056, 1061, 1059, 1064, 1011, 1010, 1062, 1063},
    {"B_", "PixelSpacing2", 1055, 1043, 1065, 1044, 1066, 1047, 1013, 1012, 1045, 1046},
    {"C_", "PixelSpacing3", 1074, 1072, 1078, 1073, 1079, 1077, 1015, 1014, 1075, 1076},
};
const DrtechLanColumn& kA = kColumns[0];
const DrtechLanColumn& kB = kColumns[1];
const DrtechLanColumn& kThird = kColumns[2];

enum { kStand = 1086, kTable = 1087, kDual = 1088, kEnable3rd = 1081, kEnableAed = 1067 };

struct LanModel {
    const char* name;
    int width;
    int height;
    float spacing;
    int typeCode; // as stored
    int triggers; // how many of kTriggers it offers
};

const LanModel kModels[] = {
    {"FLAATZ 500 LAN", 2560, 3072, 0.139f, 0, 1},  {"FLAATZ 560 LAN", 2560, 3072, 0.139f, 1, 1},
    {"FLAATZ 750E LAN", 2560, 2560, 0.168f, 2, 1}, {"FLAATZ 760 LAN", 2560, 2560, 0.168f, 3, 1},
    {"FLAATZ 330N LAN", 2048, 1536, 0.168f, 4, 1}, {"FDXD810 LAN", 2048, 1536, 0.168f, 5, 1},
    {"FLAATZ 600 LAN", 2560, 3072, 0.139f, 6, 2},  {"EVS 4343", 3072, 3072, 0.140f, 22, 3},
    {"EVS-3643", 2560, 3072, 0.140f, 25, 3},
};
const int kModelCount = int(std::size(kModels));
const LanModel kNoModel = {"", 2560, 3072, 0.143f, -1, 1};

// Stored as their 1-based position.
const char* const kTriggers[] = {"S/WBOX", "AED", "SYNC"};

// The list index of a stored type code; outside the list it selects nothing.
int ModelIndex(int typeCode)
{
    if (typeCode == 22)
        return 7;
    if (typeCode == 25)
        return 8;
    return typeCode;
}

// A stored 1-based position as a list index; nonsense gives no selection.
int TriggerIndex(int stored)
{
    return stored >= 1 ? stored - 1 : -1;
}

} // namespace

IMPLEMENT_PAGE(CDetectorDrtechLanMulti)

CDetectorDrtechLanMulti::CDetectorDrtechLanMulti(const PageContext& context)
    : CDetector(1044, context), m_ui(std::make_unique<Ui::DetectorDrtechLanMulti>())
{
    SetModalityButtons({kStand, kTable, kDual});
}

CDetectorDrtechLanMulti::~CDetectorDrtechLanMulti() = default;

void CDetectorDrtechLanMulti::SetupUi()
{
    m_ui->setupUi(this);
    // The sensor size is kept for the arrows and the crops, not shown.
    m_ui->sensorWidthLabel->hide();
    m_ui->sensorHeightLabel->hide();
    for (QWidget* w : {m_ui->aSensorWidth, m_ui->aSensorHeight, m_ui->bSensorWidth,
                       m_ui->bSensorHeight, m_ui->cSensorWidth, m_ui->cSensorHeight})
        w->hide();
}

bool CDetectorDrtechLanMulti::OnInitDialog()
{
    ConnectModality();
    OnClicked(kEnable3rd, [this] { OnEnable3rd(); });
    OnClicked(kEnableAed, [this] { OnEnableAedButton(); });
    for (const DrtechLanColumn& c : kColumns) {
        OnSelChange(c.model, [this, &c] { OnSelchangeModel(c); });
        OnDeltaPos(c.widthArrows,
                   [this, &c](int delta) { OnDeltaposSize(c.width, c.sensorWidth, delta); });
        OnDeltaPos(c.heightArrows,
                   [this, &c](int delta) { OnDeltaposSize(c.height, c.sensorHeight, delta); });
        SetDigitsOnly(c.width);
        SetDigitsOnly(c.height);

        ResetContent(c.model);
        for (const LanModel& m : kModels)
            AddString(c.model, m.name);
        SetCurSel(c.model, 0);
    }
    LoadSettings();
    ApplySlotPosition();
    return true;
}

void CDetectorDrtechLanMulti::LoadSettings()
{
    LoadModality(true);
    for (const DrtechLanColumn& c : kColumns)
        LoadColumn(c);

    const int openTime = g_Ini.GetInt(kDetDrtech, "OpenTime", 0);
    SetCurSel(1009, openTime >= 0 && openTime <= 5 ? openTime : 0);
    CheckDlgButton(1054, g_Ini.GetInt(kDetDrtech, "SndExp", 0) == 1);
    CheckDlgButton(1016, g_Ini.GetInt(kDetDrtech, "CtrlExp", 0) == 1);
    CheckDlgButton(kEnableAed, g_Ini.GetInt(kDetDrtech, "UseAED", 0) == 1);

    CheckDlgButton(kEnable3rd,
                   IsDlgButtonChecked(kDual) && g_Ini.GetInt("SYSTEM", "3rdDet", 0) == 1);
    if (g_Ini.GetInt("SYSTEM", "IsVet", 0) == 1) {
        EnableColumn(kB, false);
        EnableColumn(kThird, false, false);
        CheckDlgButton(kEnable3rd, 0);
        EnableDlgItem(kEnable3rd, false);
    }
    OnEnable3rd();

    // The model's spacing stands unless one is stored.
    for (const DrtechLanColumn& c : kColumns)
        SetDlgItemText(c.spacing, g_Ini.GetString("Cor", c.spacingKey, GetDlgItemText(c.spacing)));
    for (const DrtechLanColumn& c : kColumns)
        LoadTriggers(c);
    OnEnableAedButton();
}

void CDetectorDrtechLanMulti::LoadColumn(const DrtechLanColumn& c)
{
    SetCurSel(c.model, ModelIndex(g_Ini.GetInt(kDetDrtech, c.Key("TYPE"), 0)));
    OnSelchangeModel(c);
    const int cutX = g_Ini.GetInt(kDetDrtech, c.Key("CUTX"), 0);
    const int cutY = g_Ini.GetInt(kDetDrtech, c.Key("CUTY"), 0);
    SetDlgItemInt(c.width, CroppedSize(GetDlgItemInt(c.sensorWidth), cutX));
    SetDlgItemInt(c.height, CroppedSize(GetDlgItemInt(c.sensorHeight), cutY));
}

void CDetectorDrtechLanMulti::LoadTriggers(const DrtechLanColumn& c)
{
    SetCurSel(c.triggerOn, TriggerIndex(g_Ini.GetInt(kDetDrtech, c.Key("AED_ON"), 1)));
    SetCurSel(c.triggerOff, TriggerIndex(g_Ini.GetInt(kDetDrtech, c.Key("AED_OFF"), 2)));
}

void CDetectorDrtechLanMulti::EnableColumn(const DrtechLanColumn& c, bool enable, bool triggers)
{
    for (int id : {c.model, c.width, c.widthArrows, c.height, c.heightArrows, c.spacing,
                   c.sensorWidth, c.sensorHeight})
        EnableDlgItem(id, enable);
    if (triggers) {
        EnableDlgItem(c.triggerOff, enable);
        EnableDlgItem(c.triggerOn, enable);
    }
}

void CDetectorDrtechLanMulti::OnModalityButton(int mode)
{
    const bool dual = mode == 2;
    EnableColumn(kB, dual);
    CheckDlgButton(kEnable3rd, 0);
    EnableDlgItem(kEnable3rd, dual);
    OnEnable3rd();
    if (dual)
        OnEnableAedButton();
}

void CDetectorDrtechLanMulti::OnEnable3rd()
{
    EnableColumn(kThird, IsDlgButtonChecked(kEnable3rd) != 0);
}

// The ON trigger only matters for detectors in use while the AED button is.
void CDetectorDrtechLanMulti::OnEnableAedButton()
{
    const bool on = IsDlgButtonChecked(kEnableAed) != 0;
    EnableDlgItem(kA.triggerOn, on);
    if (IsDlgButtonChecked(kDual))
        EnableDlgItem(kB.triggerOn, on);
    if (IsDlgButtonChecked(kEnable3rd))
        EnableDlgItem(kThird.triggerOn, on);
}

void CDetectorDrtechLanMulti::OnSelchangeModel(const DrtechLanColumn& c)
{
    const int index = GetCurSel(c.model);
    const LanModel* model = index >= 0 && index < kModelCount ? &kModels[index] : nullptr;
    if (!model) {
        AfxMessageBox(QStringLiteral("Unknown Detector, Check Detector Size"), this);
        model = &kNoModel;
    }
    SetDlgItemInt(c.sensorWidth, model->width);
    SetDlgItemInt(c.sensorHeight, model->height);
    SetDlgItemInt(c.width, model->width);
    SetDlgItemInt(c.height, model->height);
    SetDlgItemText(c.spacing, QByteArray::number(double(model->spacing), 'f', 3));
    for (int list : {c.triggerOff, c.triggerOn}) {
        ResetContent(list);
        for (int i = 0; i < model->triggers; ++i)
            AddString(list, kTriggers[i]);
        SetCurSel(list, 0);
    }
}

void CDetectorDrtechLanMulti::OnDeltaposSize(int imageId, int sensorId, int delta)
{
    SetDlgItemInt(imageId, StepImageSize(GetDlgItemInt(imageId), GetDlgItemInt(sensorId), delta));
}

void CDetectorDrtechLanMulti::OnOK()
{
    const int mode = CheckedModality();
    g_Ini.WriteInt("DetectorDRTech", "DualMode", mode == 2 ? 1 : 0);
    g_Ini.WriteInt("SYSTEM", "Modality Mode", mode);
    const bool vet = g_Ini.GetInt("SYSTEM", "IsVet", 0) == 1;
    if (vet) {
        g_Ini.WriteInt("DetectorDRTech", "DualMode", 0);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
    }
    const bool dual = IsDlgButtonChecked(kDual) && !vet;
    const bool third = IsDlgButtonChecked(kEnable3rd) != 0;

    // Every column is written, in use or not.
    for (const DrtechLanColumn& c : kColumns)
        SaveColumn(c);
    g_Ini.WriteInt("SYSTEM", "3rdDet", third ? 1 : 0);
    g_Ini.WriteInt(kDetDrtech, "DetMode", dual ? (third ? 2 : 1) : 0);

    SaveDrtechSwitches(*this, true);
    g_Ini.WriteInt(kDetDrtech, "UseAED", IsDlgButtonChecked(kEnableAed));
    if (g_Ini.GetInt(kDetDrtech, "RequestDarkScan", 1) != 0)
        g_Ini.WriteInt(kDetDrtech, "RequestDarkScan", 1);
    for (const DrtechLanColumn& c : kColumns)
        SaveTriggers(c);
}

void CDetectorDrtechLanMulti::SaveColumn(const DrtechLanColumn& c)
{
    const int index = GetCurSel(c.model);
    const int typeCode = index >= 0 && index < kModelCount ? kModels[index].typeCode : -1;
    const int sensorWidth = GetDlgItemInt(c.sensorWidth);
    const int sensorHeight = GetDlgItemInt(c.sensorHeight);
    const int width = StepImageSize(GetDlgItemInt(c.width), sensorWidth, 0);
    const int height = StepImageSize(GetDlgItemInt(c.height), sensorHeight, 0);
    QByteArray spacing = GetDlgItemText(c.spacing);
    if (spacing.isEmpty())
        spacing = "0.168";

    // [Cor] holds detector A's geometry.
    if (&c == &kA) {
        g_Ini.WriteInt("Cor", "OriW", sensorWidth);
        g_Ini.WriteInt("Cor", "OriH", sensorHeight);
        g_Ini.WriteInt("Cor", "Width", width);
        g_Ini.WriteInt("Cor", "Height", height);
    }
    g_Ini.WriteInt(kDetDrtech, c.Key("TYPE"), typeCode);
    g_Ini.WriteInt(kDetDrtech, c.Key("CUTX"), sensorWidth - width);
    g_Ini.WriteInt(kDetDrtech, c.Key("CUTY"), sensorHeight - height);
    g_Ini.WriteString("Cor", c.spacingKey, spacing);
}

void CDetectorDrtechLanMulti::SaveTriggers(const DrtechLanColumn& c)
{
    const int off = GetCurSel(c.triggerOff) + 1;
    // With the AED button off the detector stays on its OFF trigger.
    const int on = IsDlgButtonChecked(kEnableAed) ? GetCurSel(c.triggerOn) + 1 : off;
    g_Ini.WriteInt(kDetDrtech, c.Key("AED_ON"), on);
    g_Ini.WriteInt(kDetDrtech, c.Key("AED_OFF"), off);
}
