#include "pages/detectors/DetectorDrtechLanMulti.h"
#include "ui_DetectorDrtechLanMulti.h"

#include "pages/Veterinary.h"
#include "pages/detectors/DrtechLanTables.h"
#include "pages/detectors/DrtechSwitches.h"
#include "pages/detectors/SizeStepping.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "ui/MessageBox.h"

using namespace drtechlan;

namespace {

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
                   [this, &c](int delta) { OnDeltaposSize(c.width, SensorOf(c).width, delta); });
        OnDeltaPos(c.heightArrows,
                   [this, &c](int delta) { OnDeltaposSize(c.height, SensorOf(c).height, delta); });
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
    SetCurSel(kOpenTime, openTime >= 0 && openTime <= 5 ? openTime : 0);
    Load(kSoundKey);
    Load(kExposureControlKey);
    Load(kUseAedKey);

    CheckDlgButton(kEnable3rd,
                   IsDlgButtonChecked(kDual) && g_Ini.GetInt(kSystem, kThirdDetector, 0) == 1);
    if (IsPetVet(ReadVetKind()))
        DisableForVet();
    OnEnable3rd();

    // The model's spacing stands unless one is stored.
    for (const DrtechLanColumn& c : kColumns)
        SetDlgItemText(c.spacing, g_Ini.GetString(kCor, c.spacingKey, GetDlgItemText(c.spacing)));
    for (const DrtechLanColumn& c : kColumns)
        LoadTriggers(c);
    OnEnableAedButton();
}

// A veterinary workstation has one detector: B and the third stay off.
void CDetectorDrtechLanMulti::DisableForVet()
{
    EnableColumn(kB, false);
    EnableColumn(kThird, false, false);
    CheckDlgButton(kEnable3rd, 0);
    EnableDlgItem(kEnable3rd, false);
}

void CDetectorDrtechLanMulti::LoadColumn(const DrtechLanColumn& c)
{
    SetCurSel(c.model, ModelIndex(g_Ini.GetInt(kDetDrtech, c.Key("TYPE"), 0)));
    OnSelchangeModel(c);
    const int cutX = g_Ini.GetInt(kDetDrtech, c.Key("CUTX"), 0);
    const int cutY = g_Ini.GetInt(kDetDrtech, c.Key("CUTY"), 0);
    SetDlgItemInt(c.width, CroppedSize(SensorOf(c).width, cutX));
    SetDlgItemInt(c.height, CroppedSize(SensorOf(c).height, cutY));
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
    SensorOf(c) = {model->width, model->height};
    // Shown nowhere, but kept in the template's fields as ever.
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

void CDetectorDrtechLanMulti::OnDeltaposSize(int imageId, int sensor, int delta)
{
    SetDlgItemInt(imageId, StepImageSize(GetDlgItemInt(imageId), sensor, delta));
}

CDetectorDrtechLanMulti::SensorSize& CDetectorDrtechLanMulti::SensorOf(const DrtechLanColumn& c)
{
    return m_sensor[&c - kColumns];
}

void CDetectorDrtechLanMulti::OnOK()
{
    const int mode = CheckedModality();
    g_Ini.WriteInt(kDetectorDrtech, kDualMode, mode == 2 ? 1 : 0);
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
    const bool vet = IsPetVet(ReadVetKind());
    if (vet) {
        g_Ini.WriteInt(kDetectorDrtech, kDualMode, 0);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
    }
    const bool dual = IsDlgButtonChecked(kDual) && !vet;
    const bool third = IsDlgButtonChecked(kEnable3rd) != 0;

    // Every column is written, in use or not.
    for (const DrtechLanColumn& c : kColumns)
        SaveColumn(c);
    g_Ini.WriteInt(kSystem, kThirdDetector, third ? 1 : 0);
    g_Ini.WriteInt(kDetDrtech, kDetMode, dual ? (third ? 2 : 1) : 0);

    SaveDrtechSwitches(*this, true);
    Save(kUseAedKey);
    if (g_Ini.GetInt(kDetDrtech, "RequestDarkScan", 1) != 0)
        g_Ini.WriteInt(kDetDrtech, "RequestDarkScan", 1);
    for (const DrtechLanColumn& c : kColumns)
        SaveTriggers(c);
}

void CDetectorDrtechLanMulti::SaveColumn(const DrtechLanColumn& c)
{
    const int index = GetCurSel(c.model);
    const int typeCode = index >= 0 && index < kModelCount ? kModels[index].typeCode : -1;
    const int sensorWidth = SensorOf(c).width;
    const int sensorHeight = SensorOf(c).height;
    const int width = StepImageSize(GetDlgItemInt(c.width), sensorWidth, 0);
    const int height = StepImageSize(GetDlgItemInt(c.height), sensorHeight, 0);
    QByteArray spacing = GetDlgItemText(c.spacing);
    if (spacing.isEmpty())
        spacing = "0.168";

    // [Cor] holds detector A's geometry.
    if (&c == &kA) {
        g_Ini.WriteInt(kCor, kOriW, sensorWidth);
        g_Ini.WriteInt(kCor, kOriH, sensorHeight);
        g_Ini.WriteInt(kCor, kWidth, width);
        g_Ini.WriteInt(kCor, kHeight, height);
    }
    g_Ini.WriteInt(kDetDrtech, c.Key("TYPE"), typeCode);
    g_Ini.WriteInt(kDetDrtech, c.Key("CUTX"), sensorWidth - width);
    g_Ini.WriteInt(kDetDrtech, c.Key("CUTY"), sensorHeight - height);
    g_Ini.WriteString(kCor, c.spacingKey, spacing);
}

void CDetectorDrtechLanMulti::SaveTriggers(const DrtechLanColumn& c)
{
    const int off = GetCurSel(c.triggerOff) + 1;
    // With the AED button off the detector stays on its OFF trigger.
    const int on = IsDlgButtonChecked(kEnableAed) ? GetCurSel(c.triggerOn) + 1 : off;
    g_Ini.WriteInt(kDetDrtech, c.Key("AED_ON"), on);
    g_Ini.WriteInt(kDetDrtech, c.Key("AED_OFF"), off);
}
