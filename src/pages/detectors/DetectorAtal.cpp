#include "pages/detectors/DetectorAtal.h"

#include "ui_DetectorAtal.h"

#include "pages/detectors/Margins.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"

namespace {

constexpr char kSection[] = "ATAL";

struct MarginKey {
    int id;
    const char* key;
};

// In write order.
constexpr MarginKey kMargins[] = {
    {1134, "A_CUTX"}, {1135, "A_CUTY"}, {1043, "B_CUTX"}, {1044, "B_CUTY"}};

constexpr int kDetectorBFields[] = {1043, 1044};

bool IsVet()
{
    return g_Ini.GetInt("SYSTEM", "IsVet", 0) == 1;
}

} // namespace

CDetectorAtal::CDetectorAtal(const PageContext& context)
    : CDetector(1041, context), m_ui(std::make_unique<Ui::DetectorAtal>())
{
}

CDetectorAtal::~CDetectorAtal() = default;

void CDetectorAtal::SetupUi()
{
    m_ui->setupUi(this);
    // Library names and the dark refresh belong to the template, not to this page.
    m_ui->unusedFields->hide();
}

bool CDetectorAtal::OnInitDialog()
{
    ConnectModality();
    for (const MarginKey& margin : kMargins)
        SetDigitsOnly(margin.id);

    LoadModality(/*honourVet=*/true);
    for (const MarginKey& margin : kMargins)
        ShowMargin(*this, margin.id, g_Ini.GetInt(kSection, margin.key, 0));
    CheckDlgButton(1007, g_Ini.GetInt(kSection, "DARKREFRESH", 0) == 1);
    SetDlgItemText(1010, g_Ini.GetString(kSection, "PATH", "C:\\ATAL"));
    ApplySlotPosition();
    return true;
}

// Detector B exists only in the dual set-up.
void CDetectorAtal::OnModalityButton(int mode)
{
    for (int id : kDetectorBFields)
        EnableDlgItem(id, mode == 2);
}

void CDetectorAtal::OnOK()
{
    const int mode = CheckedModality();
    g_Ini.WriteInt("SYSTEM", "Modality Mode", mode);
    if (mode != 2) {
        // A single detector has no B margins: they are saved, and shown, as 0.
        for (int id : kDetectorBFields)
            SetDlgItemText(id, "0");
    }
    for (const MarginKey& margin : kMargins)
        g_Ini.WriteInt(kSection, margin.key, ReadMargin(*this, margin.id));
    g_Ini.WriteInt(kSection, "DetMode", mode == 2 ? 1 : 0);
    if (IsVet()) {
        g_Ini.WriteInt(kSection, "DetMode", 0);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
    }
    g_Ini.WriteString(kSection, "PATH", GetDlgItemText(1010));
}

IMPLEMENT_PAGE(CDetectorAtal)
