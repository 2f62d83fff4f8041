// TLorvaneV2AX, the tips panel across the top of the parents' options dialog, and the tips file
// it reads.
#pragma once

#include "platform/store/Registry.h"
#include "settings/vqUtils.h"

#include <QColor>
#include <QFrame>
#include <QString>
#include <QVariant>

#include <vector>

class QLabel;
class QToolButton;

// One tip of the tips file.
struct TTip {
    QString Title;
    QString Text;
    bool operator==(const TTip &) const = default;
};

// The tips of a tips file's text (format at the top of resources/chirpelTips.enu): comment lines
// start with "#", a line "* Title" starts a tip, the lines after it up to the next title are its
// text, joined with blanks; an empty line within a text starts a new line. A tip without text
// is dropped.
std::vector<TTip> ParseTips(const QString &text);

// The largest tips file read; a bigger one is refused.
inline constexpr std::size_t kMaxTipsFileBytes = 256 * 1024;

// A set-up step the panel refused; the dialog that asked does not open.
class ETipsViewerError : public EGeneralError {
public:
    using EGeneralError::EGeneralError;
};

// The tips panel. Set up in seven steps, in this order: the tips file, the client number, the
// settings key, the host window and the language (each assigned by its number through
// SetProperty), Start (reads the file and the next tip's number) and ShowTip. A step out of
// order, or one that cannot be done, raises ETipsViewerError. The named setters are the form's
// and check nothing. The
// number of the tip to show next is kept under the settings key as the value "LorvaneNextTip",
// written at once, so that each opening shows the following tip.
class TLorvaneV2AX : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool Flat READ Flat WRITE setFlat)
    Q_PROPERTY(QColor TextColor READ TextColor WRITE setTextColor)
    Q_PROPERTY(QColor TitleColor READ TitleColor WRITE setTitleColor)
    Q_PROPERTY(QColor BtnTextColor READ BtnTextColor WRITE setBtnTextColor)
    Q_PROPERTY(QColor ButtonsColor READ ButtonsColor WRITE setButtonsColor)
    Q_PROPERTY(bool AutoUpdates READ AutoUpdates WRITE setAutoUpdates)
    Q_PROPERTY(bool LogoVisible READ LogoVisible WRITE setLogoVisible)
    Q_PROPERTY(int _ClientID READ ClientID WRITE set_ClientID)
public:
    // The properties addressed by number, as the set-up does for HostWindow and Language.
    enum TDispId : int {
        diCaption = -518,
        diColor = -501,
        diFlat = 15,
        diTextColor = 16,
        diTitleColor = 17,
        diBtnTextColor = 18,
        diButtonsColor = 19,
        diAutoUpdates = 20,
        diLogoVisible = 21,
        diClientID = 22,
        diTipsInfoRegKey = 23,
        diTipsFileInDefaultLang = 24,
        diHostWindow = 10,
        diLanguage = 12,
    };
    // The value under the settings key that holds the number of the tip to show next.
    static inline const QString NextTipValue = QStringLiteral("LorvaneNextTip");

    explicit TLorvaneV2AX(QWidget *parent = nullptr,
                          platform::RegistryStore &store = platform::defaultRegistryStore());
    ~TLorvaneV2AX() override;

    void SetStore(platform::RegistryStore &store) { FStore = &store; }

    QString Caption() const { return FCaption; }
    void setCaption(const QString &caption);
    QColor Color() const { return FColor; }
    void setColor(const QColor &color);
    bool Flat() const { return FFlat; }
    void setFlat(bool flat);
    QColor TextColor() const { return FTextColor; }
    void setTextColor(const QColor &color);
    QColor TitleColor() const { return FTitleColor; }
    void setTitleColor(const QColor &color);
    QColor BtnTextColor() const { return FBtnTextColor; }
    void setBtnTextColor(const QColor &color);
    QColor ButtonsColor() const { return FButtonsColor; }
    void setButtonsColor(const QColor &color);
    bool AutoUpdates() const { return FAutoUpdates; }
    void setAutoUpdates(bool on) { FAutoUpdates = on; }
    bool LogoVisible() const { return FLogoVisible; }
    void setLogoVisible(bool visible);
    int ClientID() const { return FClientID; }
    void set_ClientID(int id);
    QString TipsInfoRegKey() const { return FTipsInfoRegKey; }
    void set_TipsInfoRegKey(const QString &key);
    QString TipsFileInDefaultLang() const { return FTipsFile; }
    void set_TipsFileInDefaultLang(const QString &path);

    // Assigns a property by its number; raises ETipsViewerError for an unknown number, and for a
    // set-up property out of order or with a value the panel cannot use.
    void SetProperty(int dispId, const QVariant &value);

    // Reads the tips file and the next tip's number; raises when the file cannot be read or holds
    // no tip.
    void Start();
    // 0: the next tip in turn, which also moves the kept number on; n >= 1: tip n. Raises before
    // Start or for a number beyond the last tip.
    void ShowTip(int index);

    // Steps through the tips, wrapping at both ends.
    void Previous();
    void Next();

    int TipCount() const { return int(FTips.size()); }
    // The shown tip, counted from 0; -1 before the first ShowTip.
    int CurrentTip() const { return FCurrent; }
    QString ShownTitle() const;
    QString ShownText() const;
    quint64 HostWindow() const { return FHostWindow; }
    QString Language() const { return FLanguage; }

private:
    enum class TStep { Created, TipsFile, ClientID, RegKey, HostWindow, Language, Started };
    void Expect(TStep before, TStep next, const QString &what);
    void Fail(const QString &why) const;
    void Show(int index);
    void ApplyColors();
    int ReadNextTip() const;
    void WriteNextTip(int next) const;

    platform::RegistryStore *FStore;
    QString FCaption;
    QColor FColor, FTextColor, FTitleColor, FBtnTextColor, FButtonsColor;
    bool FFlat = false;
    bool FAutoUpdates = false;
    bool FLogoVisible = true;
    int FClientID = 0;
    QString FTipsInfoRegKey;
    QString FTipsFile;
    quint64 FHostWindow = 0;
    QString FLanguage;
    TStep FStep = TStep::Created;
    std::vector<TTip> FTips;
    int FCurrent = -1;

    QLabel *FLogo;
    QLabel *FTitle;
    QLabel *FText;
    QLabel *FCounter;
    QToolButton *FPrevious;
    QToolButton *FNext;
};
