#include "app/ControlDump.h"

#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/Transcript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStringList>
#include <QTextEdit>

QString ControlKind(const QWidget* w)
{
    if (qobject_cast<const CUpDownCtrl*>(w))
        return QStringLiteral("updown");
    if (qobject_cast<const CIPAddressCtrl*>(w))
        return QStringLiteral("ip");
    if (qobject_cast<const QRadioButton*>(w))
        return QStringLiteral("radio");
    if (qobject_cast<const QCheckBox*>(w))
        return QStringLiteral("check");
    if (qobject_cast<const QAbstractButton*>(w))
        return QStringLiteral("button");
    if (qobject_cast<const QComboBox*>(w))
        return QStringLiteral("combo");
    if (qobject_cast<const QListWidget*>(w))
        return QStringLiteral("list");
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
        qobject_cast<const QTextEdit*>(w))
        return QStringLiteral("edit");
    if (qobject_cast<const QGroupBox*>(w))
        return QStringLiteral("group");
    if (qobject_cast<const QProgressBar*>(w))
        return QStringLiteral("progress");
    return QStringLiteral("label");
}

QString DumpControl(const CDialog& dialog, int id)
{
    QWidget* w = dialog.GetDlgItem(id);
    const QString kind = ControlKind(w);
    QStringList items;
    if (kind == QLatin1String("combo") || kind == QLatin1String("list")) {
        for (int i = 0; i < dialog.GetCount(id); ++i)
            items << QLatin1Char('"') + transcript::Escape(dialog.GetLBText(id, i)) +
                         QLatin1Char('"');
    }
    const bool list = kind == QLatin1String("combo") || kind == QLatin1String("list");
    QByteArray text = dialog.GetDlgItemText(id);
    if (kind == QLatin1String("updown") || kind == QLatin1String("progress"))
        text.clear();
    // Joined, not chained through arg(): a text holding "%1" must stay as it is.
    auto flag = [](bool on) { return on ? QLatin1String("1") : QLatin1String("0"); };
    return QStringLiteral("control ") + QString::number(id) + QLatin1Char(' ') + kind +
           QLatin1String(" visible=") + flag(dialog.IsDlgItemVisible(id)) +
           QLatin1String(" enabled=") + flag(dialog.IsDlgItemEnabled(id)) +
           QLatin1String(" checked=") + QString::number(dialog.IsDlgButtonChecked(id)) +
           QLatin1String(" sel=") + QString::number(list ? dialog.GetCurSel(id) : -1) +
           QLatin1String(" text=\"") + transcript::Escape(text) + QLatin1String("\" items=[") +
           items.join(QLatin1Char(',')) + QLatin1Char(']');
}
