#include "support/ControlDump.h"

#include <QRegularExpression>

QString DumpedControl::State() const
{
    if (!found)
        return QStringLiteral("<no dump line>");
    return QStringLiteral("%1%2%3").arg(visible ? 1 : 0).arg(enabled ? 1 : 0).arg(checked);
}

QString DumpedControl::Flags() const
{
    if (!found)
        return QStringLiteral("<no dump line>");
    return QStringLiteral("visible=%1 enabled=%2 checked=%3")
        .arg(visible ? 1 : 0)
        .arg(enabled ? 1 : 0)
        .arg(checked);
}

QString DumpedControl::Fields() const
{
    if (!found)
        return QStringLiteral("<no dump line>");
    return QStringLiteral("%1 sel=%2 text=\"%3\"").arg(Flags()).arg(sel).arg(text);
}

DumpedControl ParseDumpLine(const QString& line)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"re(^control (-?\d+) (\w+) visible=(\d) enabled=(\d) checked=(\d) sel=(-?\d+) )re"
        R"re(text="((?:[^"\\]|\\.)*)" items=(\[.*\])$)re"));
    DumpedControl c;
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return c;
    c.found = true;
    c.id = m.captured(1).toInt();
    c.kind = m.captured(2);
    c.visible = m.captured(3) == QLatin1String("1");
    c.enabled = m.captured(4) == QLatin1String("1");
    c.checked = m.captured(5).toInt();
    c.sel = m.captured(6).toInt();
    c.text = m.captured(7);
    c.items = m.captured(8);
    return c;
}

DumpedControl Dumped(const ScriptResult& r, int id)
{
    return ParseDumpLine(r.Control(id));
}

QString Field(const QString& line, const char* name)
{
    const DumpedControl c = ParseDumpLine(line);
    const QLatin1String field(name);
    if (c.found) {
        if (field == QLatin1String("id"))
            return QString::number(c.id);
        if (field == QLatin1String("kind"))
            return c.kind;
        if (field == QLatin1String("visible"))
            return QString::number(c.visible ? 1 : 0);
        if (field == QLatin1String("enabled"))
            return QString::number(c.enabled ? 1 : 0);
        if (field == QLatin1String("checked"))
            return QString::number(c.checked);
        if (field == QLatin1String("sel"))
            return QString::number(c.sel);
        if (field == QLatin1String("text"))
            return c.text;
        if (field == QLatin1String("items"))
            return c.items;
    }
    return QStringLiteral("<no %1 in \"%2\">").arg(field, line);
}

QString State(const QString& line)
{
    return ParseDumpLine(line).State();
}
