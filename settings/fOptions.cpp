// TPropertiesForm, the parents' options dialog, and ShowOptionsDialog that opens it.
#include "settings/fOptions.h"

#include "controls/ScreenPicture.h"
#include "platform/store/Folders.h"
#include "settings/TipsViewer.h"
#include "settings/vqUtils.h"

#include "ui_fOptions.h"

#include <QCursor>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>

namespace {

// The tips file's name; its extension is the language of its tips.
const QString kTipsFileName = QStringLiteral("chirpelTips.enu");
const int kClientID = 1039;
const QString kTipsLanguage = QStringLiteral("enu");

// The desktop's arrow cursor drawn at (0, 0); where the platform gives no picture of it (X11
// keeps its theme cursors to itself), the classic arrow: white with a black edge.
QPixmap ArrowPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QPixmap desktop = QCursor(Qt::ArrowCursor).pixmap();
    if (!desktop.isNull()) {
        painter.drawPixmap(0, 0, desktop);
        painter.end();
        return picture;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 18);
    arrow.lineTo(5, 14);
    arrow.lineTo(8, 21);
    arrow.lineTo(11, 20);
    arrow.lineTo(8, 13);
    arrow.lineTo(13, 13);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
    painter.end();
    return picture;
}

// An edit shows whether a parent can type into it: the window colour when enabled, the
// button-face colour when not.
void SetEditColor(QWidget *edit, const QColor &color)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, color);
    edit->setPalette(p);
}

} // namespace

int PositionToMaxTimeSec(int position)
{
    switch (position) {
    case 0:
        return 60;
    case 2:
        return 300;
    default:
        return 120;
    }
}

int MaxTimeSecToPosition(int seconds, int current)
{
    switch (seconds) {
    case 60:
        return 0;
    case 120:
        return 1;
    case 300:
        return 2;
    default:
        return current;
    }
}

int PositionMinutes(int position)
{
    switch (position) {
    case 1:
        return 2;
    case 2:
        return 5;
    default:
        return 1;
    }
}

QString MessageSizeInfo(int position)
{
    const int minutes = PositionMinutes(position);
    return QStringLiteral("Message duration is up to %1 min. Size approx. %2 KB")
        .arg(minutes)
        .arg(minutes * 95);
}

qint32 AgeFromText(const QString &text)
{
    // The field takes an optional minus sign and at most nine digits, so every text it holds
    // converts except a lone minus sign, which gives no age.
    bool ok = false;
    const qint32 age = text.toInt(&ok);
    return ok ? age : 0;
}

QString DefaultTipsFile()
{
    const QString beside = platform::ProgramFolder() + QLatin1Char('/') + kTipsFileName;
#ifdef CHIRPEL_INSTALLED_TIPS_DIR
    if (!QFileInfo::exists(beside)) {
        const QString installed = QStringLiteral(CHIRPEL_INSTALLED_TIPS_DIR "/") + kTipsFileName;
        if (QFileInfo::exists(installed)) return installed;
    }
#endif
    return beside;
}

TPropertiesForm::TPropertiesForm(TTolvyProperties &profile, TVMProperties &message,
                                 platform::RegistryStore &store, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PropertiesForm>()), FProfile(profile), FMessage(message)
{
    ui->setupUi(this);
    ui->Lorvane->SetStore(store);
    FormCreate();
}

TPropertiesForm::~TPropertiesForm() = default;

TLorvaneV2AX *TPropertiesForm::Tips() const
{
    return ui->Lorvane;
}

