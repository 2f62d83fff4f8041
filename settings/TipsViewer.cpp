// TLorvaneV2AX, the tips panel across the top of the parents' options dialog, and the tips file
// it reads.
#include "settings/TipsViewer.h"

#include "platform/files/SafeRead.h"

#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QToolButton>
#include <QWindow>

#include <string>

Q_LOGGING_CATEGORY(lcTips, "chirpel.settings")

namespace {

// The language whose file the panel is given first; other languages look for their own file
// beside it and fall back to this one.
const QString kDefaultLanguage = QStringLiteral("enu");

QString Joined(const QString &text, const QString &line)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('\n'))) return text + line;
    return text + QLatin1Char(' ') + line;
}

} // namespace

std::vector<TTip> ParseTips(const QString &text)
{
    std::vector<TTip> tips;
    bool pendingBreak = false;
    const auto finish = [&tips] {
        if (!tips.empty() && tips.back().Text.isEmpty()) tips.pop_back();
    };
    for (const QStringView raw : QStringView(text).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed().toString();
        if (line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('*'))) {
            finish();
            tips.push_back({line.mid(1).trimmed(), QString()});
            pendingBreak = false;
        } else if (line.isEmpty()) {
            pendingBreak = !tips.empty() && !tips.back().Text.isEmpty();
        } else if (!tips.empty()) {
            QString &body = tips.back().Text;
            if (pendingBreak) body += QLatin1Char('\n');
            body = Joined(body, line);
            pendingBreak = false;
        }
    }
    finish();
    return tips;
}

TLorvaneV2AX::TLorvaneV2AX(QWidget *parent, platform::RegistryStore &store)
    : QFrame(parent), FStore(&store), FLogo(new QLabel(this)), FTitle(new QLabel(this)),
      FText(new QLabel(this)), FCounter(new QLabel(this)), FPrevious(new QToolButton(this)),
      FNext(new QToolButton(this))
{
    setAutoFillBackground(true);
    FColor = palette().color(QPalette::Base);
    FTextColor = FBtnTextColor = palette().color(QPalette::WindowText);
    FTitleColor = QColor(0, 0, 128);
    FButtonsColor = palette().color(QPalette::Button);

    FLogo->setPixmap(QPixmap(QStringLiteral(":/chirpel/art/icon.png")));
    FLogo->setScaledContents(true);
    FLogo->setGeometry(8, 8, 48, 48);
    QFont titleFont = font();
    titleFont.setBold(true);
    FTitle->setFont(titleFont);
    FTitle->setGeometry(64, 5, 236, 16);
    FCounter->setGeometry(300, 5, 78, 16);
    FCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FText->setGeometry(64, 22, 316, 40);
    FText->setWordWrap(true);
    FText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // What the file says is shown as it stands, never taken for markup.
    for (QLabel *label : {FTitle, FText, FCounter})
        label->setTextFormat(Qt::PlainText);
    FPrevious->setText(QStringLiteral("Previous"));
    FNext->setText(QStringLiteral("Next"));
    FPrevious->setObjectName(QStringLiteral("btnPreviousTip"));
    FNext->setObjectName(QStringLiteral("btnNextTip"));
    FPrevious->setGeometry(388, 8, 76, 22);
    FNext->setGeometry(388, 34, 76, 22);
    FPrevious->setAutoRaise(false);
    FNext->setAutoRaise(false);
    FPrevious->setEnabled(false);
    FNext->setEnabled(false);
    connect(FPrevious, &QToolButton::clicked, this, &TLorvaneV2AX::Previous);
    connect(FNext, &QToolButton::clicked, this, &TLorvaneV2AX::Next);
    setFlat(false);
    ApplyColors();
}

TLorvaneV2AX::~TLorvaneV2AX() = default;

void TLorvaneV2AX::setCaption(const QString &caption)
{
    FCaption = caption;
    setToolTip(caption);
    if (FCurrent >= 0) Show(FCurrent);
}

void TLorvaneV2AX::setColor(const QColor &color)
{
    FColor = color;
    ApplyColors();
}

