// The start-up baseline: a plain Qt window, shown at once (with --text, a label showing a line of
// text, so that the font machinery is loaded as in any window with words); with
// CHIRPEL_EXIT_AFTER_FIRST_PAINT=1 it ends as soon as it has been painted, as chirpel does for the
// same measurement.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class TExitAfterFirstPaint final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !FDone) {
            FDone = true;
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool FDone = false;
};

} // namespace

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
    if (qEnvironmentVariableIntValue("CHIRPEL_EXIT_AFTER_FIRST_PAINT") == 1)
        window.installEventFilter(&exitAfterFirstPaint);
    window.show();
    return app.exec();
}
