// The forms keep the font names they were designed with; this maps them to installed look-alikes.
#include "app/Fonts.h"

#include "platform/desktop/FontConfiguration.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void InstallFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                               {QStringLiteral("Comic Neue"), QStringLiteral("DejaVu Sans")});
    // The progress line is a row of equal cells: a fixed-pitch face lays them out evenly.
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
}

void LoadFonts()
{
    static const bool loaded = [] {
        platform::LoadFontConfiguration();
        QFontDatabase::families();
        return true;
    }();
    Q_UNUSED(loaded);
}
