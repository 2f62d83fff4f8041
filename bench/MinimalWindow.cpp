// The start-up baseline: a plain Qt window, shown at once (with --text, a label showing a line of
// text, so that the font machinery is loaded as in any window with words); with
// CHIRPEL_EXIT_AFTER_FIRST_PAINT=1 it ends as soon as it has been painted, as chirpel does for the
// same measurement.
#include "app/AfterFirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool text = argc > 1 && QByteArrayView(argv[1]) == "--text";
    QLabel window(text ? QStringLiteral("Press and hold the Ctrl key") : QString());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    window.setFont(font);
    window.setWindowTitle(QStringLiteral("MinimalWindow"));
    window.resize(614, 379);
    TExitAfterFirstPaint exitAfterFirstPaint;
    exitAfterFirstPaint.WatchIfAsked(window);
    window.show();
    return app.exec();
}
