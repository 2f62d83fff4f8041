// The language table: twenty fixed codes matched against the system's locales.
#include "strings/SystemLocales.h"
#include "strings/vqMLS.h"

#include <gtest/gtest.h>

TEST(LanguageTable, HoldsTheTwentyCodesInTheirFixedOrder)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    const char *expected[] = {"xxx", "cat", "dan", "deu", "enu", "esp", "fin", "fra", "isl", "ita",
                              "nld", "nor", "ptg", "rus", "sve", "ind", "ukr", "bel", "euq", "afk"};
    for (int i = 0; i < MLSLanguageCount; ++i)
        EXPECT_EQ(table[i].Code, QString::fromLatin1(expected[i])) << i;
}

TEST(LanguageTable, FindsUnitedStatesEnglishAt1033AndIndex4)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    EXPECT_EQ(table[4].LocaleId, 1033u);
    EXPECT_EQ(table[4].Name, QStringLiteral("English (United States)"));
    EXPECT_EQ(LanguageIndexOf(table, 1033), 4);
}

TEST(LanguageTable, FindsEveryLanguageOfTheTableInQtsLocaleDatabase)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    const quint32 expected[] = {0,    1027, 1030, 1031, 1033, 1034, 1035, 1036, 1039, 1040,
                                1043, 1044, 2070, 1049, 1053, 1057, 1058, 1059, 1069, 1078};
    for (int i = 0; i < MLSLanguageCount; ++i) {
        EXPECT_EQ(table[i].LocaleId, expected[i]) << table[i].Code.toStdString();
        if (i > 0) {
            EXPECT_NE(table[i].Name, QStringLiteral("(Unknown)")) << i;
        }
    }
    EXPECT_EQ(table[7].Name, QStringLiteral("French (France)"));
    EXPECT_EQ(LanguageIndexOf(table, 2070), 12);
}

TEST(LanguageTable, EntryZeroMatchesNoLanguage)
{
    const TMLSLanguageTable table = BuildLanguageTable(InstalledLocales());
    EXPECT_EQ(table[0].Name, QStringLiteral("(Unknown)"));
    EXPECT_EQ(table[0].LocaleId, 0u);
    EXPECT_EQ(LanguageIndexOf(table, 0), 0);
}

TEST(LanguageTable, MatchesAbbreviationsIgnoringCaseAndTakesTheFirstMatch)
{
    const QList<TSystemLocale> locales = {
        {QStringLiteral("DEU"), QStringLiteral("German (Germany)"), 1031},
        {QStringLiteral("Enu"), QStringLiteral("English (first)"), 1033},
        {QStringLiteral("enu"), QStringLiteral("English (second)"), 9999},
    };
    const TMLSLanguageTable table = BuildLanguageTable(locales);
    EXPECT_EQ(table[3].LocaleId, 1031u);
    EXPECT_EQ(table[4].Name, QStringLiteral("English (first)"));
    EXPECT_EQ(table[4].LocaleId, 1033u);
    EXPECT_EQ(LanguageIndexOf(table, 9999), 0);
}

TEST(LanguageTable, LanguagesTheSystemLacksAreUnknownWithLocaleZero)
{
    const TMLSLanguageTable table =
        BuildLanguageTable({{QStringLiteral("FRA"), QStringLiteral("French"), 1036}});
    EXPECT_EQ(table[4].Name, QStringLiteral("(Unknown)"));
    EXPECT_EQ(table[4].LocaleId, 0u);
    EXPECT_EQ(table[7].LocaleId, 1036u);
    // Without English, a module made for 1033 falls back to the first entry.
    EXPECT_EQ(LanguageIndexOf(table, 1033), 0);
}
