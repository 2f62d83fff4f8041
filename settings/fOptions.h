// TPropertiesForm, the parents' options dialog, and ShowOptionsDialog that opens it.
#pragma once

#include "platform/store/Registry.h"
#include "settings/TolvyOptions.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <memory>

namespace Ui {
class PropertiesForm;
}

class TLorvaneV2AX;

// Track bar position -> MaxTimeSec: 0 -> 60, 1 -> 120, 2 -> 300.
int PositionToMaxTimeSec(int position);
// MaxTimeSec -> track bar position; any other value than 60, 120, 300 keeps `current`.
int MaxTimeSecToPosition(int seconds, int current);
// The minutes a track bar position stands for: 1, 2, 5 (1 for any other position).
int PositionMinutes(int position);
// "Message duration is up to %d min. Size approx. %d KB" for a track bar position.
QString MessageSizeInfo(int position);
// The age field's text as a number: an empty text (or a lone minus sign) is 0.
qint32 AgeFromText(const QString &text);

// The tips file beside the program, else the one in the installed data folder.
QString DefaultTipsFile();

class TPropertiesForm : public QDialog {
    Q_OBJECT
public:
    // The dialog edits profile and message in memory; the tips panel keeps its own value in store.
    TPropertiesForm(TTolvyProperties &profile, TVMProperties &message,
                    platform::RegistryStore &store = platform::defaultRegistryStore(),
                    QWidget *parent = nullptr);
    ~TPropertiesForm() override;

    // The tips panel's seven set-up steps; raises when one fails.
    void SetUpTips(const QString &tipsFile);
    void LoadControls();
    void SaveControls();

    TLorvaneV2AX *Tips() const;

private slots:
    void cmdSetMailClient();
    void cbLimitSizeClick();
    void tbMaxTimeSecChange();
    void btnOkClick();
    void rbCustCursorClick();
    void rbSendWaitClick();

private:
    void FormCreate();
    void PrepareCursorPictures();

    std::unique_ptr<Ui::PropertiesForm> ui;
    TTolvyProperties &FProfile;
    TVMProperties &FMessage;
    QPixmap FArrowPicture;
    QPixmap FHandPicture;
};

// Where ShowOptionsDialog finds what it works on; unset members take the program's own.
struct TOptionsDialogContext {
    TTolvyProperties *Profile = nullptr;
    TVMProperties *Message = nullptr;
    platform::RegistryStore *Store = nullptr;
    QString TipsFile; // empty: DefaultTipsFile()
};

// Opens the dialog modally, centred over caller, and returns whether it was closed with OK. The
// large hand cursor is off while it is open and follows CustCursor after it closed; a set-up
// failure of the tips panel raises ETipsViewerError before anything is shown or changed.
bool ShowOptionsDialog(QWidget *caller);
bool ShowOptionsDialog(QWidget *caller, const TOptionsDialogContext &context);

// ShowOptionsDialog for a menu item or link: a failure to open is shown in the error box.
void OpenOptionsDialog(QWidget *caller);
