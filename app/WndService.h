// TNonAppForm: a window that may be owned by a chosen window of the program instead of none.
#pragma once

#include <QPointer>
#include <QWidget>

class TNonAppForm : public QWidget {
    Q_OBJECT
public:
    // Create: a window of the program without a chosen owner.
    explicit TNonAppForm(Qt::WindowFlags flags = Qt::Window);
    // CreateWithParent: a window owned by parentWnd, kept above it by the window manager and
    // sharing its taskbar entry; with a null parentWnd a window that has no owner at all.
    TNonAppForm(QWidget *parentWnd, Qt::WindowFlags flags);

    // Whether an owner was chosen (CreateWithParent), and which (null: none at all).
    bool ParentChosen() const { return FParentChosen; }
    QWidget *ParentWnd() const { return FParentWnd; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool FParentChosen = false;
    QPointer<QWidget> FParentWnd;
};
