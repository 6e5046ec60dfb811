#include "pages/detectors/DetectorVarianVsp.h"
#include "ui_DetectorVarianVsp.h"

#include "ui/PageFactory.h"

namespace {

enum : int {
    kBrowseA = 1051,
    kBrowseB = 1052,
};

const VarianKeys kVspKeys = {
    "VSP",
    nullptr,
    nullptr,
    {"A_SIZE_DATA_L", "A_SIZE_DATA_T", "B_SIZE_DATA_L", "B_SIZE_DATA_T"},
    true,
    "A_SN",
    "B_SN",
    "A_MODE",
    "B_MODE",
    2,
    false,
    "DEV_COUNT",
    "2",
    "1",
    // Browse buttons, type lists and sizes: serial numbers are typed, and
    // the panel size is not this page's business.
    {kBrowseA, kBrowseB, kTypeA, kTypeB, kWidthA, kHeightA, kWidthB, kHeightB},
};

} // namespace

CDetectorVarianVsp::CDetectorVarianVsp(const PageContext& context)
    : CDetectorVarian(1045, kVspKeys, context), m_uiVsp(std::make_unique<Ui::DetectorVarianVsp>())
{
}

CDetectorVarianVsp::~CDetectorVarianVsp() = default;

void CDetectorVarianVsp::SetupUi()
{
    m_uiVsp->setupUi(this);
}

IMPLEMENT_PAGE(CDetectorVarianVsp)
