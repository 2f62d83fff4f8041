// Windows locale identifiers and abbreviations matched against Qt's locale database.
#include "strings/SystemLocales.h"

#include <QLocale>

namespace {

struct WindowsLocale {
    quint32 id;
    const char *abbreviation;
    QLocale::Language language;
    QLocale::Territory territory;
};

// Identifier order, as Windows enumerates its locales. Windows gives every language-and-country
// pair its own abbreviation ("ENU" United States, "ENG" United Kingdom), so each code names one row.
constexpr WindowsLocale kWindowsLocales[] = {
    {0x0401, "ARA", QLocale::Arabic, QLocale::SaudiArabia},
    {0x0402, "BGR", QLocale::Bulgarian, QLocale::Bulgaria},
    {0x0403, "CAT", QLocale::Catalan, QLocale::Spain},
    {0x0404, "CHT", QLocale::Chinese, QLocale::Taiwan},
    {0x0405, "CSY", QLocale::Czech, QLocale::Czechia},
    {0x0406, "DAN", QLocale::Danish, QLocale::Denmark},
    {0x0407, "DEU", QLocale::German, QLocale::Germany},
    {0x0408, "ELL", QLocale::Greek, QLocale::Greece},
    {0x0409, "ENU", QLocale::English, QLocale::UnitedStates},
    {0x040A, "ESP", QLocale::Spanish, QLocale::Spain},
    {0x040B, "FIN", QLocale::Finnish, QLocale::Finland},
    {0x040C, "FRA", QLocale::French, QLocale::France},
    {0x040D, "HEB", QLocale::Hebrew, QLocale::Israel},
    {0x040E, "HUN", QLocale::Hungarian, QLocale::Hungary},
    {0x040F, "ISL", QLocale::Icelandic, QLocale::Iceland},
    {0x0410, "ITA", QLocale::Italian, QLocale::Italy},
    {0x0411, "JPN", QLocale::Japanese, QLocale::Japan},
    {0x0412, "KOR", QLocale::Korean, QLocale::SouthKorea},
    {0x0413, "NLD", QLocale::Dutch, QLocale::Netherlands},
    {0x0414, "NOR", QLocale::NorwegianBokmal, QLocale::Norway},
    {0x0415, "PLK", QLocale::Polish, QLocale::Poland},
    {0x0416, "PTB", QLocale::Portuguese, QLocale::Brazil},
    {0x0418, "ROM", QLocale::Romanian, QLocale::Romania},
    {0x0419, "RUS", QLocale::Russian, QLocale::Russia},
    {0x041A, "HRV", QLocale::Croatian, QLocale::Croatia},
    {0x041B, "SKY", QLocale::Slovak, QLocale::Slovakia},
    {0x041D, "SVE", QLocale::Swedish, QLocale::Sweden},
    {0x041E, "THA", QLocale::Thai, QLocale::Thailand},
    {0x041F, "TRK", QLocale::Turkish, QLocale::Turkey},
    {0x0421, "IND", QLocale::Indonesian, QLocale::Indonesia},
    {0x0422, "UKR", QLocale::Ukrainian, QLocale::Ukraine},
    {0x0423, "BEL", QLocale::Belarusian, QLocale::Belarus},
    {0x0424, "SLV", QLocale::Slovenian, QLocale::Slovenia},
    {0x0425, "ETI", QLocale::Estonian, QLocale::Estonia},
    {0x0426, "LVI", QLocale::Latvian, QLocale::Latvia},
    {0x0427, "LTH", QLocale::Lithuanian, QLocale::Lithuania},
    {0x042D, "EUQ", QLocale::Basque, QLocale::Spain},
    {0x0436, "AFK", QLocale::Afrikaans, QLocale::SouthAfrica},
    {0x0804, "CHS", QLocale::Chinese, QLocale::China},
    {0x0807, "DES", QLocale::German, QLocale::Switzerland},
    {0x0809, "ENG", QLocale::English, QLocale::UnitedKingdom},
    {0x080A, "ESM", QLocale::Spanish, QLocale::Mexico},
    {0x080C, "FRB", QLocale::French, QLocale::Belgium},
    {0x0813, "NLB", QLocale::Dutch, QLocale::Belgium},
    {0x0814, "NON", QLocale::NorwegianNynorsk, QLocale::Norway},
    {0x0816, "PTG", QLocale::Portuguese, QLocale::Portugal},
    {0x0C07, "DEA", QLocale::German, QLocale::Austria},
    {0x0C09, "ENA", QLocale::English, QLocale::Australia},
    {0x0C0A, "ESN", QLocale::Spanish, QLocale::Spain},
    {0x0C0C, "FRC", QLocale::French, QLocale::Canada},
    {0x1009, "ENC", QLocale::English, QLocale::Canada},
};

} // namespace

QList<TSystemLocale> InstalledLocales()
{
    QList<TSystemLocale> locales;
    for (const WindowsLocale &w : kWindowsLocales) {
        if (QLocale::matchingLocales(w.language, QLocale::AnyScript, w.territory).isEmpty()) continue;
        const QString name = QLocale::languageToString(w.language) + QStringLiteral(" (") +
                             QLocale::territoryToString(w.territory) + QLatin1Char(')');
        locales.append({QString::fromLatin1(w.abbreviation), name, w.id});
    }
    return locales;
}
