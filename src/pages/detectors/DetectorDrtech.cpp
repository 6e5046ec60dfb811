#include "pages/detectors/DetectorDrtech.h"
#include "ui_DetectorDrtech.h"

#include "app/SetUpApp.h"
#include "pages/detectors/SizeStepping.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"

namespace {

bool MultiDetector()
{
    return theApp.m_bUseMultiCor == 1;
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
        return "Cor";
    return m_nSlotIndex == 0 ? "Cor1" : "Cor2";
}

bool CDetectorDrtech::OnInitDialog()
{
    OnDeltaPos(1049, [this](int delta) { OnDeltaposWidth(delta); });
    OnDeltaPos(1050, [this](int delta) { OnDeltaposHeight(delta); });

    LoadSizes();
    LoadModality();
    if (MultiDetector()) {
        for (int id : {1032, 1033, 1034})
            ShowDlgItem(id, false);
    }
    ApplySlotPosition();
    return true;
}

void CDetectorDrtech::LoadSizes()
{
    const char* section = SizeSection();
    m_nSensorWidth = g_Ini.GetInt(section, "OriW", 0);
    m_nSensorHeight = g_Ini.GetInt(section, "OriH", 0);
    m_nImageWidth = RoundDown4(ClampImageSize(g_Ini.GetInt(section, "Width", 0), m_nSensorWidth));
    m_nImageHeight =
        RoundDown4(ClampImageSize(g_Ini.GetInt(section, "Height", 0), m_nSensorHeight));
    SetDlgItemInt(1037, m_nSensorWidth);
    SetDlgItemInt(1038, m_nSensorHeight);
    SetDlgItemInt(1041, m_nImageWidth);
    SetDlgItemInt(1042, m_nImageHeight);
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
    if (!DdxInt(1041, m_nImageWidth) || !DdxInt(1042, m_nImageHeight))
        return;
    field = StepImageSize(field, bound, delta);
    SetDlgItemInt(1041, m_nImageWidth);
    SetDlgItemInt(1042, m_nImageHeight);
}

void CDetectorDrtech::OnOK()
{
    const char* section = SizeSection();
    const int width = ClampImageSize(GetDlgItemInt(1041), m_nSensorWidth);
    const int height = ClampImageSize(GetDlgItemInt(1042), m_nSensorHeight);
    g_Ini.WriteInt(section, "Width", width);
    g_Ini.WriteInt(section, "Height", height);
    if (!MultiDetector())
        g_Ini.WriteInt("SYSTEM", "Modality Mode", CheckedModality());
}
