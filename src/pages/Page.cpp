#include "pages/Page.h"

void CPage::Load(const Binding& b, const CIni& ini)
{
    switch (b.kind) {
    case Binding::Kind::Check:
        CheckDlgButton(b.id, ini.GetInt(b.section, b.key, b.defaultValue) == b.on ? 1 : 0);
        break;
    case Binding::Kind::CheckNotOff:
        CheckDlgButton(b.id, ini.GetInt(b.section, b.key, b.defaultValue) != b.off ? 1 : 0);
        break;
    case Binding::Kind::List:
        SetCurSel(b.id, ini.GetInt(b.section, b.key, b.defaultValue));
        break;
    case Binding::Kind::Number:
        SetDlgItemInt(b.id, ini.GetInt(b.section, b.key, b.defaultValue));
        break;
    case Binding::Kind::Text:
        SetDlgItemText(b.id, ini.GetString(b.section, b.key, b.defaultText));
        break;
    }
}

void CPage::Save(const Binding& b, const CIni& ini) const
{
    switch (b.kind) {
    case Binding::Kind::Check:
    case Binding::Kind::CheckNotOff:
        ini.WriteInt(b.section, b.key, IsDlgButtonChecked(b.id) ? b.on : b.off);
        break;
    case Binding::Kind::List:
        ini.WriteInt(b.section, b.key, GetCurSel(b.id));
        break;
    case Binding::Kind::Number:
    case Binding::Kind::Text:
        ini.WriteString(b.section, b.key, GetDlgItemText(b.id));
        break;
    }
}
