#include "pages/detectors/DetectorAtal.h"

#include "ui_DetectorAtal.h"

#include "pages/Veterinary.h"
#include "pages/detectors/Margins.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"

namespace {

enum : int {
    kDarkRefresh = 1007,
    kPath = 1010,
    kCropXB = 1043,
    kCropYB = 1044,
    kCropXA = 1134,
    kCropYA = 1135,
};

constexpr char kSection[] = "ATAL";

struct MarginKey {
    int id;
    const char* key;
};

// In write order.
constexpr MarginKey kMargins[] = {
    {kCropXA, "A_CUTX"}, {kCropYA, "A_CUTY"}, {kCropXB, "B_CUTX"}, {kCropYB, "B_CUTY"}};

constexpr int kDetectorBFields[] = {kCropXB, kCropYB};

// Read on loading only: the page has no use for it beyond showing it.
constexpr Binding kDarkRefreshKey = CheckBinding(kDarkRefresh, kSection, "DARKREFRESH");
constexpr Binding kPathKey = TextBinding(kPath, kSection, "PATH", "C:\\ATAL");

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
    Load(kDarkRefreshKey);
    Load(kPathKey);
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
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
    if (mode != 2) {
        // A single detector has no B margins: they are saved, and shown, as 0.
        for (int id : kDetectorBFields)
            SetDlgItemText(id, "0");
    }
    for (const MarginKey& margin : kMargins)
        g_Ini.WriteInt(kSection, margin.key, ReadMargin(*this, margin.id));
    g_Ini.WriteInt(kSection, kDetMode, mode == 2 ? 1 : 0);
    if (IsPetVet(ReadVetKind())) {
        g_Ini.WriteInt(kSection, kDetMode, 0);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
    }
    Save(kPathKey);
}

IMPLEMENT_PAGE(CDetectorAtal)
