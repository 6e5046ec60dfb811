#include "ini/ProfileDocument.h"

#include <cstring>

namespace profile::detail {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view EolText(Eol eol)
{
    switch (eol) {
    case Eol::CrLf:
        return "\r\n";
    case Eol::Lf:
        return "\n";
    case Eol::Cr:
        return "\r";
    case Eol::None:
        break;
    }
    return {};
}

Line MakeLine(std::string text, Eol eol)
{
    Line line;
    line.text = std::move(text);
    line.eol = eol;
    const std::string& t = line.text;
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n && IsBlank(t[i]))
        ++i;
    if (i == n) {
        line.kind = LineKind::Blank;
        return line;
    }
    if (t[i] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    auto trimmedEnd = [&](std::size_t begin, std::size_t end) {
        while (end > begin && IsBlank(t[end - 1]))
            --end;
        return end;
    };
    if (t[i] == '[') {
        std::size_t begin = i + 1;
        while (begin < n && IsBlank(t[begin]))
            ++begin;
        std::size_t close = t.find(']', begin);
        line.kind = LineKind::Section;
        line.nameBegin = static_cast<std::uint32_t>(begin);
        line.nameEnd =
            static_cast<std::uint32_t>(trimmedEnd(begin, close == std::string::npos ? n : close));
        return line;
    }
    const std::size_t eq = t.find('=', i);
    if (eq == std::string::npos)
        return line; // no '=': neither a key nor anything Windows reads
    line.kind = LineKind::Key;
    line.nameBegin = static_cast<std::uint32_t>(i);
    line.nameEnd = static_cast<std::uint32_t>(trimmedEnd(i, eq));
    std::size_t begin = eq + 1;
    while (begin < n && IsBlank(t[begin]))
        ++begin;
    const std::size_t end = trimmedEnd(begin, n);
    // An empty value keeps its place right after '=' so that a new value is
    // written there.
    line.valueBegin = static_cast<std::uint32_t>(begin < end ? begin : eq + 1);
    line.valueEnd = static_cast<std::uint32_t>(begin < end ? end : eq + 1);
    return line;
}

} // namespace

std::string Fold(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

void Section::IndexKeys()
{
    keys.clear();
    for (std::uint32_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Key)
            keys.emplace(Fold(lines[i].Name()), i);
    }
}

Document Document::Parse(std::string_view bytes)
{
    if (bytes.substr(0, 2) != "\xFF\xFE")
        return ParseText(bytes);
    // UTF-16: one code-page byte per character, when every one fits.
    std::string text;
    text.reserve(bytes.size() / 2);
    bool fits = bytes.size() % 2 == 0;
    for (std::size_t i = 2; fits && i + 1 < bytes.size(); i += 2) {
        fits = bytes[i + 1] == '\0';
        text += bytes[i];
    }
    Document doc = fits ? ParseText(text) : Document{};
    if (!fits)
        doc.m_sections.emplace_back();
    doc.m_encoding = fits ? Encoding::Utf16 : Encoding::Utf16Unwritable;
    return doc;
}

Document Document::ParseText(std::string_view bytes)
{
    Document doc;
    doc.m_sections.emplace_back();
    // A UTF-8 byte-order mark is no mark to Windows: it is text of the first
    // line, so a header there is no header.
    bool eolSeen = false;
    std::size_t pos = 0;
    const std::size_t size = bytes.size();
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Eol eol = Eol::None;
        std::size_t next = end;
        if (end < size && bytes[end] == '\n') {
            eol = Eol::Lf;
            next = end + 1;
        } else if (end < size) {
            const bool crlf = end + 1 < size && bytes[end + 1] == '\n';
            eol = crlf ? Eol::CrLf : Eol::Cr;
            next = end + (crlf ? 2 : 1);
        }
        if (!eolSeen && eol != Eol::None) {
            doc.m_eol = eol;
            eolSeen = true;
        }
        Line line = MakeLine(std::string(bytes.substr(pos, end - pos)), eol);
        if (line.kind == LineKind::Section)
            doc.m_sections.emplace_back();
        doc.m_sections.back().lines.push_back(std::move(line));
        pos = next;
    }
    for (Section& section : doc.m_sections)
        section.IndexKeys();
    doc.IndexSections();
    return doc;
}

std::string Document::Serialize() const
{
    std::size_t size = 0;
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines)
            size += line.text.size() + 2;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            bytes += line.text;
            bytes += EolText(line.eol);
        }
    }
    if (m_encoding == Encoding::Bytes)
        return bytes;
    std::string wide = "\xFF\xFE";
    wide.reserve(2 + 2 * bytes.size());
    for (const char c : bytes) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

void Document::IndexSections()
{
    m_index.clear();
    for (std::uint32_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].HasHeader())
            m_index.emplace(Fold(m_sections[i].Name()), i);
    }
}

