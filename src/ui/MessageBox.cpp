#include "ui/MessageBox.h"

#include "ui/Transcript.h"

#include <QApplication>
#include <QMessageBox>

int AfxMessageBox(const QString& text, QWidget* parent)
{
    if (transcript::Active() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        transcript::Line(QLatin1String("message: ") + transcript::Escape(text));
        return IDOK;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("SetUp"), text, QMessageBox::Ok, parent);
    box.exec();
    return IDOK;
}
