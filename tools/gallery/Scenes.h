// The gallery's scenes: each control with its artwork, laid out as the program's windows use them.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

struct Scene {
    QString Name;  // file name of its screenshot
    QString Title; // caption in the gallery window
    QWidget *Widget;
};

// Builds every scene as a child of `parent`.
std::vector<Scene> BuildScenes(QWidget *parent);

// A scene's background: a checkerboard, so that whatever a shaped window cuts away shows as such.
class TCheckerPanel : public QWidget {
    Q_OBJECT
public:
    explicit TCheckerPanel(QWidget *parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};