void TLorvaneV2AX::setFlat(bool flat)
{
    FFlat = flat;
    setFrameShape(flat ? QFrame::NoFrame : QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void TLorvaneV2AX::setTextColor(const QColor &color)
{
    FTextColor = color;
    ApplyColors();
}

void TLorvaneV2AX::setTitleColor(const QColor &color)
{
    FTitleColor = color;
    ApplyColors();
}

void TLorvaneV2AX::setBtnTextColor(const QColor &color)
{
    FBtnTextColor = color;
    ApplyColors();
}

void TLorvaneV2AX::setButtonsColor(const QColor &color)
{
    FButtonsColor = color;
    ApplyColors();
}

void TLorvaneV2AX::setLogoVisible(bool visible)
{
    FLogoVisible = visible;
    FLogo->setVisible(visible);
}

void TLorvaneV2AX::ApplyColors()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, FColor);
    setPalette(p);
    for (QLabel *label : {FText, FCounter}) {
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, FTextColor);
        label->setPalette(lp);
    }
    QPalette tp = FTitle->palette();
    tp.setColor(QPalette::WindowText, FTitleColor);
    FTitle->setPalette(tp);
    for (QToolButton *button : {FPrevious, FNext}) {
        QPalette bp = button->palette();
        bp.setColor(QPalette::Button, FButtonsColor);
        bp.setColor(QPalette::ButtonText, FBtnTextColor);
        button->setPalette(bp);
    }
}

void TLorvaneV2AX::Fail(const QString &why) const
{
    qCWarning(lcTips).noquote() << why;
    throw ETipsViewerError(why);
}

void TLorvaneV2AX::Expect(TStep before, TStep next, const QString &what)
{
    if (FStep != before) Fail(QStringLiteral("The tips panel was given %1 out of order").arg(what));
    FStep = next;
}

void TLorvaneV2AX::set_TipsFileInDefaultLang(const QString &path)
{
    FTipsFile = path;
}

void TLorvaneV2AX::set_ClientID(int id)
{
    FClientID = id;
}

void TLorvaneV2AX::set_TipsInfoRegKey(const QString &key)
{
    FTipsInfoRegKey = key;
}

void TLorvaneV2AX::SetProperty(int dispId, const QVariant &value)
{
    // The form's own properties, by their published names; any order, nothing to check.
    static const std::pair<int, const char *> formProperties[] = {{diCaption, "Caption"},
                                                                  {diColor, "Color"},
                                                                  {diFlat, "Flat"},
                                                                  {diTextColor, "TextColor"},
                                                                  {diTitleColor, "TitleColor"},
                                                                  {diBtnTextColor, "BtnTextColor"},
                                                                  {diButtonsColor, "ButtonsColor"},
                                                                  {diAutoUpdates, "AutoUpdates"},
                                                                  {diLogoVisible, "LogoVisible"}};
    for (const auto &[id, name] : formProperties) {
        if (id != dispId) continue;
        if (!setProperty(name, value)) Fail(QStringLiteral("The tips panel cannot take that %1").arg(name));
        return;
    }
    switch (dispId) {
    // The set-up's five properties, in their order.
    case diTipsFileInDefaultLang:
        Expect(TStep::Created, TStep::TipsFile, QStringLiteral("the tips file"));
        if (value.toString().isEmpty()) Fail(QStringLiteral("The tips panel was given no tips file"));
        FTipsFile = value.toString();
        return;
    case diClientID: {
        Expect(TStep::TipsFile, TStep::ClientID, QStringLiteral("the client number"));
        bool ok = false;
        const int id = value.toInt(&ok);
        if (!ok || id < 0) Fail(QStringLiteral("Client number %1 is not valid").arg(value.toString()));
        FClientID = id;
        return;
    }
    case diTipsInfoRegKey:
        Expect(TStep::ClientID, TStep::RegKey, QStringLiteral("the settings key"));
        if (value.toString().trimmed().isEmpty())
            Fail(QStringLiteral("The tips panel was given no settings key"));
        FTipsInfoRegKey = value.toString();
        return;
    case diHostWindow: {
        Expect(TStep::RegKey, TStep::HostWindow, QStringLiteral("the host window"));
        bool ok = false;
        const quint64 handle = value.toULongLong(&ok);
        // The host is the window the panel sits in, and nothing else.
        if (!ok || handle == 0 || handle != quint64(window()->winId()))
            Fail(QStringLiteral("The tips panel's host window is not its own window"));
        FHostWindow = handle;
        return;
    }
    case diLanguage: {
        Expect(TStep::HostWindow, TStep::Language, QStringLiteral("the language"));
        const QString language = value.toString();
        static const QRegularExpression threeLetters(QStringLiteral("^[a-z]{3}$"));
        if (!threeLetters.match(language).hasMatch())
            Fail(QStringLiteral("\"%1\" is no language abbreviation").arg(language));
        FLanguage = language;
        return;
    }
    default:
        Fail(QStringLiteral("The tips panel has no property %1").arg(dispId));
    }
}

