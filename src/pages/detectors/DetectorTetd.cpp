#include "pages/detectors/DetectorTetd.h"
#include "ui_DetectorTetd.h"

#include <algorithm>

#include "ini/CodePage.h"
#include "pages/detectors/SizeStepping.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"
#include "ui/FolderPicker.h"

namespace {

enum : int {
    kConfigFolder = 1030,
    kStandRadio = 1032,
    kTableRadio = 1033,
    kImageWidth = 1041,
    kImageHeight = 1042,
    kWidthArrows = 1049,
    kHeightArrows = 1050,
    kBrowse = 1051,
};

// Upper limit of either side of a TETD image.
constexpr int kMaxSize = 3072;

QByteArray VendorFile()
{
    return ThisWorkstation().FilePathBytes(QStringLiteral("FPDOpr.INI"));
}

int FitSize(qint64 size)
{
    return static_cast<int>(std::clamp<qint64>(size, 4, kMaxSize));
}

// As the shared size stepping, but the arrow's whole proposed change counts.
// Typed values can be as large as an int holds, hence 64 bits.
int StepSize(int value, int delta)
{
    qint64 v = value;
    if (delta < 0) {
        v -= delta;
        v = v - ((v % 4) + 4) % 4 + 4; // next multiple of 4 strictly above
    } else {
        v -= delta;
        v -= v % 4;
    }
    return FitSize(v);
}

} // namespace

IMPLEMENT_PAGE(CDetectorTetd)

CDetectorTetd::CDetectorTetd(const PageContext& context)
    : CDetector(1035, context), m_ui(std::make_unique<Ui::DetectorTetd>()) {}

CDetectorTetd::~CDetectorTetd() = default;

void CDetectorTetd::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorTetd::OnInitDialog()
{
    OnDeltaPos(kWidthArrows, [this](int delta) { OnDeltaposSize(kImageWidth, delta); });
    OnDeltaPos(kHeightArrows, [this](int delta) { OnDeltaposSize(kImageHeight, delta); });
    OnClicked(kBrowse, [this] { OnBrowse(); });
    SetDigitsOnly(kImageWidth);
    SetDigitsOnly(kImageHeight);

    const CIni vendor(VendorFile().constData());
    // Both positions need the vendor's dual mode; without it the table is used.
    int mode = g_Ini.GetInt(kSystem, kModalityMode, 0);
    if (vendor.GetInt("COMMON", "DUALMODE", 0) == 0 && mode == 2)
        mode = 1;
    SetModality(mode, false);
    SetDlgItemText(kConfigFolder, vendor.GetString("COMMON", "CONFDIR", ""));
    SetDlgItemInt(kImageWidth, FitSize(RoundDown4(g_Ini.GetInt(kCor, kWidth, 0))));
    SetDlgItemInt(kImageHeight, FitSize(RoundDown4(g_Ini.GetInt(kCor, kHeight, 0))));
    ApplySlotPosition();
    return true;
}

void CDetectorTetd::OnDeltaposSize(int editId, int delta)
{
    SetDlgItemInt(editId, StepSize(GetDlgItemInt(editId), delta));
}

void CDetectorTetd::OnBrowse()
{
    QByteArray start = GetDlgItemText(kConfigFolder);
    if (start.isEmpty())
        start = "C:\\VoraSuite\\FPDOPR";
    CFolderPicker picker(this);
    if (picker.Browse(FromCodePage(start)))
        SetDlgItemText(kConfigFolder, picker.GetPathBytes());
}

void CDetectorTetd::OnOK()
{
    // With two detectors this page keeps its hands off both files.
    if (ThisWorkstation().multiDetector)
        return;
    const CIni vendor(VendorFile().constData());
    vendor.WriteString("COMMON", "CONFDIR", GetDlgItemText(kConfigFolder));
    g_Ini.WriteString(kCor, kWidth, GetDlgItemText(kImageWidth));
    g_Ini.WriteString(kCor, kHeight, GetDlgItemText(kImageHeight));
    const int mode = IsDlgButtonChecked(kStandRadio) ? 0 : IsDlgButtonChecked(kTableRadio) ? 1 : 2;
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
    vendor.WriteInt("COMMON", "DUALMODE", mode == 2 ? 1 : 0);
}
