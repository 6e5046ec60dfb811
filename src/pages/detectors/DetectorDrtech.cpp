#include "pages/detectors/DetectorDrtech.h"
#include "ui_DetectorDrtech.h"

#include "settings/Workstation.h"
#include "pages/detectors/SizeStepping.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"

namespace {

enum : int {
    kStandRadio = 1032,
    kTableRadio = 1033,
    kFullRadio = 1034,
    kSensorWidth = 1037,
    kSensorHeight = 1038,
    kImageWidth = 1041,
    kImageHeight = 1042,
    kWidthArrows = 1049,
    kHeightArrows = 1050,
};

bool MultiDetector()
{
    return ThisWorkstation().multiDetector;
}

} // namespace

IMPLEMENT_PAGE(CDetectorDrtech)

CDetectorDrtech::CDetectorDrtech(const PageContext& context)
    : CDetector(137, context), m_ui(std::make_unique<Ui::DetectorDrtech>()),
      m_nSlotIndex(context.slotIndex)
{
}

CDetectorDrtech::~CDetectorDrtech() = default;

void CDetectorDrtech::SetupUi()
{
    m_ui->setupUi(this);
    // Left over from the XMaru template: they only receive the sensor size.
    m_ui->sensorWidth->hide();
    m_ui->sensorHeight->hide();
}

const char* CDetectorDrtech::SizeSection() const
{
    if (!MultiDetector())
        return kCor;
    return m_nSlotIndex == 0 ? kCor1 : kCor2;
}

bool CDetectorDrtech::OnInitDialog()
{
    OnDeltaPos(kWidthArrows, [this](int delta) { OnDeltaposWidth(delta); });
    OnDeltaPos(kHeightArrows, [this](int delta) { OnDeltaposHeight(delta); });

    LoadSizes();
    LoadModality();
    if (MultiDetector()) {
        for (int id : {kStandRadio, kTableRadio, kFullRadio})
            ShowDlgItem(id, false);
    }
    ApplySlotPosition();
    return true;
}

void CDetectorDrtech::LoadSizes()
{
    const char* section = SizeSection();
    m_nSensorWidth = g_Ini.GetInt(section, kOriW, 0);
    m_nSensorHeight = g_Ini.GetInt(section, kOriH, 0);
    m_nImageWidth = RoundDown4(ClampImageSize(g_Ini.GetInt(section, kWidth, 0), m_nSensorWidth));
    m_nImageHeight =
        RoundDown4(ClampImageSize(g_Ini.GetInt(section, kHeight, 0), m_nSensorHeight));
    SetDlgItemInt(kSensorWidth, m_nSensorWidth);
    SetDlgItemInt(kSensorHeight, m_nSensorHeight);
    SetDlgItemInt(kImageWidth, m_nImageWidth);
    SetDlgItemInt(kImageHeight, m_nImageHeight);
}

void CDetectorDrtech::OnDeltaposWidth(int delta)
{
    StepSize(m_nImageWidth, m_nSensorWidth, delta);
}

void CDetectorDrtech::OnDeltaposHeight(int delta)
{
    StepSize(m_nImageHeight, m_nSensorHeight, delta);
}

// Both sizes go through the exchange, as the arrows of the other DRTECH pages do.
void CDetectorDrtech::StepSize(int& field, int bound, int delta)
{
    if (!DdxInt(kImageWidth, m_nImageWidth) || !DdxInt(kImageHeight, m_nImageHeight))
        return;
    field = StepImageSize(field, bound, delta);
    SetDlgItemInt(kImageWidth, m_nImageWidth);
    SetDlgItemInt(kImageHeight, m_nImageHeight);
}

void CDetectorDrtech::OnOK()
{
    const char* section = SizeSection();
    const int width = ClampImageSize(GetDlgItemInt(kImageWidth), m_nSensorWidth);
    const int height = ClampImageSize(GetDlgItemInt(kImageHeight), m_nSensorHeight);
    g_Ini.WriteInt(section, kWidth, width);
    g_Ini.WriteInt(section, kHeight, height);
    if (!MultiDetector())
        g_Ini.WriteInt(kSystem, kModalityMode, CheckedModality());
}
