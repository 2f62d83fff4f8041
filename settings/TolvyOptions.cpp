// The settings store: message settings, kid profile, and the keyboard and cursor routines.
#include "settings/TolvyOptions.h"

#include "settings/vqUtils.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <memory>

TTolvyProperties *TolvyProperties = nullptr;
TVMProperties *VMProperties = nullptr;

// Reads values in order until the first read fails; every read after that is skipped.
// A number must exist as a 32-bit number value; a truth or text value may be missing (false,
// empty), but one holding data of another kind fails.
class TKeyReader {
public:
    explicit TKeyReader(const platform::Registry &registry) : FRegistry(registry) {}

    bool Truth(const QString &name, bool &field)
    {
        QString text;
        if (!Text(name, text)) return false;
        field = text == QLatin1String("1");
        return true;
    }

    bool Text(const QString &name, QString &field)
    {
        const std::optional<QString> text = FRegistry.readString(name);
        if (!text) return false;
        field = *text;
        return true;
    }

    bool Number(const QString &name, qint32 &field)
    {
        const std::optional<qint32> number = FRegistry.readInteger(name);
        if (!number) return false;
        field = *number;
        return true;
    }

private:
    const platform::Registry &FRegistry;
};

namespace {

const QString kQualityValue = QStringLiteral("Quality "); // the trailing blank belongs to the name

struct TSettingsLifetime {
    std::unique_ptr<TTolvyProperties> profile;
    std::unique_ptr<TVMProperties> message;
    platform::RegistryStore *store = nullptr;
};

TSettingsLifetime &Lifetime()
{
    static TSettingsLifetime lifetime;
    return lifetime;
}

QPoint HandHotSpot(int number)
{
    return number == crHandDown ? QPoint(5, 7) : QPoint(1, 1);
}

} // namespace

QString BoolToText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// ---- Message settings ---------------------------------------------------------------------

TVMProperties::TVMProperties(platform::RegistryStore &store, const platform::SystemFolders &folders)
    : FStore(store), FFolders(folders)
{
    Load();
}

TVMProperties::~TVMProperties()
{
    Save();
}

void TVMProperties::Load()
{
    platform::Registry registry(platform::RootKey::CurrentUser, FStore);
    // A missing key is no error here: the reads below find no values and fail.
    registry.openKeyReadOnly(kChirpelKey);
    TKeyReader r(registry);
    const bool read = ReadValues(r);
    registry.closeKey();
    if (!read) ApplyReadFailureDefaults();
}

bool TVMProperties::ReadValues(TKeyReader &r)
{
    qint32 quality = 0;
    if (!(r.Truth(QStringLiteral("AutoRecord"), AutoRecord) &&
          r.Truth(QStringLiteral("HideTips"), HideTips) && r.Truth(QStringLiteral("AutoPlay"), AutoPlay) &&
          r.Truth(QStringLiteral("BeepOnRecord"), BeepOnRecord) &&
          r.Truth(QStringLiteral("AutoClose"), AutoClose) && r.Truth(QStringLiteral("Mono"), Mono) &&
          r.Truth(QStringLiteral("GSM610"), GSM610) && r.Truth(QStringLiteral("PackOnSend"), PackOnSend) &&
          r.Truth(QStringLiteral("Bits16"), Bits16) && r.Number(kQualityValue, quality)))
        return false;
    // The field is 8 bits wide: a stored 257 is 1.
    Quality = static_cast<quint8>(quality & 0xff);
    return r.Number(QStringLiteral("PlainSize"), PlainSize) &&
           r.Number(QStringLiteral("DurationSec"), DurationSec) &&
           r.Number(QStringLiteral("MinWaveLevel"), MinWaveLevel) &&
           r.Text(QStringLiteral("MsgFileName"), MsgFileName) &&
           r.Number(QStringLiteral("MaxTimeSec"), MaxTimeSec) &&
           r.Truth(QStringLiteral("WebMail"), WebMail) && r.Truth(QStringLiteral("SendWait"), SendWait) &&
           r.Truth(QStringLiteral("LimitSize"), LimitSize) &&
           r.Text(QStringLiteral("ReciptName"), ReciptName) &&
           r.Text(QStringLiteral("ReciptAddr"), ReciptAddr);
}

void TVMProperties::ApplyReadFailureDefaults()
{
    AutoRecord = AutoPlay = BeepOnRecord = GSM610 = LimitSize = SendWait = PackOnSend = true;
    AutoClose = false;
    Mono = Bits16 = true;
    MinWaveLevel = 50;
    MaxTimeSec = 300;
    Quality = 0;
    MsgFileName = GetTempFolder(FFolders) + QStringLiteral("chirpel.wav");
}

bool TVMProperties::Save()
{
    platform::Registry registry(platform::RootKey::CurrentUser, FStore);
    if (!registry.openKey(kChirpelKey, true)) return false;
    registry.writeString(QStringLiteral("HideTips"), BoolToText(HideTips));
    registry.writeString(QStringLiteral("AutoRecord"), BoolToText(AutoRecord));
    registry.writeString(QStringLiteral("AutoPlay"), BoolToText(AutoPlay));
    registry.writeString(QStringLiteral("BeepOnRecord"), BoolToText(BeepOnRecord));
    registry.writeString(QStringLiteral("AutoClose"), BoolToText(AutoClose));
    registry.writeString(QStringLiteral("Mono"), BoolToText(Mono));
    registry.writeString(QStringLiteral("GSM610"), BoolToText(GSM610));
    registry.writeString(QStringLiteral("PackOnSend"), BoolToText(PackOnSend));
    registry.writeString(QStringLiteral("Bits16"), BoolToText(Bits16));
    registry.writeInteger(kQualityValue, Quality);
    registry.writeInteger(QStringLiteral("PlainSize"), PlainSize);
    registry.writeString(QStringLiteral("MsgFileName"), MsgFileName);
    registry.writeInteger(QStringLiteral("DurationSec"), DurationSec);
    registry.writeInteger(QStringLiteral("MinWaveLevel"), MinWaveLevel);
    registry.writeString(QStringLiteral("WebMail"), BoolToText(WebMail));
    registry.writeString(QStringLiteral("SendWait"), BoolToText(SendWait));
    registry.writeString(QStringLiteral("ReciptName"), ReciptName);
    registry.writeString(QStringLiteral("ReciptAddr"), ReciptAddr);
    registry.writeInteger(QStringLiteral("MaxTimeSec"), MaxTimeSec);
    registry.writeString(QStringLiteral("LimitSize"), BoolToText(LimitSize));
    return registry.closeKey();
}

