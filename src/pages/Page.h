#pragma once

// The base of the tab pages: a dialog whose plain controls are each bound to
// one INI key, declared once as a Binding and loaded and saved through it.
#include "settings/Ini.h"
#include "ui/Dialog.h"

// One control and the key it shows. Which values mean what depends on kind.
struct Binding {
    enum class Kind {
        Check,       // checked when the value is `on`; saved as `on` or `off`
        CheckNotOff, // checked when the value is anything but `off`; saved as above
        List,        // the value is the list index; none selected saves -1
        Number,      // shown as a decimal; saved as typed
        Text,        // shown and saved as it is
    };
    int id;
    const char* section;
    const char* key;
    Kind kind;
    int defaultValue;
    const char* defaultText;
    int on;
    int off;
};

constexpr Binding CheckBinding(int id, const char* section, const char* key, int defaultValue = 0,
                               int on = 1, int off = 0)
{
    return {id, section, key, Binding::Kind::Check, defaultValue, "", on, off};
}

// A box that counts as checked for any value but 0.
constexpr Binding CheckNotOffBinding(int id, const char* section, const char* key)
{
    return {id, section, key, Binding::Kind::CheckNotOff, 0, "", 1, 0};
}

constexpr Binding ListBinding(int id, const char* section, const char* key, int defaultValue = 0)
{
    return {id, section, key, Binding::Kind::List, defaultValue, "", 1, 0};
}

constexpr Binding NumberBinding(int id, const char* section, const char* key, int defaultValue)
{
    return {id, section, key, Binding::Kind::Number, defaultValue, "", 1, 0};
}

constexpr Binding TextBinding(int id, const char* section, const char* key,
                              const char* defaultText = "")
{
    return {id, section, key, Binding::Kind::Text, 0, defaultText, 1, 0};
}

class CPage : public CDialog
{
    Q_OBJECT

public:
    using CDialog::CDialog;

    // One read, or one write, of the bound key, where the page calls it.
    void Load(const Binding& binding, const CIni& ini = g_Ini);
    void Save(const Binding& binding, const CIni& ini = g_Ini) const;

    // Each in the order given.
    template <size_t N> void Load(const Binding (&bindings)[N], const CIni& ini = g_Ini)
    {
        for (const Binding& binding : bindings)
            Load(binding, ini);
    }
    template <size_t N> void Save(const Binding (&bindings)[N], const CIni& ini = g_Ini) const
    {
        for (const Binding& binding : bindings)
            Save(binding, ini);
    }
};
