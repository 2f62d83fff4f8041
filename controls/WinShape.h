// TWinShape: gives the widget it sits on an irregular outline from stored shape data, draws the
// shape's picture, places itself from the outline's bounds and lets the window be dragged by it.
//
// In a Designer form: <customwidget><class>TWinShape</class><extends>QWidget</extends>
// <header>controls/WinShape.h</header></customwidget>, properties Active, AutoPos, AutoDrag,
// Color and StoredData (a resource path ":/chirpel/shapes/<name>.bin", best written last and with
// notr="true"; the outcome does not depend on the order). Mouse signals: see TControl.
#pragma once

#include "controls/Control.h"
#include "controls/WinShapeUtils.h"

#include <QColor>
#include <QRegion>

class TWinShape : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(bool AutoPos READ AutoPos WRITE setAutoPos)
    Q_PROPERTY(bool AutoDrag READ AutoDrag WRITE setAutoDrag)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QString StoredData READ StoredData WRITE setStoredData)
public:
    explicit TWinShape(QWidget *parent = nullptr);

    bool Active() const { return FActive; }
    // Every assignment installs the outline on the parent (true) or removes it (false).
    void setActive(bool value);
    bool AutoPos() const { return FAutoPos; }
    void setAutoPos(bool value);
    bool AutoDrag() const { return FAutoDrag; }
    void setAutoDrag(bool value) { FAutoDrag = value; }
    QColor Color() const { return FColor; }
    void setColor(const QColor &value);

    // The resource path the shape data was read from. Setting it reads the data (throwing
    // EShapeDataError when the resource is missing or unreadable) and runs DataChanged.
    QString StoredData() const { return FStoredData; }
    void setStoredData(const QString &path);
    // Reads stored shape data from bytes, then DataChanged.
    void LoadStoredData(QByteArrayView bytes);

    TWinShapeData &Data() { return FData; }
    const TWinShapeData &Data() const { return FData; }

    // AutoPos: picture point (Bounds.Left, Bounds.Top) lands on the parent's origin and the
    // parent grows (never shrinks) to hold the outline.
    void UpdatePlacement();
    // Installs the outline as the parent's mask.
    void UpdateRegion();
    // Distance from the parent window's outer corner to its client origin.
    QPoint ParentClientOffset() const;
    void DataChanged();

    // The outline of `regions` in parent coordinates (each vertex moved by `shift`).
    static QRegion OutlineRegion(const std::vector<TWinShapeRegion> &regions, QPoint shift);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void StartPress(const QMouseEvent *event);

    bool FActive = false;
    bool FAutoDrag = true;
    bool FAutoPos = true;
    TWinShapeData FData;
    QColor FColor{0x80, 0x80, 0x80};
    QString FStoredData;
    QPoint FPressPoint;
    bool FDragging = false;
    bool FPressed = false;
    bool FClickPending = false;
};