const Section* Document::Find(std::string_view section) const
{
    const auto it = m_index.find(Fold(section));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

bool Document::HasSection(std::string_view section) const
{
    return Find(section) != nullptr;
}

std::optional<std::string_view> Document::Value(std::string_view section,
                                                std::string_view key) const
{
    const Section* s = Find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->keys.find(Fold(key));
    if (it == s->keys.end())
        return std::nullopt;
    std::string_view value = s->lines[it->second].RawValue();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

const std::string& Document::SectionNames() const
{
    if (m_sectionNames)
        return *m_sectionNames;
    std::string& names = m_sectionNames.emplace();
    for (const Section& section : m_sections) {
        if (section.HasHeader()) {
            names += section.Name();
            names += '\0';
        }
    }
    return names;
}

std::string Document::KeyNames(std::string_view section) const
{
    std::string names;
    if (const Section* s = Find(section)) {
        for (const Line& line : s->lines) {
            if (line.kind == LineKind::Key) {
                names += line.Name();
                names += '\0';
            }
        }
    }
    return names;
}

Document Document::Absent()
{
    Document doc;
    doc.m_absent = true;
    return doc;
}

bool Document::Changes(const Edit& edit) const
{
    if (m_absent)
        return true; // even a deletion creates the file
    if (!edit.key)
        return HasSection(edit.section);
    if (!edit.value) {
        const Section* s = Find(edit.section);
        return s && s->keys.count(Fold(*edit.key)) != 0;
    }
    return true;
}

bool Document::Apply(const Edit& edit)
{
    m_sectionNames.reset();
    const bool created = m_absent;
    m_absent = false;
    if (!edit.key)
        return DeleteSection(edit.section) || created;
    if (!edit.value)
        return DeleteKey(edit.section, *edit.key) || created;
    return SetValue(edit.section, *edit.key, *edit.value);
}

// A file whose last line has no line end gets one before anything is added.
void Document::EndLastLine()
{
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (!it->lines.empty()) {
            if (it->lines.back().eol == Eol::None)
                it->lines.back().eol = m_eol;
            return;
        }
    }
}

bool Document::SetValue(const std::string& section, const std::string& key,
                        const std::string& value)
{
    const auto found = m_index.find(Fold(section));
    if (found == m_index.end()) {
        EndLastLine();
        Section added;
        added.lines.push_back(MakeLine("[" + section + "]", m_eol));
        added.lines.push_back(MakeLine(key + "=" + value, m_eol));
        added.IndexKeys();
        // Indexed under the name a read of the file finds, which lacks any
        // tab the caller gave around it; an earlier section of that name wins.
        m_index.emplace(Fold(added.Name()), static_cast<std::uint32_t>(m_sections.size()));
        m_sections.push_back(std::move(added));
        return true;
    }
    Section& s = m_sections[found->second];
    const auto k = s.keys.find(Fold(key));
    if (k != s.keys.end()) {
        Line& line = s.lines[k->second];
        std::string text = line.text.substr(0, line.valueBegin);
        text += value;
        text.append(line.text, line.valueEnd, std::string::npos);
        line = MakeLine(std::move(text), line.eol);
        return true;
    }
    // After the section's last line of content: blank lines and comments
    // that close it stay in front of whatever follows.
    std::size_t at = s.lines.size();
    while (at > 1 &&
           (s.lines[at - 1].kind == LineKind::Blank || s.lines[at - 1].kind == LineKind::Comment))
        --at;
    if (s.lines[at - 1].eol == Eol::None)
        s.lines[at - 1].eol = m_eol;
    Line added = MakeLine(key + "=" + value, m_eol);
    const std::string name = Fold(added.Name());
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(added));
    // Every key stands before the insertion point, so no index moves.
    s.keys.emplace(name, static_cast<std::uint32_t>(at));
    return true;
}

bool Document::DeleteKey(const std::string& section, const std::string& key)
{
    const auto found = m_index.find(Fold(section));
    if (found == m_index.end())
        return false;
    Section& s = m_sections[found->second];
    const std::string folded = Fold(key);
    const std::size_t before = s.lines.size();
    std::vector<Line> kept;
    kept.reserve(before);
    for (Line& line : s.lines) {
        if (line.kind != LineKind::Key || Fold(line.Name()) != folded)
            kept.push_back(std::move(line));
    }
    s.lines = std::move(kept);
    s.IndexKeys();
    return s.lines.size() != before;
}

// Windows keeps the comments of a deleted section: they join the lines
// before it.
bool Document::DeleteSection(const std::string& section)
{
    const std::string folded = Fold(section);
    const std::size_t before = m_sections.size();
    std::vector<Section> kept;
    kept.reserve(before);
    for (Section& s : m_sections) {
        if (!s.HasHeader() || Fold(s.Name()) != folded) {
            kept.push_back(std::move(s));
            continue;
        }
        // The first section has no header, so `kept` is never empty here.
        for (Line& line : s.lines) {
            if (line.kind == LineKind::Comment)
                kept.back().lines.push_back(std::move(line));
        }
    }
    m_sections = std::move(kept);
    IndexSections();
    return m_sections.size() != before;
}

} // namespace profile::detail
