// The modality group every detector page shares: loading from "Modality Mode",
// the veterinary variant, the slot position and the value saved.
#include "detectors/Detector.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QFile>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A page with only the modality group; records which handler ran.
class CModalityPage : public CDetector
{
public:
    explicit CModalityPage(const ModalityButtons& ids = {}) : CDetector(9998), m_ids(ids)
    {
        SetModalityButtons(ids);
    }

    std::vector<int> handled;

    using CDetector::ApplySlotPosition;
    using CDetector::CheckedModality;
    using CDetector::LoadModality;
    using CDetector::ModalityButtons;

    // "stand table both": 1 checked / 0 not, then E or D for enabled.
    std::string State() const
    {
        std::string s;
        for (int id : {m_ids.stand, m_ids.table, m_ids.both}) {
            s += IsDlgButtonChecked(id) ? '1' : '0';
            s += IsDlgItemEnabled(id) ? 'E' : 'D';
        }
        return s;
    }

protected:
    void SetupUi() override
    {
        for (int id : {m_ids.stand, m_ids.table, m_ids.both}) {
            auto* radio = new QRadioButton(this);
            radio->setProperty("ctrlId", id);
        }
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

// g_Ini bound to a workstation's Kestrel.ini for one test.
class IniScope
{
public:
    explicit IniScope(const QByteArray& text)
    {
        m_ws.WriteIni(text);
        m_path = QFile::encodeName(m_ws.Path(QStringLiteral("Kestrel.ini")));
        g_Ini.SetPath(m_path.constData());
    }
    ~IniScope()
    {
        g_Ini.SetPath(nullptr);
        g_nSlotPosition = 0;
    }

private:
    Workstation m_ws;
    QByteArray m_path;
};

std::unique_ptr<CModalityPage> MakePage(int slotPosition,
                                        const CModalityPage::ModalityButtons& ids = {})
{
    g_nSlotPosition = slotPosition;
    auto page = std::make_unique<CModalityPage>(ids);
    page->Create(nullptr);
    return page;
}

} // namespace

TEST(ModalityGroup, StoredModeChecksItsButtonAndRunsItsHandler)
{
    const struct {
        const char* stored;
        const char* state;
        int mode;
    } cases[] = {
        {"0", "1E0E0E", 0}, {"1", "0E1E0E", 1},  {"2", "0E0E1E", 2},
        {"7", "1E0E0E", 0}, {"-1", "1E0E0E", 0}, {"", "1E0E0E", 0},
    };
    for (const auto& c : cases) {
        IniScope ini(QByteArray("[SYSTEM]\nModality Mode=") + c.stored + "\n");
        auto page = MakePage(0);
        page->LoadModality();
        EXPECT_EQ(page->State(), c.state) << "Modality Mode=" << c.stored;
        EXPECT_EQ(page->handled, std::vector<int>{c.mode}) << "Modality Mode=" << c.stored;
        EXPECT_EQ(page->CheckedModality(), c.mode) << "Modality Mode=" << c.stored;
    }
}

TEST(ModalityGroup, VeterinaryModeDisablesTheGroupOnlyOnPagesThatHonourIt)
{
    IniScope ini("[SYSTEM]\nModality Mode=1\nIsVet=1\n");
    auto honouring = MakePage(0);
    honouring->LoadModality(true);
    EXPECT_EQ(honouring->State(), "0D0D1D");
    EXPECT_EQ(honouring->handled, std::vector<int>{2});

    auto ignoring = MakePage(0);
    ignoring->LoadModality();
    EXPECT_EQ(ignoring->State(), "0E1E0E");
}

TEST(ModalityGroup, VeterinaryModeCountsOnlyWhenExactlyOne)
{
    IniScope ini("[SYSTEM]\nModality Mode=1\nIsVet=2\n");
    auto page = MakePage(0);
    page->LoadModality(true);
    EXPECT_EQ(page->State(), "0E1E0E");
}

TEST(ModalityGroup, SecondOfTwoIsTheTableDetectorWhateverIsStored)
{
    IniScope ini("[SYSTEM]\nModality Mode=0\n");
    auto page = MakePage(2);
    page->LoadModality();
    page->ApplySlotPosition();
    EXPECT_EQ(page->State(), "0D1D0D");
    EXPECT_EQ(page->handled, (std::vector<int>{0, 1})) << "loading's handler, then the slot's";
    EXPECT_EQ(page->CheckedModality(), 1);
}

TEST(ModalityGroup, FirstOfTwoIsTheStandDetectorAndSingleKeepsTheLoadedButton)
{
    IniScope ini("[SYSTEM]\nModality Mode=2\n");
    auto first = MakePage(1);
    first->LoadModality();
    first->ApplySlotPosition();
    EXPECT_EQ(first->State(), "1D0D0D");

    auto single = MakePage(0);
    single->LoadModality();
    single->ApplySlotPosition();
    EXPECT_EQ(single->State(), "0E0E1E");
    EXPECT_EQ(single->handled, std::vector<int>{2}) << "no slot handler for a single detector";
}

TEST(ModalityGroup, SlotPositionIsTakenAtConstruction)
{
    IniScope ini("[SYSTEM]\nModality Mode=0\n");
    auto page = MakePage(2);
    g_nSlotPosition = 1;
    EXPECT_EQ(page->m_nSlotPosition, 2);
}

TEST(ModalityGroup, OtherButtonIdsWorkTheSameWay)
{
    IniScope ini("[SYSTEM]\nModality Mode=1\n");
    auto page = MakePage(0, {1086, 1087, 1088});
    page->LoadModality();
    EXPECT_EQ(page->State(), "0E1E0E");
    EXPECT_EQ(page->CheckedModality(), 1);
}

TEST(ModalityGroup, NoButtonCheckedSavesZero)
{
    IniScope ini("");
    auto page = MakePage(0);
    EXPECT_EQ(page->CheckedModality(), 0);
}

TEST(ModalityGroup, ClickingAButtonRunsItsHandler)
{
    IniScope ini("");
    auto page = MakePage(0);
    qobject_cast<QRadioButton*>(page->GetDlgItem(1034))->click();
    qobject_cast<QRadioButton*>(page->GetDlgItem(1032))->click();
    EXPECT_EQ(page->handled, (std::vector<int>{2, 0}));
    EXPECT_EQ(page->State(), "1E0E0E");
}
