#pragma once

// Index keys of text values. Jet keeps a text index entry not as the text but
// as a key whose bytes sort in the database's collation: each character maps
// to one or more weight bytes, and accents, signs such as - and ' and other
// secondary differences follow the weights as extra bytes. The collation is
// the column's sort order: General of Access 97 (Jet 3), General of Access
// 2000-2007 (kept by later versions as "General - Legacy") and General of
// Access 2010 on.
//
// Covered: every character of Latin-1 and of Windows-1252, which is every
// character a path can hold in the workstation's code page.
#include <QString>

#include <cstdint>
#include <vector>

namespace jet {

enum class SortOrder {
    General97,     // Jet 3
    GeneralLegacy, // Jet 4, sort order version 0
    General,       // Jet 4, sort order version 1
    Unknown,
};

// The sort order a column's definition names (its language id and version).
SortOrder SortOrderOf(bool jet3, int language, int version);
QString SortOrderName(SortOrder order);

// Appends the key of a non-NULL text (without the entry's leading flag byte).
// Returns false, appending nothing, when a character has no place in the
// collation as this program knows it; unplaceable then names it.
bool AppendTextKey(const QString& text, SortOrder order, bool ascending, std::vector<uint8_t>& out,
                   QChar* unplaceable = nullptr);

// Whether every character of text can be placed.
bool CanPlace(const QString& text, SortOrder order, QChar* unplaceable = nullptr);

} // namespace jet
