// gallery: every custom control with the program's artwork, in each of its states.
//
//   gallery             shows the scenes in a window (buttons and sliders are live)
//   gallery --png DIR   writes one screenshot a scene to DIR/<scene>.png and exits
#include "MaskedGrab.h"
#include "Scenes.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QString pngDir;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--png" && i + 1 < argc) {
            pngDir = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: gallery [--png DIR]\n");
            return 2;
        }
    }
    // Screenshots need no display.
    if (!pngDir.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The scroll area takes the page over once the window is shown.
    auto page = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(page.get());
    const std::vector<Scene> scenes = BuildScenes(page.get());
    for (const Scene &scene : scenes) {
        auto *title = new QLabel(scene.Title, page.get());
        QFont font = title->font();
        font.setBold(true);
        font.setPixelSize(16);
        title->setFont(font);
        layout->addWidget(title);
        scene.Widget->setFixedSize(scene.Widget->size());
        layout->addWidget(scene.Widget);
    }
    layout->addStretch();

    if (!pngDir.isEmpty()) {
        if (!QDir().mkpath(pngDir)) {
            std::fprintf(stderr, "gallery: cannot create %s\n", qPrintable(pngDir));
            return 1;
        }
        for (const Scene &scene : scenes) {
            const QString file = QDir(pngDir).filePath(scene.Name + QStringLiteral(".png"));
            if (!GrabWithMasks(scene.Widget).save(file)) {
                std::fprintf(stderr, "gallery: cannot write %s\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
        }
        return 0;
    }

    QScrollArea window;
    window.setWindowTitle(QStringLiteral("Chirpel artwork gallery"));
    window.setWidget(page.release());
    window.resize(720, 900);
    window.show();
    return app.exec();
}
