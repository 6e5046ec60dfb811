#pragma once

// One detector page outside the main dialog, for what a full run cannot show:
// the main dialog's OK writes keys of its own in multi-detector operation, and
// some load paths need an arrangement the main dialog never makes.
#include "settings/Workstation.h"
#include "pages/detectors/Detector.h"
#include "ui/Transcript.h"
#include "settings/Ini.h"
#include "support/ScriptRun.h"

#include <QAbstractButton>
#include <QFile>

class DirectPageScope
{
public:
    // g_Ini bound to the workstation's Kestrel.ini, the arrangement set as the
    // main dialog sets it; messages are collected.
    DirectPageScope(const Workstation& ws, bool multi, int slotPosition)
        : m_path(QFile::encodeName(ws.Path(QStringLiteral("Kestrel.ini")))),
          m_slotPosition(slotPosition),
          m_wasActive(transcript::Active())
    {
        g_Ini.SetPath(m_path.constData());
        SetMultiDetector(multi);
        transcript::SetActive(true);
        transcript::SetSink(&m_transcript);
    }
    ~DirectPageScope()
    {
        transcript::SetSink(nullptr);
        transcript::SetActive(m_wasActive);
        SetMultiDetector(false);
        g_Ini.SetPath(nullptr);
    }
    DirectPageScope(const DirectPageScope&) = delete;
    DirectPageScope& operator=(const DirectPageScope&) = delete;

    // What the main dialog tells a page standing in this arrangement.
    PageContext Context(int slotIndex = 0, int deviceId = 0) const
    {
        return {deviceId, m_slotPosition, slotIndex};
    }

    int Messages() const { return int(m_transcript.count(QStringLiteral("message: "))); }
    const QString& Transcript() const { return m_transcript; }

private:
    QByteArray m_path;
    int m_slotPosition;
    bool m_wasActive;
    QString m_transcript;
};

// A user's click on a button of a page, handler included.
inline void Click(CDialog& page, int id)
{
    if (auto* button = qobject_cast<QAbstractButton*>(page.GetDlgItem(id)))
        button->click();
}