void TPropertiesForm::FormCreate()
{
    QFont formFont(QStringLiteral("Tahoma"));
    formFont.setPixelSize(11);
    setFont(formFont);
    setFixedSize(size());
    // A fixed dialog border: a title and a close box, nothing to maximise or minimise.
    // It stays on top like the child's window, which would otherwise cover it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    // The previews sit on white, as the pictures were drawn.
    for (QWidget *box : {ui->panPreview3, ui->panPreview4}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Window, palette().color(QPalette::Base));
        box->setPalette(p);
    }

    // The tips panel in the system's colours, its title in navy from the form.
    const QPalette system = palette();
    ui->Lorvane->setColor(system.color(QPalette::Base));
    ui->Lorvane->setTextColor(system.color(QPalette::WindowText));
    ui->Lorvane->setBtnTextColor(system.color(QPalette::WindowText));
    ui->Lorvane->setButtonsColor(system.color(QPalette::Button));

    // The form's pictures: the large hand in the cursor preview, the guide sitting.
    ui->imgCursor->setPixmap(LoadHandCursor(crHandCursor).pixmap());
    const QPixmap monkey = QPixmap::fromImage(ReadPicture(QStringLiteral(":/chirpel/art/monkey.rgb32")));
    if (!monkey.isNull())
        ui->imgGuide->setPixmap(monkey.copy(0, 0, monkey.height(), monkey.height())
                                    .scaled(76, 76, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    ui->edKidAge->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), ui->edKidAge));

    ui->Book->setCurrentIndex(0);
    ui->ComboGuideName->setCurrentIndex(0);
    ui->ComboCursorName->setCurrentIndex(0);
    PrepareCursorPictures();
}

void TPropertiesForm::PrepareCursorPictures()
{
    FHandPicture = ui->imgCursor->pixmap();
    FArrowPicture = ArrowPicture();
}

void TPropertiesForm::SetUpTips(const QString &tipsFile)
{
    TLorvaneV2AX *tips = ui->Lorvane;
    tips->SetProperty(TLorvaneV2AX::diTipsFileInDefaultLang, tipsFile);
    tips->SetProperty(TLorvaneV2AX::diClientID, kClientID);
    tips->SetProperty(TLorvaneV2AX::diTipsInfoRegKey, kChirpelKey);
    tips->SetProperty(TLorvaneV2AX::diHostWindow, quint64(winId()));
    tips->SetProperty(TLorvaneV2AX::diLanguage, kTipsLanguage);
    tips->Start();
    tips->ShowTip(0);
}

void TPropertiesForm::LoadControls()
{
    const TTolvyProperties &kid = FProfile;
    const TVMProperties &vm = FMessage;
    ui->edKidAge->setText(kid.KidAge > 0 ? QString::number(kid.KidAge) : QString());
    ui->edKidName->setText(kid.KidName);
    ui->rbIsGirl->setChecked(kid.IsGirl);
    ui->RadioButton8->setChecked(!kid.IsGirl);
    ui->rbCustCursor->setChecked(kid.CustCursor);
    ui->RadioButton5->setChecked(!kid.CustCursor);
    ui->ComboGuideName->setCurrentIndex(0);
    ui->cbSoundPrompt->setChecked(kid.SoundPrompt);
    ui->cbAutoPlay->setChecked(vm.AutoPlay);
    ui->cbBeepOnRecord->setChecked(vm.BeepOnRecord);
    ui->cbGSM610->setChecked(vm.GSM610);
    ui->rbWebMail->setChecked(vm.WebMail);
    ui->rbLocalMailClient->setChecked(!vm.WebMail);
    ui->rbSendWait->setChecked(vm.SendWait);
    ui->RadioButton4->setChecked(!vm.SendWait);
    ui->cbLimitSize->setChecked(vm.LimitSize);
    ui->edMsgFileName->setText(vm.MsgFileName);
    ui->edReciptName->setText(vm.ReciptName);
    ui->edReciptAddr->setText(vm.ReciptAddr);
    ui->tbMaxTimeSec->setValue(MaxTimeSecToPosition(vm.MaxTimeSec, ui->tbMaxTimeSec->value()));

    cbLimitSizeClick();
    tbMaxTimeSecChange();
    cmdSetMailClient();
    rbSendWaitClick();
    rbCustCursorClick();
}

