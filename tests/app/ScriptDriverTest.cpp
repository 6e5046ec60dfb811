// The scripted mode's commands against a small page: what a person could not
// do is an error, texts keep their escapes, pickers take queued answers.
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/Pickers.h"
#include "app/ScriptDriver.h"
#include "ui/Transcript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class CSamplePage : public CDialog
{
public:
    CSamplePage() : CDialog(1) {}
    QStringList events;

protected:
    void SetupUi() override
    {
        auto add = [this](QWidget* w, int id) { w->setProperty("ctrlId", id); };
        add(new QLineEdit(this), 10);
        auto* readOnly = new QLineEdit(this);
        readOnly->setReadOnly(true);
        add(readOnly, 11);
        auto* combo = new QComboBox(this);
        combo->addItems({"COM1", "COM2"});
        add(combo, 12);
        add(new QRadioButton(QStringLiteral("A"), this), 13);
        add(new QRadioButton(QStringLiteral("B"), this), 14);
        auto* hidden = new QCheckBox(this);
        hidden->hide();
        add(hidden, 15);
        add(new QCheckBox(QStringLiteral("C:\\Cor"), this), 16);
    }
    bool OnInitDialog() override
    {
        OnEditChange(10, [this] { events << "edit " + QString::fromLatin1(GetDlgItemText(10)); });
        OnSelChange(12, [this] { events << QStringLiteral("sel %1").arg(GetCurSel(12)); });
        OnClicked(16, [this] {
            QString path;
            events << (BrowseForFolder(this, "t", "C:\\start", &path) ? path : "cancelled");
        });
        return true;
    }
};

class SampleHost : public ScriptHost
{
public:
    CSamplePage page;
    bool ok = false, cancelled = false;
    SampleHost() { page.Create(nullptr); }
    QStringList TabTexts() const override { return {"One && Two"}; }
    int CurrentTab() const override { return 0; }
    void SelectTab(int) override {}
    CDialog* CurrentPage() const override { return const_cast<CSamplePage*>(&page); }
    void PressOK() override { ok = true; }
    void PressCancel() override { cancelled = true; }
};

struct DriverRun {
    int status;
    QString out;
};

DriverRun RunOn(SampleHost& host, const QString& script)
{
    DriverRun r;
    transcript::SetActive(true);
    transcript::SetSink(&r.out);
    ScriptDriver driver(script);
    r.status = driver.Run(host);
    transcript::SetSink(nullptr);
    return r;
}

} // namespace

TEST(ScriptDriver, TypingRunsTheTextHandlerOnceWithUnescapedText)
{
    SampleHost host;
    const DriverRun r = RunOn(host, "# comment\n\ntype 10 \"a\\\"b\\\\c\"\ntype 10 \"a\\\"b\\\\c\"\nok\n");
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(host.page.events, (QStringList{"edit a\"b\\c", "edit a\"b\\c"}));
    EXPECT_TRUE(host.ok);
    EXPECT_FALSE(host.cancelled);
}

TEST(ScriptDriver, ActionsAPersonCouldNotDoStopTheRunWithoutOk)
{
    const char* scripts[][2] = {
        {"type 11 \"x\"\nok\n", "error: 1: control 11 is read-only"},
        {"click 15\nok\n", "error: 1: control 15 is hidden"},
        {"select 12 5\nok\n", "error: 1: control 12 has no entry 5"},
        {"select 12 \"com1\"\nok\n", "error: 1: control 12 has no entry \\\"com1\\\""},
        {"click 99\nok\n", "error: 1: no control 99"},
        {"frobnicate\nok\n", "error: 1: unknown command: frobnicate"},
        {"type 10 \"open\nok\n", "error: 1: text without its closing quote"},
    };
    for (const auto& s : scripts) {
        SampleHost host;
        const DriverRun r = RunOn(host, s[0]);
        EXPECT_EQ(r.status, 2) << s[0];
        EXPECT_EQ(r.out.trimmed(), QString::fromLatin1(s[1])) << s[0];
        EXPECT_FALSE(host.ok) << s[0];
    }
}

TEST(ScriptDriver, ScriptEndingWithoutOkPressesCancel)
{
    SampleHost host;
    const DriverRun r = RunOn(host, "select 12 \"COM2\"\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(host.page.events, QStringList{"sel 1"});
    EXPECT_TRUE(host.cancelled);
}

TEST(ScriptDriver, RadioClickClearsTheOthersOfItsGroup)
{
    SampleHost host;
    RunOn(host, "click 13\nclick 14\nclick 14\n");
    EXPECT_EQ(host.page.IsDlgButtonChecked(13), 0);
    EXPECT_EQ(host.page.IsDlgButtonChecked(14), 1) << "a second click keeps a radio checked";
}

TEST(ScriptDriver, PickersTakeQueuedAnswersAndCancelWhenNoneIsLeft)
{
    SampleHost host;
    const DriverRun r = RunOn(host, "folder \"D:\\\\Data\"\nclick 16\nclick 16\nfolder cancel\nclick 16\n");
    EXPECT_EQ(host.page.events, (QStringList{"D:\\Data", "cancelled", "cancelled"}));
    EXPECT_EQ(r.out.count("picker: folder start=\"C:\\\\start\""), 3);
}

TEST(ScriptDriver, DumpEscapesTextsAndListsItems)
{
    SampleHost host;
    const DriverRun r = RunOn(host, "dump 16\ndump 12\n");
    EXPECT_TRUE(r.out.contains("tabs current=0 [\"One && Two\"]"));
    EXPECT_TRUE(r.out.contains(
        "control 16 check visible=1 enabled=1 checked=0 sel=-1 text=\"C:\\\\Cor\" items=[]"));
    EXPECT_TRUE(r.out.contains(
        "control 12 combo visible=1 enabled=1 checked=0 sel=0 text=\"COM1\" items=[\"COM1\",\"COM2\"]"));
}
