#include "pages/detectors/DetectorDrtech1.h"
#include "ui_DetectorDrtech1.h"

#include "pages/Veterinary.h"
#include "pages/detectors/DrtechSwitches.h"
#include "pages/detectors/SizeStepping.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"
#include "ui/MessageBox.h"

namespace {

enum : int {
    kFullRadio = 1034,
    kSensorWidth = 1037,
    kSensorHeight = 1038,
    kImageWidth = 1041,
    kImageHeight = 1042,
    kWidthArrows = 1049,
    kHeightArrows = 1050,
    kPixelSpacingField = 1064,
};

constexpr const char* kDRTech = kDetectorDrtech;

struct Model {
    int width;
    int height;
    float spacing;
};

struct ModelRow {
    bool device3; // rows for device id 3, else for the others
    int type;
    Model model;
};

const ModelRow kModels[] = {
    {true, 0, {2560, 3072, 0.143f}},  {true, 1, {2560, 3072, 0.143f}},
    {true, 2, {2048, 1536, 0.129f}},  {true, 3, {2048, 1536, 0.129f}},
    {true, 8, {2048, 1536, 0.129f}},  {true, 9, {2048, 1536, 0.129f}},
    {true, 4, {2560, 2560, 0.168f}},  {true, 5, {2560, 2560, 0.168f}},
    {true, 11, {2560, 2560, 0.168f}}, {true, 6, {2048, 2560, 0.168f}},
    {true, 7, {2048, 2560, 0.168f}},  {true, 10, {2560, 3072, 0.168f}},
    {false, 0, {2560, 3072, 0.139f}}, {false, 1, {2560, 3072, 0.139f}},
    {false, 2, {2560, 2560, 0.168f}}, {false, 3, {2560, 2560, 0.168f}},
    {false, 5, {2048, 1536, 0.129f}}, {false, 6, {2048, 1536, 0.129f}},
};

const Model kUnknownModel = {2560, 3072, 0.143f};
const char kUnknownDetector[] = "Unknown Detector, Check Detector Size";

// Sensor size and spacing of a model type; an unknown type is reported and
// taken as 2560 x 3072.
Model LookUpModel(int type, int deviceId, QWidget* parent)
{
    for (const ModelRow& row : kModels) {
        if (row.device3 == (deviceId == 3) && row.type == type)
            return row.model;
    }
    AfxMessageBox(QString::fromLatin1(kUnknownDetector), parent);
    return kUnknownModel;
}

bool MultiDetector()
{
    return ThisWorkstation().multiDetector;
}

} // namespace

IMPLEMENT_PAGE(CDetectorDrtech1)

CDetectorDrtech1::CDetectorDrtech1(const PageContext& context)
    : CDetectorDrtech1(141, true, context)
{
    m_ui = std::make_unique<Ui::DetectorDrtech1>();
}

CDetectorDrtech1::CDetectorDrtech1(int templateId, bool withModality, const PageContext& context)
    : CDetector(templateId, context), m_bWithModality(withModality),
      m_nSlotIndex(context.slotIndex)
{
}

CDetectorDrtech1::~CDetectorDrtech1() = default;

void CDetectorDrtech1::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorDrtech1::OnInitDialog()
{
    SetDigitsOnly(kImageWidth);
    SetDigitsOnly(kImageHeight);
    SetDigitsOnly(kPixelSpacingField, true);
    OnDeltaPos(kWidthArrows, [this](int delta) { OnDeltaposWidth(delta); });
    OnDeltaPos(kHeightArrows, [this](int delta) { OnDeltaposHeight(delta); });

    const GeometrySource source = LoadGeometry();
    if (m_bWithModality)
        LoadModalityChoice(source);
    LoadSwitches();
    ApplySlotPosition();
    return true;
}

CDetectorDrtech1::GeometrySource CDetectorDrtech1::LoadGeometry()
{
    GeometrySource source;
    source.deviceId = g_Ini.GetInt(kControlPanel, kDevice, 0);
    Model model;
    bool sizeFromCor = true;
    if (source.deviceId == 3) {
        model = LookUpModel(g_Ini.GetInt(kDRTech, "DevType", 0), 3, this);
    } else if (source.deviceId == 13) {
        source.detType = g_Ini.GetInt(kDetDrtech, kDetType, 0);
        if (source.detType == 4) {
            // The first detector's own type and crop.
            model = LookUpModel(g_Ini.GetInt(kDetDrtech, "A_TYPE", 0), 13, this);
            m_nImageWidth = CroppedSize(model.width, g_Ini.GetInt(kDetDrtech, "A_CUTX", 0));
            m_nImageHeight = CroppedSize(model.height, g_Ini.GetInt(kDetDrtech, "A_CUTY", 0));
            sizeFromCor = false;
        } else {
            model = LookUpModel(source.detType, 13, this);
        }
    } else {
        AfxMessageBox(QString::fromLatin1(kUnknownDetector), this);
        model = LookUpModel(0, source.deviceId, this);
    }
    if (sizeFromCor) {
        m_nImageWidth = g_Ini.GetInt(kCor, kWidth, 0);
        m_nImageHeight = g_Ini.GetInt(kCor, kHeight, 0);
    }
    SetDlgItemText(kPixelSpacingField, QByteArray::number(double(model.spacing), 'f', 3));
    ShowSizes(model.width, model.height);
    return source;
}