// ---- Kid profile --------------------------------------------------------------------------

TTolvyProperties::TTolvyProperties(platform::RegistryStore &store, platform::KeyCapture &keys,
                                   TCursorTable &cursors)
    : FStore(store), FKeys(keys), FCursors(cursors)
{
    Load();
    FCursors.SetCursor(crHandCursor, LoadHandCursor(crHandCursor));
    FCursors.SetCursor(crHandDown, LoadHandCursor(crHandDown));
}

TTolvyProperties::~TTolvyProperties()
{
    SetKeyboardLock(*this, false);
    Save();
}

void TTolvyProperties::Load()
{
    platform::Registry registry(platform::RootKey::CurrentUser, FStore);
    registry.openKeyReadOnly(kChirpelKey);
    TKeyReader r(registry);
    const bool read =
        r.Number(QStringLiteral("KidAge"), KidAge) && r.Text(QStringLiteral("GuideName"), GuideName) &&
        r.Text(QStringLiteral("KidName"), KidName) && r.Truth(QStringLiteral("IsGirl"), IsGirl) &&
        r.Truth(QStringLiteral("CustCursor"), CustCursor) &&
        r.Truth(QStringLiteral("SoundPrompt"), SoundPrompt) &&
        r.Truth(QStringLiteral("ShowShield"), ShowShield);
    registry.closeKey();
    if (read) {
        CursorActive = CustCursor;
    } else {
        CustCursor = true;
        GuideName = QStringLiteral("Monkey");
    }
}

bool TTolvyProperties::Save()
{
    platform::Registry registry(platform::RootKey::CurrentUser, FStore);
    if (!registry.openKey(kChirpelKey, true)) return false;
    registry.writeString(QStringLiteral("IsGirl"), BoolToText(IsGirl));
    registry.writeString(QStringLiteral("CustCursor"), BoolToText(CustCursor));
    registry.writeString(QStringLiteral("SoundPrompt"), BoolToText(SoundPrompt));
    registry.writeString(QStringLiteral("ShowShield"), BoolToText(ShowShield));
    registry.writeString(QStringLiteral("KidName"), KidName);
    registry.writeString(QStringLiteral("GuideName"), GuideName);
    registry.writeInteger(QStringLiteral("KidAge"), KidAge);
    return registry.closeKey();
}

// ---- Program-wide instances ---------------------------------------------------------------

void InitializeTolvyOptions(platform::RegistryStore &store, const platform::SystemFolders &folders,
                            platform::KeyCapture &keys, TCursorTable &cursors)
{
    TSettingsLifetime &life = Lifetime();
    life.store = &store;
    life.profile = std::make_unique<TTolvyProperties>(store, keys, cursors);
    TolvyProperties = life.profile.get();
    life.message = std::make_unique<TVMProperties>(store, folders);
    VMProperties = life.message.get();
}

bool FinalizeTolvyOptions()
{
    TSettingsLifetime &life = Lifetime();
    const int failedBefore = life.store ? life.store->failedSaves() : 0;
    VMProperties = nullptr;
    life.message.reset();
    TolvyProperties = nullptr;
    life.profile.reset();
    const bool saved = !life.store || life.store->failedSaves() == failedBefore;
    life.store = nullptr;
    return saved;
}

// ---- Cursors and keys ---------------------------------------------------------------------

QCursor LoadHandCursor(int number)
{
    const QString resource = number == crHandDown ? QStringLiteral(":/chirpel/HAND_DOWN")
                                                  : QStringLiteral(":/chirpel/HAND_CURSOR");
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, 64, 64));
    }
    const QPoint hot = HandHotSpot(number);
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}

void SetKeyboardLock(TTolvyProperties &profile, bool on)
{
    if (on == profile.KeysLocked) return;
    // A refused capture is not an error: the keys simply stay with the desktop.
    if (on)
        profile.Keys().captureTaskSwitchKeys();
    else
        profile.Keys().releaseTaskSwitchKeys();
    profile.KeysLocked = on;
}

void SetKeyboardLock(bool on)
{
    if (TolvyProperties) SetKeyboardLock(*TolvyProperties, on);
}

void UpdateHandCursor(TTolvyProperties &profile, Qt::MouseButtons buttons)
{
    if (!profile.CursorActive) return;
    profile.Cursors().SetAppCursor(buttons.testFlag(Qt::LeftButton) ? crHandDown : crHandCursor);
}

void UpdateHandCursor()
{
    if (TolvyProperties) UpdateHandCursor(*TolvyProperties, QGuiApplication::mouseButtons());
}

void SuspendHandCursor(TTolvyProperties &profile, bool suspend)
{
    profile.CursorActive = profile.CustCursor && !suspend;
    if (!profile.CursorActive) profile.Cursors().SetAppCursor(0);
}

void SuspendHandCursor(bool suspend)
{
    if (TolvyProperties) SuspendHandCursor(*TolvyProperties, suspend);
}