void TLorvaneV2AX::Start()
{
    if (FStep != TStep::Language)
        Fail(QStringLiteral("The tips panel was started before its set-up was complete"));
    FStep = TStep::Started;
    QString file = FTipsFile;
    if (FLanguage != kDefaultLanguage) {
        const QFileInfo info(FTipsFile);
        const QString own =
            info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') + FLanguage;
        if (QFileInfo::exists(own)) file = own;
    }
    std::string data;
    const platform::SafeReadResult read =
        platform::ReadRegularFile(file.toStdString(), kMaxTipsFileBytes, data);
    if (!read) Fail(QStringLiteral("Cannot read the tips file: %1").arg(QString::fromStdString(read.what)));
    FTips = ParseTips(QString::fromUtf8(data.data(), qsizetype(data.size())));
    if (FTips.empty()) Fail(QStringLiteral("The tips file %1 holds no tips").arg(file));
    FPrevious->setEnabled(true);
    FNext->setEnabled(true);
}

void TLorvaneV2AX::ShowTip(int index)
{
    if (FStep != TStep::Started) Fail(QStringLiteral("The tips panel was asked for a tip before Start"));
    if (index < 0 || index > TipCount())
        Fail(QStringLiteral("There is no tip %1 of %2").arg(index).arg(TipCount()));
    if (index > 0) {
        Show(index - 1);
        return;
    }
    const int next = ReadNextTip();
    Show(next);
    WriteNextTip((next + 1) % TipCount());
}

int TLorvaneV2AX::ReadNextTip() const
{
    platform::Registry registry(platform::RootKey::CurrentUser, *FStore);
    if (!registry.openKeyReadOnly(FTipsInfoRegKey)) return 0;
    const std::optional<qint32> next = registry.readInteger(NextTipValue);
    registry.closeKey();
    // A file that lost tips since: start again at the first.
    return next && *next >= 0 && *next < TipCount() ? *next : 0;
}

void TLorvaneV2AX::WriteNextTip(int next) const
{
    platform::Registry registry(platform::RootKey::CurrentUser, *FStore);
    // The next tip is a nicety: a store that cannot keep it costs the parent nothing.
    if (!registry.openKey(FTipsInfoRegKey, true) || !registry.writeInteger(NextTipValue, next) ||
        !registry.closeKey())
        qCWarning(lcTips) << "tips panel: the next tip's number was not kept";
}

void TLorvaneV2AX::Previous()
{
    if (TipCount() > 0) Show((FCurrent + TipCount() - 1) % TipCount());
}

void TLorvaneV2AX::Next()
{
    if (TipCount() > 0) Show((FCurrent + 1) % TipCount());
}

void TLorvaneV2AX::Show(int index)
{
    FCurrent = index;
    const TTip &tip = FTips[std::size_t(index)];
    FTitle->setText(tip.Title);
    FText->setText(tip.Text);
    FCounter->setText(QStringLiteral("%1 of %2").arg(index + 1).arg(TipCount()));
}

QString TLorvaneV2AX::ShownTitle() const
{
    return FCurrent >= 0 ? FTitle->text() : QString();
}

QString TLorvaneV2AX::ShownText() const
{
    return FCurrent >= 0 ? FText->text() : QString();
}
