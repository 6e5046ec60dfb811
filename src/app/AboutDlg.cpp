#include "app/AboutDlg.h"
#include "ui_AboutDlg.h"

#include <QApplication>
#include <QStyle>

CAboutDlg::CAboutDlg() : CDialog(100), m_ui(std::make_unique<Ui::AboutDlg>()) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::SetupUi()
{
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
}
