// The generator page fits the main dialog's page area: with every control the
// rules can show made visible, nothing overlaps, nothing is cut off.
#include "platform/Dialog.h"
#include "platform/PageFactory.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace {

QRect InPage(const QWidget* w, const QWidget* page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

QString Name(const QWidget* w)
{
    const int id = CDialog::CtrlId(w);
    return id >= 0 ? QString::number(id) : w->objectName();
}

} // namespace

TEST(GeneratorLayout, EveryControlFitsWithoutOverlapAt660x600)
{
    Workstation ws;
    ws.WriteIni("[CONTROLPANNEL]\nTypeGen=5\n[SETUP]\nSYFMUSE=19\n");
    const QByteArray path = QFile::encodeName(ws.Path("Kestrel.ini"));
    g_Ini.SetPath(path.constData());
    std::unique_ptr<CDialog> page(CreatePageByName("CGenerator", nullptr));
    g_Ini.SetPath(nullptr);
    ASSERT_TRUE(page);
    for (int id : page->ControlIds())
        page->ShowDlgItem(id, true);
    page->resize(660, 600);
    page->show();
    QApplication::processEvents();

    // Leaf controls sit in the group boxes; the group boxes in the page.
    std::vector<QWidget*> leaves, groups;
    for (QGroupBox* group : page->findChildren<QGroupBox*>()) {
        groups.push_back(group);
        for (QWidget* w : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            leaves.push_back(w);
    }
    ASSERT_EQ(groups.size(), 5u);
    for (const auto* set : {&leaves, &groups}) {
        for (size_t i = 0; i < set->size(); ++i) {
            const QWidget* w = (*set)[i];
            const QRect r = InPage(w, page.get());
            EXPECT_TRUE(page->rect().contains(r)) << Name(w).toStdString();
            // Texts shown whole: no control narrower or lower than it asks.
            if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << Name(w).toStdString();
            }
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << Name(w).toStdString();
            for (size_t j = i + 1; j < set->size(); ++j)
                EXPECT_FALSE(r.intersects(InPage((*set)[j], page.get())))
                    << Name(w).toStdString() << " overlaps " << Name((*set)[j]).toStdString();
        }
    }
}
