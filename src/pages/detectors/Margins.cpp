#include "pages/detectors/Margins.h"

#include "ui/Dialog.h"

#include <climits>
#include <cstdlib>

namespace {

int NonNegative(long value)
{
    return value < 0 ? 0 : value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

void ShowMargin(CDialog& page, int id, int value)
{
    page.SetDlgItemInt(id, NonNegative(value));
}

int ReadMargin(const CDialog& page, int id)
{
    const QByteArray text = page.GetDlgItemText(id);
    // strtol saturates where atoi's result would be undefined.
    return NonNegative(std::strtol(text.constData(), nullptr, 10));
}
