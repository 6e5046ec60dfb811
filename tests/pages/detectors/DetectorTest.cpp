// The modality group every detector page shares: loading from "Modality Mode",
// the veterinary variant, the slot position and the value saved.
#include "pages/detectors/Detector.h"
#include "pages/detectors/DirectPage.h"

#include <QRadioButton>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A page with only the modality group; records which handler ran.
class CModalityPage : public CDetector
{
public:
    using CDetector::ModalityButtons;
    explicit CModalityPage(const ModalityButtons& ids, int slotPosition = 0)
        : CDetector(9998, PageContext{0, slotPosition, 0}), m_ids(ids)
    {
        SetModalityButtons(ids);
    }
    using CDetector::ApplySlotPosition;
    using CDetector::CheckedModality;
    using CDetector::LoadModality;
    std::vector<int> handled;

    // Per button: 1 checked or 0, then E enabled or D.
    std::string State() const
    {
        std::string s;
        for (int id : {m_ids.stand, m_ids.table, m_ids.both})
            s += std::string(IsDlgButtonChecked(id) ? "1" : "0") +
                 (IsDlgItemEnabled(id) ? "E" : "D");
        return s;
    }

protected:
    void SetupUi() override
    {
        for (int id : {m_ids.stand, m_ids.table, m_ids.both})
            (new QRadioButton(this))->setProperty("ctrlId", id);
    }
    bool OnInitDialog() override
    {
        ConnectModality();
        return true;
    }
    void OnModalityButton(int mode) override { handled.push_back(mode); }

private:
    ModalityButtons m_ids;
};

} // namespace

TEST(ModalityGroup, LoadsTheStoredModeThenAppliesTheSlot)
{
    const struct {
        const char* system;
        bool honourVet;
        int slotPosition;
        const char* state;
        std::vector<int> handled;
    } cases[] = {
        {"Modality Mode=1\n", false, 0, "0E1E0E", {1}},
        {"Modality Mode=2\n", false, 0, "0E0E1E", {2}},
        {"Modality Mode=7\n", false, 0, "1E0E0E", {0}},
        {"Modality Mode=-1\n", false, 0, "1E0E0E", {0}},
        {"Modality Mode=1\nIsVet=1\n", true, 0, "0D0D1D", {2}},
        {"Modality Mode=1\nIsVet=1\n", false, 0, "0E1E0E", {1}},
        {"Modality Mode=1\nIsVet=2\n", true, 0, "0E1E0E", {1}},
        {"Modality Mode=0\n", false, 2, "0D1D0D", {0, 1}},
        {"Modality Mode=2\n", false, 1, "1D0D0D", {2, 0}},
    };
    for (const auto& c : cases) {
        Workstation ws;
        ws.WriteIni(QByteArray("[SYSTEM]\n") + c.system);
        DirectPageScope scope(ws, c.slotPosition != 0, c.slotPosition);
        CModalityPage page({1086, 1087, 1088}, c.slotPosition);
        page.Create(nullptr);
        page.LoadModality(c.honourVet);
        page.ApplySlotPosition();
        EXPECT_EQ(page.State(), c.state) << c.system << " slot " << c.slotPosition;
        EXPECT_EQ(page.handled, c.handled) << c.system << " slot " << c.slotPosition;
    }
}

TEST(ModalityGroup, ClickRunsTheHandlerAndSavesTheCheckedButton)
{
    Workstation ws;
    DirectPageScope scope(ws, false, 0);
    CModalityPage page({1032, 1033, 1034});
    page.Create(nullptr);
    EXPECT_EQ(page.CheckedModality(), 0) << "none checked";
    qobject_cast<QRadioButton*>(page.GetDlgItem(1034))->click();
    EXPECT_EQ(page.CheckedModality(), 2);
    qobject_cast<QRadioButton*>(page.GetDlgItem(1033))->click();
    EXPECT_EQ(page.CheckedModality(), 1);
    EXPECT_EQ(page.State(), "0E1E0E");
    EXPECT_EQ(page.handled, (std::vector<int>{2, 1}));
}