// The stored OriW and OriH play no part: the model is the sensor.
void CDetectorDrtech1::ShowSizes(int sensorWidth, int sensorHeight)
{
    m_nSensorWidth = sensorWidth;
    m_nSensorHeight = sensorHeight;
    if (m_nImageWidth <= 0)
        m_nImageWidth = m_nSensorWidth;
    if (m_nImageHeight <= 0)
        m_nImageHeight = m_nSensorHeight;
    m_nImageWidth = RoundDown4(ClampImageSize(m_nImageWidth, m_nSensorWidth));
    m_nImageHeight = RoundDown4(ClampImageSize(m_nImageHeight, m_nSensorHeight));
    SetDlgItemInt(kSensorWidth, m_nSensorWidth);
    SetDlgItemInt(kSensorHeight, m_nSensorHeight);
    SetDlgItemInt(kImageWidth, m_nImageWidth);
    SetDlgItemInt(kImageHeight, m_nImageHeight);
}

void CDetectorDrtech1::LoadModalityChoice(const GeometrySource& source)
{
    int mode = g_Ini.GetInt(kSystem, kModalityMode, 0);
    // With SMM1 1 the types above 4 work at one position at a time.
    if (g_Ini.GetInt(kDetDrtech, "SMM1", 0) == 1 && source.deviceId == 13 && source.detType > 4) {
        EnableDlgItem(kFullRadio, false);
        if (mode == 2)
            mode = 0;
    }
    SetModality(mode, IsPetVet(ReadVetKind()));
}

void CDetectorDrtech1::LoadSwitches()
{
    // Read again with another default: without a device id the switches are
    // taken from [DetDrtech].
    const bool drtech = g_Ini.GetInt(kControlPanel, kDevice, 13) == 3;
    const char* section = drtech ? kDRTech : kDetDrtech;
    Load(CheckBinding(kSound, section, "SndExp"));
    Load(CheckBinding(kExposureControl, section, "CtrlExp"));
    const int openTime = g_Ini.GetInt(section, "OpenTime", 0);
    if (drtech)
        SetCurSel(kOpenTime, openTime == 1 ? 1 : 0);
    else
        SetCurSel(kOpenTime, openTime >= 0 && openTime <= 3 ? openTime : 0);
}

void CDetectorDrtech1::OnDeltaposWidth(int delta)
{
    StepSize(m_nImageWidth, m_nSensorWidth, delta);
}

void CDetectorDrtech1::OnDeltaposHeight(int delta)
{
    StepSize(m_nImageHeight, m_nSensorHeight, delta);
}

void CDetectorDrtech1::StepSize(int& field, int bound, int delta)
{
    if (!DdxInt(kImageWidth, m_nImageWidth) || !DdxInt(kImageHeight, m_nImageHeight))
        return;
    field = StepImageSize(field, bound, delta);
    SetDlgItemInt(kImageWidth, m_nImageWidth);
    SetDlgItemInt(kImageHeight, m_nImageHeight);
}

void CDetectorDrtech1::OnOK()
{
    // The mobile page exists only as the second of two detectors.
    if (m_bWithModality && !MultiDetector())
        SaveSingle();
    else
        SaveMulti();
}

void CDetectorDrtech1::SaveModalityKeys()
{
    const int mode = CheckedModality();
    g_Ini.WriteInt(kDRTech, kDualMode, mode == 2 ? 1 : 0);
    g_Ini.WriteInt(kDetDrtech, kDetMode, mode == 2 ? 1 : 0);
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
}

void CDetectorDrtech1::SaveSingle()
{
    const int width = ClampImageSize(GetDlgItemInt(kImageWidth), m_nSensorWidth);
    const int height = ClampImageSize(GetDlgItemInt(kImageHeight), m_nSensorHeight);
    SaveModalityKeys();
    if (IsPetVet(ReadVetKind())) {
        g_Ini.WriteInt(kDRTech, kDualMode, 0);
        g_Ini.WriteInt(kDetDrtech, kDetMode, 0);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
    }
    SaveDrtechSwitches(*this, true);
    g_Ini.WriteInt(kCor, kOriW, m_nSensorWidth);
    g_Ini.WriteInt(kCor, kOriH, m_nSensorHeight);
    g_Ini.WriteInt(kCor, kWidth, width);
    g_Ini.WriteInt(kCor, kHeight, height);
    if (g_Ini.GetInt(kControlPanel, kDevice, 0) == 13 &&
        g_Ini.GetInt(kDetDrtech, kDetType, 0) == 4) {
        // The crop is kept for both detectors of the pair; the type stays A's.
        g_Ini.WriteInt(kDetDrtech, "A_CUTX", m_nSensorWidth - width);
        g_Ini.WriteInt(kDetDrtech, "B_CUTX", m_nSensorWidth - width);
        g_Ini.WriteInt(kDetDrtech, "A_CUTY", m_nSensorHeight - height);
        g_Ini.WriteInt(kDetDrtech, "B_CUTY", m_nSensorHeight - height);
        g_Ini.WriteInt(kDetDrtech, "B_TYPE", g_Ini.GetInt(kDetDrtech, "A_TYPE", 0));
    }
    QByteArray spacing = GetDlgItemText(kPixelSpacingField);
    if (spacing.isEmpty())
        spacing = "0.168";
    g_Ini.WriteString(kCor, kPixelSpacing, spacing);
    g_Ini.WriteString(kCor, kPixelSpacing2, spacing);
}

void CDetectorDrtech1::SaveMulti()
{
    const char* section = m_nSlotIndex == 0 ? kCor1 : kCor2;
    g_Ini.WriteInt(section, kWidth, ClampImageSize(GetDlgItemInt(kImageWidth), m_nSensorWidth));
    g_Ini.WriteInt(section, kHeight, ClampImageSize(GetDlgItemInt(kImageHeight), m_nSensorHeight));
    if (m_bWithModality)
        SaveModalityKeys();
    SaveDrtechSwitches(*this, false);
}
