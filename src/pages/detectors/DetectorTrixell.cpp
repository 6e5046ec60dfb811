#include "pages/detectors/DetectorTrixell.h"
#include "ui_DetectorTrixell.h"

#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"
#include "ui/PortLists.h"

namespace {

enum : int {
    kStandPort = 1024,
    kTablePort = 1025,
};

constexpr char kPortSection[] = "DETECTOR";
constexpr char kStandPortKey[] = "Detector 1";
constexpr char kTablePortKey[] = "Detector 2";

} // namespace

IMPLEMENT_PAGE(CDetectorTrixell)

CDetectorTrixell::CDetectorTrixell(const PageContext& context)
    : CDetectorVadav(138, context), m_ui(std::make_unique<Ui::DetectorTrixell>())
{
}

CDetectorTrixell::~CDetectorTrixell() = default;

void CDetectorTrixell::SetupUi()
{
    m_ui->setupUi(this);
    // The XMaru controls this family has no use for.
    m_ui->hiddenControls->hide();
}

// The slot position changes nothing here: the stored modality stays shown.
bool CDetectorTrixell::OnInitDialog()
{
    ConnectModality();
    ConnectImageHandlers();
    FillComPorts(*this, kStandPort);
    FillComPorts(*this, kTablePort);

    LoadSizes();
    SelectComPort(*this, kStandPort, g_Ini.GetInt(kPortSection, kStandPortKey, 1));
    SelectComPort(*this, kTablePort, g_Ini.GetInt(kPortSection, kTablePortKey, 1));
    LoadModality();
    if (ThisWorkstation().multiDetector) {
        for (int id : {Modality().stand, Modality().table, Modality().both})
            ShowDlgItem(id, false);
    }
    return true;
}

void CDetectorTrixell::OnOK()
{
    WriteImageSize(kCor);
    const QString invalid = QStringLiteral("ComPort Invalid, Set COM1");
    g_Ini.WriteInt(kPortSection, kStandPortKey, ChosenComPort(*this, kStandPort, invalid));
    g_Ini.WriteInt(kPortSection, kTablePortKey, ChosenComPort(*this, kTablePort, invalid));
    // Hidden radios still hold the loaded value, which goes back unchanged.
    g_Ini.WriteInt(kSystem, kModalityMode, CheckedModality());
}
