#include "ui/PortLists.h"

#include "ui/Dialog.h"
#include "ui/MessageBox.h"

namespace {
constexpr int kPortCount = 9;
}

void FillComPorts(CDialog& page, int id)
{
    for (int port = 1; port <= kPortCount; ++port)
        page.AddString(id, "COM" + QByteArray::number(port));
}

void SelectComPort(CDialog& page, int id, int port)
{
    if (port < 1 || port > kPortCount)
        port = 1;
    page.SetCurSel(id, port - 1);
}

int ChosenComPort(CDialog& page, int id, const QString& invalidMessage)
{
    int index = page.GetCurSel(id);
    if (index < 0 || index >= kPortCount) {
        AfxMessageBox(invalidMessage, &page);
        index = 0;
    }
    return index + 1;
}
