// The language table: twenty fixed codes matched against the system's locales.
#include "strings/SystemLocales.h"
#include "strings/vqMLS.h"

#include <gtest/gtest.h>

// Every code after entry 0 is found in Qt's locale database; entry 0 matches no language.
TEST(LanguageTable, HoldsTheTwentyCodesInTheirFixedOrderWithTheirLocales)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    const quint32 locales[] = {0,    1027, 1030, 1031, 1033, 1034, 1035, 1036, 1039, 1040,
                               1043, 1044, 2070, 1049, 1053, 1057, 1058, 1059, 1069, 1078};
    for (int i = 0; i < MLSLanguageCount; ++i) {
        EXPECT_EQ(table[i].Code, QString::fromLatin1(MLSLanguageCodes[i])) << i;
        EXPECT_EQ(table[i].LocaleId, locales[i]) << MLSLanguageCodes[i];
        EXPECT_EQ(LanguageIndexOf(table, locales[i]), i) << MLSLanguageCodes[i];
        EXPECT_EQ(table[i].Name == QStringLiteral("(Unknown)"), i == 0) << MLSLanguageCodes[i];
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
}
