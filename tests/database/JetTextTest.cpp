#include "database/JetText.h"

#include <gtest/gtest.h>

using namespace jet;

namespace {

StoredText Decode(std::vector<uint8_t> bytes, TextFormat format = TextFormat::Jet4)
{
    StoredText out;
    DecodeText(bytes.data(), int(bytes.size()), format, out);
    return out;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, const QString& text,
                             TextFormat format = TextFormat::Jet4)
{
    std::vector<BytePatch> patches;
    const QString problem = PlanTextPatch(Decode(bytes, format), text, format, patches);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    for (const BytePatch& p : patches)
        bytes[size_t(p.offset)] = p.value;
    return bytes;
}

QString Refusal(const std::vector<uint8_t>& bytes, const QString& text,
                TextFormat format = TextFormat::Jet4)
{
    std::vector<BytePatch> patches;
    const QString problem = PlanTextPatch(Decode(bytes, format), text, format, patches);
    EXPECT_TRUE(patches.empty());
    return problem;
}

} // namespace

TEST(JetText, FirstCharacterSitsAfterMarkerAndModeSwitchesInCompressedText)
{
    // "C:" stored in plain UCS-2, the first character at bytes 0-1.
    EXPECT_EQ(Patched({'C', 0, ':', 0}, QStringLiteral("E:")),
              (std::vector<uint8_t>{'E', 0, ':', 0}));
    // Compressed: FF FE, then one byte per character.
    EXPECT_EQ(Patched({0xFF, 0xFE, 'C', ':', '\\', 'x'}, QStringLiteral("E:\\x")),
              (std::vector<uint8_t>{0xFF, 0xFE, 'E', ':', '\\', 'x'}));
    // A writer may switch to two-byte characters before the first one.
    const std::vector<uint8_t> switched{0xFF, 0xFE, 0x00, 'C',  0x00, 0x00,
                                        ':',  '\\', 0x00, 0x1C, 0x04};
    const StoredText stored = Decode(switched);
    EXPECT_EQ(stored.text, QStringLiteral("C:\\") + QChar(0x041C));
    EXPECT_EQ(
        Patched(switched, QStringLiteral("D:\\") + QChar(0x041C)),
        (std::vector<uint8_t>{0xFF, 0xFE, 0x00, 'D', 0x00, 0x00, ':', '\\', 0x00, 0x1C, 0x04}));
}

TEST(JetText, CompressedTextDecodesAsLibmdbDoes)
{
    EXPECT_EQ(Decode({0xFF, 0xFE}).text, QString());
    EXPECT_EQ(Decode({0xFF, 0xFE, 0xE4, 'k'}).text, QStringLiteral("äk"));
    // A stray last byte of a two-byte run reads as nothing.
    EXPECT_EQ(Decode({0xFF, 0xFE, 'a', 0x00, 0x1C}).text, QStringLiteral("a"));
    // Plain UCS-2 with an odd length: the last byte is dropped.
    EXPECT_EQ(Decode({'a', 0, 'b'}).text, QStringLiteral("a"));
}

TEST(JetText, Jet3TextIsOneBytePerCharacterInTheCodePage)
{
    const std::vector<uint8_t> bytes{'C', ':', 0x80, 0x81, 0xE9};
    EXPECT_EQ(Decode(bytes, TextFormat::Jet3Windows1252).text,
              QStringLiteral("C:") + QChar(0x20AC) + QChar(0x81) + QChar(0xE9));
    EXPECT_EQ(Decode(bytes, TextFormat::Jet3Bytes).text,
              QStringLiteral("C:") + QChar(0x80) + QChar(0x81) + QChar(0xE9));
    EXPECT_EQ(Patched(bytes, QStringLiteral("F:") + QChar(0x20AC) + QChar(0x81) + QChar(0xE9),
                      TextFormat::Jet3Windows1252),
              (std::vector<uint8_t>{'F', ':', 0x80, 0x81, 0xE9}));
    EXPECT_EQ(Patched(bytes, QStringLiteral("C:") + QChar(0x2026) + QChar(0x81) + QChar(0xE9),
                      TextFormat::Jet3Windows1252),
              (std::vector<uint8_t>{'C', ':', 0x85, 0x81, 0xE9}));
}

TEST(JetText, ChangesThatWouldAlterTheStoredBytesElsewhereAreRefused)
{
    // Another length.
    EXPECT_FALSE(Refusal({'C', 0, ':', 0}, QStringLiteral("C:\\")).isEmpty());
    EXPECT_FALSE(Refusal({0xFF, 0xFE, 'a', 'b', 'c'}, QStringLiteral("ab")).isEmpty());
    // A two-byte character in a one-byte place of a compressed text.
    EXPECT_FALSE(Refusal({0xFF, 0xFE, 'a', 'b', 'c'},
                         QStringLiteral("a") + QChar(0x041C) + QStringLiteral("c"))
                     .isEmpty());
    // A character ending in a zero byte among two-byte characters would read as a switch.
    EXPECT_FALSE(Refusal({0xFF, 0xFE, 0x00, 0x1C, 0x04}, QString(QChar(0x0100))).isEmpty());
    // U+FEFF first in plain UCS-2 would read as the compression marker.
    EXPECT_FALSE(Refusal({'a', 0, 'b', 0}, QString(QChar(0xFEFF)) + QStringLiteral("b")).isEmpty());
    // No byte for it in the code page.
    EXPECT_FALSE(Refusal({'a'}, QString(QChar(0x041C)), TextFormat::Jet3Windows1252).isEmpty());
    // U+0080 has no byte in Windows-1252 (0x80 holds the euro sign).
    EXPECT_FALSE(Refusal({'a'}, QString(QChar(0x80)), TextFormat::Jet3Windows1252).isEmpty());
}
