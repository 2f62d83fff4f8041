// The custom controls in a Designer form: properties set by uic, pictures named by object name
// and signals bound to the form's handlers by name.
#include "controls/ControlsTestSupport.h"

#include "ui_ControlsForm.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

class TControlsForm : public QWidget {
    Q_OBJECT
public:
    TControlsForm() { ui.setupUi(this); }
    Ui::ControlsForm ui;
    int records = 0;
    Qt::MouseButton lastButton = Qt::NoButton;
    Qt::KeyboardModifiers lastShift;

private slots:
    void cmdRecord() { ++records; }
    void WinShapeMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &)
    {
        lastButton = button;
        lastShift = shift;
    }
};

} // namespace

// One property of each kind of value uic writes: colour, flag, text, number, enumeration, cursor.
TEST(ControlsInAForm, UicSetsTheControlsPropertiesAndAStripNamedInTheFormIsUsedWithoutResizingTheButton)
{
    TControlsForm form;
    EXPECT_EQ(form.ui.WinShape->Color(), QColor(10, 20, 30));
    EXPECT_FALSE(form.ui.WinShape->AutoDrag());
    EXPECT_EQ(form.ui.btnRecord->Caption(), QStringLiteral("&Record"));
    EXPECT_EQ(form.ui.Slider->Max(), 200u);
    EXPECT_EQ(form.ui.Slider->Style(), TSlider::ssHorizontal);
    EXPECT_EQ(form.ui.Slider->HolderCursor(), Qt::SizeVerCursor);
    EXPECT_EQ(form.ui.PeakGauge->MarkColor(), QColor(255, 206, 54));
    form.ui.imgStrip->setBitmap(
        controlstest::stripPicture(47, 48, {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)}));
    EXPECT_EQ(form.ui.btnRecord->ImageControl(), form.ui.imgStrip);
    EXPECT_EQ(form.ui.btnRecord->size(), QSize(47, 48));
    EXPECT_EQ(controlstest::rendered(*form.ui.btnRecord).pixelColor(2, 2), QColor(200, 0, 0));
}

TEST(ControlsInAForm, SignalsReachTheHandlersTheFormNames)
{
    TControlsForm form;
    QTest::mouseClick(form.ui.btnRecord, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form.records, 1);
    QTest::mousePress(form.ui.WinShape, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    QTest::mouseRelease(form.ui.WinShape, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    EXPECT_EQ(form.lastButton, Qt::LeftButton);
    EXPECT_EQ(form.lastShift, Qt::ControlModifier);
}

#include "ControlsFormTest.moc"
