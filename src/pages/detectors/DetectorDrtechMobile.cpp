#include "pages/detectors/DetectorDrtechMobile.h"
#include "ui_DetectorDrtechMobile.h"

#include "ui/PageFactory.h"

IMPLEMENT_PAGE(CDetectorDrtechMobile)

CDetectorDrtechMobile::CDetectorDrtechMobile(const PageContext& context)
    : CDetectorDrtech1(1039, false, context), m_mobileUi(std::make_unique<Ui::DetectorDrtechMobile>())
{
}

CDetectorDrtechMobile::~CDetectorDrtechMobile() = default;

void CDetectorDrtechMobile::SetupUi()
{
    m_mobileUi->setupUi(this);
    // The modality is not this page's to show or store.
    m_mobileUi->modeLabel->hide();
    m_mobileUi->modalityStand->hide();
    m_mobileUi->modalityTable->hide();
    m_mobileUi->modalityBoth->hide();
}