void TPropertiesForm::SaveControls()
{
    TTolvyProperties &kid = FProfile;
    TVMProperties &vm = FMessage;
    kid.KidAge = AgeFromText(ui->edKidAge->text());
    kid.KidName = ui->edKidName->text();
    kid.IsGirl = ui->rbIsGirl->isChecked();
    kid.CustCursor = ui->rbCustCursor->isChecked();
    kid.GuideName = ui->ComboGuideName->currentText();
    kid.SoundPrompt = ui->cbSoundPrompt->isChecked();
    vm.AutoPlay = ui->cbAutoPlay->isChecked();
    vm.BeepOnRecord = ui->cbBeepOnRecord->isChecked();
    vm.GSM610 = ui->cbGSM610->isChecked();
    vm.WebMail = ui->rbWebMail->isChecked();
    vm.SendWait = ui->rbSendWait->isChecked();
    vm.LimitSize = ui->cbLimitSize->isChecked();
    vm.MsgFileName = ui->edMsgFileName->text();
    vm.ReciptName = ui->edReciptName->text();
    vm.ReciptAddr = ui->edReciptAddr->text();
    vm.MaxTimeSec = PositionToMaxTimeSec(ui->tbMaxTimeSec->value());
}

void TPropertiesForm::cmdSetMailClient()
{
    ui->MailClientBook->setCurrentIndex(ui->rbWebMail->isChecked() ? 1 : 0);
}

void TPropertiesForm::cbLimitSizeClick()
{
    const bool on = ui->cbLimitSize->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->tbMaxTimeSec, ui->LMsgSizePrompt, ui->LMsgSizeFast,
                                                       ui->LMsgSizeLarge, ui->LMsgSizeInfo})
        w->setEnabled(on);
}

void TPropertiesForm::tbMaxTimeSecChange()
{
    ui->LMsgSizeInfo->setText(MessageSizeInfo(ui->tbMaxTimeSec->value()));
}

void TPropertiesForm::btnOkClick()
{
    SaveControls();
    accept();
}

void TPropertiesForm::rbCustCursorClick()
{
    const bool large = ui->rbCustCursor->isChecked();
    ui->ComboCursorName->setEnabled(large);
    SetEditColor(ui->ComboCursorName, palette().color(large ? QPalette::Base : QPalette::Button));
    ui->imgCursor->setPixmap(large ? FHandPicture : FArrowPicture);
}

void TPropertiesForm::rbSendWaitClick()
{
    // The recipient is only needed when the child's message goes straight out.
    const bool direct = !ui->rbSendWait->isChecked();
    ui->edReciptName->setEnabled(direct);
    ui->edReciptAddr->setEnabled(direct);
    SetEditColor(ui->edReciptAddr, palette().color(direct ? QPalette::Base : QPalette::Button));
    SetEditColor(ui->edReciptName, ui->edReciptAddr->palette().color(QPalette::Base));
}

bool ShowOptionsDialog(QWidget *caller)
{
    return ShowOptionsDialog(caller, TOptionsDialogContext());
}

bool ShowOptionsDialog(QWidget *caller, const TOptionsDialogContext &context)
{
    TTolvyProperties &profile = context.Profile ? *context.Profile : *TolvyProperties;
    TVMProperties &message = context.Message ? *context.Message : *VMProperties;
    platform::RegistryStore &store = context.Store ? *context.Store : platform::defaultRegistryStore();

    bool ok = false;
    {
        // Freed on every way out, also when a step below raises.
        // Owned by the application rather than the caller: as a transient of the shield the
        // window manager would lift the shield over the child's window along with the dialog.
        TPropertiesForm form(profile, message, store);
        SuspendHandCursor(profile, true);
        CenterWindow(caller, &form);
        form.SetUpTips(context.TipsFile.isEmpty() ? DefaultTipsFile() : context.TipsFile);
        form.LoadControls();
        ok = form.exec() == QDialog::Accepted;
    }
    // Reached only when nothing failed: the large hand comes back if it is (still) wanted.
    SuspendHandCursor(profile, false);
    return ok;
}

void OpenOptionsDialog(QWidget *caller)
{
    const QString cannot = QStringLiteral("The options cannot be shown.\\n\\n");
    try {
        ShowOptionsDialog(caller);
    } catch (const EGeneralError &error) {
        ShowErrorBox(caller, cannot + error.Message());
    } catch (const std::exception &error) {
        ShowErrorBox(caller, cannot + QString::fromLocal8Bit(error.what()));
    }
}
