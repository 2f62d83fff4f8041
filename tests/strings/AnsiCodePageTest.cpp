// Windows-1252 texts: every byte decodes to one character and encodes back to itself.
#include "strings/AnsiCodePage.h"

#include <gtest/gtest.h>

// Typographic bytes decode to their characters and the five unassigned ones to the control character of
// the same value; all 256 survive the round trip, and a character outside the code page becomes '?'.
TEST(AnsiCodePage, EachByteDecodesToItsCharacterAndEncodesBackAndOtherCharactersAreReported)
{
    const std::pair<unsigned char, char16_t> cases[] = {{0x85, 0x2026}, {0x92, 0x2019}, {0x99, 0x2122},
                                                        {0x9F, 0x0178}, {0x81, 0x0081}, {0x8D, 0x008D},
                                                        {0x9D, 0x009D}};
    for (const auto &[byte, character] : cases)
        EXPECT_EQ(DecodeAnsiText(QByteArray(1, char(byte))), QString(QChar(character))) << int(byte);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    bool ok = false;
    EXPECT_EQ(EncodeAnsiText(DecodeAnsiText(all), &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_EQ(EncodeAnsiText(QStringLiteral("a\u0416b"), &ok), QByteArray("a?b"));
    EXPECT_FALSE(ok);
}
