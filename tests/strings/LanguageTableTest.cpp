// The language table: twenty fixed codes matched against the system's locales.
#include "strings/SystemLocales.h"
#include "strings/vqMLS.h"

#include <gtest/gtest.h>

// Every code after entry 0 is found in Qt's locale database; entry 0 matches no language.
TEST(LanguageTable, HoldsTheTwentyCodesInTheirFixedOrderWithTheirLocales)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    const struct {
        const char *code;
        quint32 locale;
    } expected[] = {{"xxx", 0},    {"cat", 1027}, {"dan", 1030}, {"deu", 1031}, {"enu", 1033},
                    {"esp", 1034}, {"fin", 1035}, {"fra", 1036}, {"isl", 1039}, {"ita", 1040},
                    {"nld", 1043}, {"nor", 1044}, {"ptg", 2070}, {"rus", 1049}, {"sve", 1053},
                    {"ind", 1057}, {"ukr", 1058}, {"bel", 1059}, {"euq", 1069}, {"afk", 1078}};
    for (int i = 0; i < MLSLanguageCount; ++i) {
        EXPECT_EQ(table[i].Code, QString::fromLatin1(expected[i].code)) << i;
        EXPECT_EQ(table[i].LocaleId, expected[i].locale) << expected[i].code;
        EXPECT_EQ(LanguageIndexOf(table, expected[i].locale), i) << expected[i].code;
        EXPECT_EQ(table[i].Name == QStringLiteral("(Unknown)"), i == 0) << expected[i].code;
    }
    EXPECT_EQ(table[4].Name, "English (United States)");
    EXPECT_EQ(table[7].Name, "French (France)");
}

// Abbreviations match ignoring case, the first match wins; languages the system lacks are unknown with
// locale 0, and a module made for a missing locale falls back to the first entry.
TEST(LanguageTable, MatchesAbbreviationsIgnoringCaseAndTakesTheFirstMatch)
{
    const TMLSLanguageTable table = BuildLanguageTable({
        {QStringLiteral("DEU"), QStringLiteral("German (Germany)"), 1031},
        {QStringLiteral("Enu"), QStringLiteral("English (first)"), 1033},
        {QStringLiteral("enu"), QStringLiteral("English (second)"), 9999},
    });
    EXPECT_EQ(table[3].LocaleId, 1031u);
    EXPECT_EQ(table[4].Name, "English (first)");
    EXPECT_EQ(table[4].LocaleId, 1033u);
    EXPECT_EQ(LanguageIndexOf(table, 9999), 0);
    EXPECT_EQ(table[7].Name, "(Unknown)");
    EXPECT_EQ(table[7].LocaleId, 0u);
    EXPECT_EQ(LanguageIndexOf(table, 1036), 0);
}
