#pragma once

// One INI file held as its lines, so that a write changes only the lines it
// concerns and every other byte is written back as it was read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace profile::detail {

enum class Eol : std::uint8_t { None, CrLf, Lf, Cr };

// How the file's text is stored. Windows reads and writes a file that starts
// with the UTF-16 (little-endian) byte-order mark as UTF-16 and hands the ANSI
// functions code-page text; one whose characters do not all fit the code page
// (or that is cut mid-character) is read as empty and never written.
enum class Encoding : std::uint8_t { Bytes, Utf16, Utf16Unwritable };

enum class LineKind : std::uint8_t { Other, Blank, Comment, Section, Key };

struct Line {
    std::string text; // without its line end
    Eol eol = Eol::None;
    LineKind kind = LineKind::Other;
    // Section: the name; Key: the key name. Blanks around it excluded.
    std::uint32_t nameBegin = 0, nameEnd = 0;
    // Key: the value with blanks around it excluded (quotes still on).
    std::uint32_t valueBegin = 0, valueEnd = 0;

    std::string_view Name() const
    {
        return std::string_view(text).substr(nameBegin, nameEnd - nameBegin);
    }
    std::string_view RawValue() const
    {
        return std::string_view(text).substr(valueBegin, valueEnd - valueBegin);
    }
};

// A section's header line and the lines up to the next header. The first
// section of a document has no header: it holds what stands before the first
// header.
struct Section {
    std::vector<Line> lines;
    // Folded key name -> index of the first line with that key.
    std::unordered_map<std::string, std::uint32_t> keys;

    bool HasHeader() const { return !lines.empty() && lines[0].kind == LineKind::Section; }
    std::string_view Name() const { return lines[0].Name(); }
    void IndexKeys();
};

// One change as WritePrivateProfileString asks for it: no key deletes the
// section, no value deletes the key.
struct Edit {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};

class Document
{
public:
    static Document Parse(std::string_view bytes);
    // A file that does not exist: any edit, even a deletion, creates it.
    static Document Absent();
    std::string Serialize() const;
    bool Writable() const { return m_encoding != Encoding::Utf16Unwritable; }

    // The value as Windows returns it: trimmed, matching quotes removed.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // Names each followed by a NUL, in file order. Kept until the next edit:
    // a caller that grows its buffer step by step asks for it many times.
    const std::string& SectionNames() const;
    std::string KeyNames(std::string_view section) const;

    // False when the edit would leave the document as it is (a deletion of
    // something missing from a file that exists).
    bool Changes(const Edit& edit) const;
    // Returns false when the edit leaves the document as it was.
    bool Apply(const Edit& edit);

private:
    std::vector<Section> m_sections;
    // Folded section name -> index of its first occurrence.
    std::unordered_map<std::string, std::uint32_t> m_index;
    Eol m_eol = Eol::CrLf; // line end of new lines: the file's own
    Encoding m_encoding = Encoding::Bytes;
    bool m_absent = false;
    mutable std::optional<std::string> m_sectionNames;

    static Document ParseText(std::string_view text);

    const Section* Find(std::string_view section) const;
    void IndexSections();
    void EndLastLine();
    bool SetValue(const std::string& section, const std::string& key, const std::string& value);
    bool DeleteKey(const std::string& section, const std::string& key);
    bool DeleteSection(const std::string& section);
};

std::string Fold(std::string_view name);

} // namespace profile::detail
