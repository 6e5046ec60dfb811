#include "database/JetText.h"

namespace jet {
namespace {

// Windows-1252 at 0x80-0x9F; the five unassigned bytes stand for themselves so
// that every byte reads as a character and back.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToChar(uint8_t byte, TextFormat format)
{
    if (format == TextFormat::Jet3Windows1252 && byte >= 0x80 && byte <= 0x9F)
        return kWindows1252High[byte - 0x80];
    return byte;
}

bool CharToByte(char16_t c, TextFormat format, uint8_t& byte)
{
    if (format == TextFormat::Jet3Windows1252) {
        for (int i = 0; i < 32; ++i) {
            if (kWindows1252High[i] == c) {
                byte = uint8_t(0x80 + i);
                return true;
            }
        }
        if (c >= 0x80 && c <= 0x9F)
            return false; // these bytes hold other characters
    }
    if (c > 0xFF)
        return false;
    byte = uint8_t(c);
    return true;
}

void DecodeJet4(const uint8_t* bytes, int size, StoredText& out)
{
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        out.compressed = true;
        bool oneByte = true;
        int pos = 2;
        while (pos < size) {
            if (bytes[pos] == 0) { // switches between one- and two-byte characters
                oneByte = !oneByte;
                ++pos;
            } else if (oneByte) {
                out.text.append(QChar(char16_t(bytes[pos])));
                out.positions.push_back({pos, 1});
                ++pos;
            } else if (size - pos >= 2) {
                out.text.append(QChar(char16_t(bytes[pos] | (bytes[pos + 1] << 8))));
                out.positions.push_back({pos, 2});
                pos += 2;
            } else {
                break; // a stray last byte reads as nothing
            }
        }
        return;
    }
    for (int pos = 0; pos + 1 < size; pos += 2) {
        out.text.append(QChar(char16_t(bytes[pos] | (bytes[pos + 1] << 8))));
        out.positions.push_back({pos, 2});
    }
}

QString SlotProblem(const StoredText& stored, int index, char16_t c, TextFormat format,
                    std::vector<BytePatch>& patches)
{
    const TextSlot slot = stored.positions[size_t(index)];
    if (format != TextFormat::Jet4) {
        uint8_t byte = 0;
        if (!CharToByte(c, format, byte))
            return QStringLiteral("the character %1 has no byte in the database's code page")
                .arg(QChar(c));
        patches.push_back({slot.offset, byte});
        return {};
    }
    if (slot.width == 1) {
        if (c == 0 || c > 0xFF)
            return QStringLiteral("the character %1 does not fit the one-byte slot of a "
                                  "compressed text")
                .arg(QChar(c));
        patches.push_back({slot.offset, uint8_t(c)});
        return {};
    }
    if (stored.compressed && (c & 0xFF) == 0)
        return QStringLiteral("the character %1 would read as a mode switch in a compressed "
                              "text")
            .arg(QChar(c));
    if (!stored.compressed && slot.offset == 0 && c == 0xFEFF)
        return QStringLiteral("a first character U+FEFF would read as the compression marker");
    patches.push_back({slot.offset, uint8_t(c & 0xFF)});
    patches.push_back({slot.offset + 1, uint8_t(c >> 8)});
    return {};
}

} // namespace

void DecodeText(const uint8_t* bytes, int size, TextFormat format, StoredText& out)
{
    out.text.clear();
    out.positions.clear();
    out.compressed = false;
    if (format == TextFormat::Jet4) {
        DecodeJet4(bytes, size, out);
        return;
    }
    out.text.reserve(size);
    for (int pos = 0; pos < size; ++pos) {
        out.text.append(QChar(ByteToChar(bytes[pos], format)));
        out.positions.push_back({pos, 1});
    }
}

QString EncodeText(const QString& text, TextFormat format, bool compressible,
                   std::vector<uint8_t>& out)
{
    out.clear();
    if (format != TextFormat::Jet4) {
        for (const QChar c : text) {
            uint8_t byte = 0;
            if (!CharToByte(c.unicode(), format, byte))
                return QStringLiteral("the character %1 has no byte in the database's code page")
                    .arg(c);
            out.push_back(byte);
        }
        return {};
    }
    bool compress = compressible && text.size() > 2 && text.size() <= 1024;
    for (int i = 0; compress && i < text.size(); ++i)
        compress = text.at(i).unicode() >= 1 && text.at(i).unicode() <= 0xFF;
    if (compress) {
        out = {0xFF, 0xFE};
        for (const QChar c : text)
            out.push_back(uint8_t(c.unicode()));
        return {};
    }
    if (!text.isEmpty() && text.at(0).unicode() == 0xFEFF)
        return QStringLiteral("a first character U+FEFF would read as the compression marker");
    for (const QChar c : text) {
        out.push_back(uint8_t(c.unicode() & 0xFF));
        out.push_back(uint8_t(c.unicode() >> 8));
    }
    return {};
}

QString PlanTextPatch(const StoredText& stored, const QString& text, TextFormat format,
                      std::vector<BytePatch>& patches)
{
    patches.clear();
    if (text.size() != stored.text.size())
        return QStringLiteral("the new text has %1 characters where %2 are stored, and a "
                              "stored value cannot change its length")
            .arg(text.size())
            .arg(stored.text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == stored.text.at(i).unicode())
            continue;
        const QString problem = SlotProblem(stored, i, c, format, patches);
        if (!problem.isEmpty()) {
            patches.clear();
            return problem;
        }
    }
    return {};
}

} // namespace jet
