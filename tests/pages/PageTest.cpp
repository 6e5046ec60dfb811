// Declared bindings: what each kind shows of a stored value and writes back.
#include "pages/Page.h"
#include "support/ScriptRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

enum : int { kCheck = 1, kInverted, kAnyValue, kList, kNumber, kText };

constexpr Binding kBindings[] = {
    CheckBinding(kCheck, "S", "Check"),
    // Checked means 0 here, and a missing key counts as unchecked.
    CheckBinding(kInverted, "S", "Inverted", 1, 0, 1),
    CheckNotOffBinding(kAnyValue, "S", "AnyValue"),
    ListBinding(kList, "S", "List", 1),
    NumberBinding(kNumber, "S", "Number", 1920),
    TextBinding(kText, "S", "Text", "C:\\Default"),
};

class CBoundPage : public CPage
{
public:
    CBoundPage() : CPage(9997) {}
    void LoadAll() { Load(kBindings); }
    void SaveAll() const { Save(kBindings); }

protected:
    void SetupUi() override
    {
        for (int id : {kCheck, kInverted, kAnyValue})
            (new QCheckBox(this))->setProperty("ctrlId", id);
        auto* list = new QComboBox(this);
        list->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        list->setProperty("ctrlId", kList);
        (new QLineEdit(this))->setProperty("ctrlId", kNumber);
        (new QLineEdit(this))->setProperty("ctrlId", kText);
    }
};

class BindingTest : public ::testing::Test
{
protected:
    void SetUp() override { g_Ini.SetPath(m_path.constData()); }
    void TearDown() override { g_Ini.SetPath(nullptr); }

    // The page loaded from ini, then saved again unchanged.
    QByteArray RoundTrip(const QByteArray& ini, QString* shown)
    {
        ws.WriteIni(ini);
        CBoundPage page;
        page.Create(nullptr);
        page.LoadAll();
        *shown = QStringList{QString::number(page.IsDlgButtonChecked(kCheck)),
                             QString::number(page.IsDlgButtonChecked(kInverted)),
                             QString::number(page.IsDlgButtonChecked(kAnyValue)),
                             QString::number(page.GetCurSel(kList)),
                             QString::fromLatin1(page.GetDlgItemText(kNumber)),
                             QString::fromLatin1(page.GetDlgItemText(kText))}
                     .join(QLatin1Char(' '));
        page.SaveAll();
        return ws.Read(QStringLiteral("Kestrel.ini"));
    }

    Workstation ws;
    QByteArray m_path = QFile::encodeName(ws.Path(QStringLiteral("Kestrel.ini")));
};

} // namespace

TEST_F(BindingTest, MissingKeysShowTheDefaultsAndAreWrittenInDeclarationOrder)
{
    QString shown;
    EXPECT_EQ(RoundTrip("", &shown), "[S]\r\nCheck=0\r\nInverted=1\r\nAnyValue=0\r\nList=1\r\n"
                                     "Number=1920\r\nText=C:\\Default\r\n");
    EXPECT_EQ(shown, "0 0 0 1 1920 C:\\Default");
}

TEST_F(BindingTest, EachKindReadsItsOwnRuleAndWritesItsOwnValues)
{
    QString shown;
    const QByteArray saved = RoundTrip("[S]\nCheck=2\nInverted=0\nAnyValue=-3\nList=2\n"
                                       "Number=0042\nText=\n",
                                       &shown);
    // Only the checked value checks a box; any value but 0 checks the other.
    EXPECT_EQ(shown, "0 1 1 2 42 ");
    EXPECT_EQ(saved, "[S]\r\nCheck=0\r\nInverted=0\r\nAnyValue=1\r\nList=2\r\nNumber=42\r\nText=\r\n");
}

TEST_F(BindingTest, AListWithoutSelectionSavesMinusOneAndANumberIsSavedAsTyped)
{
    ws.WriteIni("[S]\nList=7\n");
    CBoundPage page;
    page.Create(nullptr);
    page.LoadAll();
    EXPECT_EQ(page.GetCurSel(kList), -1);
    page.SetDlgItemText(kNumber, "12x");
    page.SaveAll();
    EXPECT_EQ(ws.Value("S", "List"), "-1");
    EXPECT_EQ(ws.Value("S", "Number"), "12x");
}
