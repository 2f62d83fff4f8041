// The settings store: message settings, kid profile, and the keyboard and cursor routines.
#include "settings/TolvyOptions.h"

#include "controls/ScreenPicture.h"
#include "settings/vqUtils.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <iterator>
#include <memory>
#include <variant>

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

// One stored value of a settings object: its name, the field that holds it, and its place in the
// order of reading. The field's type is the value's kind: a truth is stored as the text "1" or
// "0", a text as text, a number as a 32-bit number (an 8-bit field keeps the number's low byte:
// a stored 257 is 1).
template <class Owner> struct TStoredValue {
    const char *Name;
    std::variant<bool Owner::*, QString Owner::*, qint32 Owner::*, quint8 Owner::*> Field;
    size_t ReadRank;
};

template <class... F> struct TOverload : F... {
    using F::operator()...;
};
template <class... F> TOverload(F...) -> TOverload<F...>;

// Each object's values in the order it writes them. Reading goes by ReadRank and stops at the
// first value that fails, so that order decides which fields a damaged key still gives.
using TVM = TVMProperties;
const TStoredValue<TVM> kMessageValues[] = {
    {"HideTips", &TVM::HideTips, 1},
    {"AutoRecord", &TVM::AutoRecord, 0},
    {"AutoPlay", &TVM::AutoPlay, 2},
    {"BeepOnRecord", &TVM::BeepOnRecord, 3},
    {"AutoClose", &TVM::AutoClose, 4},
    {"Mono", &TVM::Mono, 5},
    {"GSM610", &TVM::GSM610, 6},
    {"PackOnSend", &TVM::PackOnSend, 7},
    {"Bits16", &TVM::Bits16, 8},
    {"Quality ", &TVM::Quality, 9}, // the blank belongs to the name
    {"PlainSize", &TVM::PlainSize, 10},
    {"MsgFileName", &TVM::MsgFileName, 13},
    {"DurationSec", &TVM::DurationSec, 11},
    {"MinWaveLevel", &TVM::MinWaveLevel, 12},
    {"WebMail", &TVM::WebMail, 15},
    {"SendWait", &TVM::SendWait, 16},
    {"ReciptName", &TVM::ReciptName, 18},
    {"ReciptAddr", &TVM::ReciptAddr, 19},
    {"MaxTimeSec", &TVM::MaxTimeSec, 14},
    {"LimitSize", &TVM::LimitSize, 17},
};

using TKid = TTolvyProperties;
const TStoredValue<TKid> kProfileValues[] = {
    {"IsGirl", &TKid::IsGirl, 3},           {"CustCursor", &TKid::CustCursor, 4},
    {"SoundPrompt", &TKid::SoundPrompt, 5}, {"ShowShield", &TKid::ShowShield, 6},
    {"KidName", &TKid::KidName, 2},         {"GuideName", &TKid::GuideName, 1},
    {"KidAge", &TKid::KidAge, 0},
};

template <class Owner, size_t N>
bool ReadStoredValues(TKeyReader &r, Owner &owner, const TStoredValue<Owner> (&values)[N])
{
    for (size_t rank = 0; rank < N; ++rank) {
        const TStoredValue<Owner> &value = *std::find_if(
            std::begin(values), std::end(values), [rank](const auto &v) { return v.ReadRank == rank; });
        const QString name = QString::fromLatin1(value.Name);
        const bool read =
            std::visit(TOverload{[&](bool Owner::*field) { return r.Truth(name, owner.*field); },
                                 [&](QString Owner::*field) { return r.Text(name, owner.*field); },
                                 [&](qint32 Owner::*field) { return r.Number(name, owner.*field); },
                                 [&](quint8 Owner::*field) {
                                     qint32 number = 0;
                                     if (!r.Number(name, number)) return false;
                                     owner.*field = static_cast<quint8>(number & 0xff);
                                     return true;
                                 }},
                       value.Field);
        if (!read) return false;
    }
    return true;
}

template <class Owner, size_t N>
void WriteStoredValues(platform::Registry &registry, const Owner &owner,
                       const TStoredValue<Owner> (&values)[N])
{
    for (const TStoredValue<Owner> &value : values) {
        const QString name = QString::fromLatin1(value.Name);
        std::visit(
            TOverload{[&](bool Owner::*field) { registry.writeString(name, BoolToText(owner.*field)); },
                      [&](QString Owner::*field) { registry.writeString(name, owner.*field); },
                      [&](qint32 Owner::*field) { registry.writeInteger(name, owner.*field); },
                      [&](quint8 Owner::*field) { registry.writeInteger(name, owner.*field); }},
            value.Field);
    }
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
    return ReadStoredValues(r, *this, kMessageValues);
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
    WriteStoredValues(registry, *this, kMessageValues);
    return registry.closeKey();
}

// ---- Kid profile --------------------------------------------------------------------------

TTolvyProperties::TTolvyProperties(platform::RegistryStore &store, platform::KeyCapture &keys,
                                   TCursorTable &cursors)
    : FStore(store), FKeys(keys), FCursors(cursors)
{
    Load();
    for (const int number : {crHandCursor, crHandDown})
        FCursors.SetCursor(number, [number] { return LoadHandCursor(number); });
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
    const bool read = ReadStoredValues(r, *this, kProfileValues);
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
    WriteStoredValues(registry, *this, kProfileValues);
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
    // Drawn from their SVG when the program is built, so that no SVG library is loaded at start.
    QImage image = ReadPicture(ArtPicturePath(number == crHandDown ? "hand_down" : "hand_cursor"));
    if (image.isNull()) {
        image = QImage(64, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
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
