// The system's installed locales as the language table sees them: Windows abbreviation, name, identifier.
#pragma once

#include <QList>
#include <QString>

struct TSystemLocale {
    QString Abbreviation; // Windows three-letter language abbreviation, e.g. "ENU"
    QString LanguageName; // e.g. "English (United States)"
    quint32 LocaleId = 0; // Windows locale identifier, e.g. 1033
};

// The Windows locales the program knows, in identifier order, kept where Qt's locale database has
// the language for that country.
QList<TSystemLocale> InstalledLocales();
