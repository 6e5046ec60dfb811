#pragma once

// Stored text values. Jet 4 keeps UCS-2, often "compressed": an FF FE marker,
// then one byte per character, a 00 byte switching between one- and two-byte
// characters. Jet 3 keeps one byte per character in the database's code page.
// A value is patched character by character in the byte positions it already
// has where it can be; otherwise it is encoded anew.
#include <QString>

#include <cstdint>
#include <vector>

namespace jet {

enum class TextFormat {
    Jet4,
    Jet3Windows1252, // Western code page: the bytes 0x80-0x9F are typographic characters
    Jet3Bytes,       // any other code page: one character per byte, shown as Latin-1
};

struct TextSlot {
    int offset; // of the character's first byte in the stored value
    int width;  // 1 or 2 bytes
};

struct StoredText {
    QString text;
    std::vector<TextSlot> positions; // one per character of text
    bool compressed = false;         // Jet 4 value behind the FF FE marker
};

struct BytePatch {
    int offset; // in the stored value
    uint8_t value;
};

void DecodeText(const uint8_t* bytes, int size, TextFormat format, StoredText& out);

// Encodes text as the engine stores it: Jet 4 compressed (FF FE, one byte a
// character) when the column allows it and every character is 1-255 and
// there are 3 to 1024 of them, otherwise UTF-16; Jet 3 in the code page.
// Returns an empty string when it can, otherwise why not.
QString EncodeText(const QString& text, TextFormat format, bool compressible,
                   std::vector<uint8_t>& out);

// Plans the byte changes that make the stored value read as text. Returns an
// empty string when it can be done in place, otherwise why not.
QString PlanTextPatch(const StoredText& stored, const QString& text, TextFormat format,
                      std::vector<BytePatch>& patches);

} // namespace jet
