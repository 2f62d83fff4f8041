// The language table, module bookkeeping, the module-image reader and the program-wide modules.
#include "strings/vqMLS.h"

#include "strings/AnsiCodePage.h"
#include "strings/SoundRecMLS.h"
#include "strings/SystemLocales.h"
#include "strings/VoiceMailMLS.h"
#include "strings/vqSharedMLS.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include <exception>
#include <vector>

// ---- Language table -------------------------------------------------------------------------

const std::array<const char *, MLSLanguageCount> MLSLanguageCodes = {
    "xxx", "cat", "dan", "deu", "enu", "esp", "fin", "fra", "isl", "ita",
    "nld", "nor", "ptg", "rus", "sve", "ind", "ukr", "bel", "euq", "afk"};

TMLSLanguageTable MLSLanguages;

TMLSLanguageTable BuildLanguageTable(const QList<TSystemLocale> &locales)
{
    TMLSLanguageTable table;
    for (int i = 0; i < MLSLanguageCount; ++i) {
        TMLSLanguage &entry = table[i];
        entry.Code = QString::fromLatin1(MLSLanguageCodes[i]);
        entry.Name = QStringLiteral("(Unknown)");
        entry.LocaleId = 0;
        for (const TSystemLocale &locale : locales) {
            if (locale.Abbreviation.compare(entry.Code, Qt::CaseInsensitive) == 0) {
                entry.Name = locale.LanguageName;
                entry.LocaleId = locale.LocaleId;
                break;
            }
        }
    }
    return table;
}

quint8 LanguageIndexOf(const TMLSLanguageTable &table, quint32 localeId)
{
    for (int i = 0; i < MLSLanguageCount; ++i)
        if (table[i].LocaleId == localeId) return quint8(i);
    return 0;
}

quint8 LanguageIndexOf(quint32 localeId)
{
    return LanguageIndexOf(MLSLanguages, localeId);
}

// ---- Errors ---------------------------------------------------------------------------------

namespace {

// Each backslash-n pair becomes CR LF, left to right; any other backslash stays.
QString expandLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() && text[i + 1] == QLatin1Char('n')) {
            out += QStringLiteral("\r\n");
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

EMLSException::EMLSException(const QString &text) : std::runtime_error(text.toStdString()), FMessage(text) {}

QString MLSErrorText(const QString &code, const QString &message)
{
    if (code.isEmpty()) return expandLineBreaks(message);
    return expandLineBreaks(message + QStringLiteral("\\n(Error Code ") + code + QLatin1Char(')'));
}

void RaiseMLSError(const QString &code, const QString &message)
{
    throw EMLSException(MLSErrorText(code, message));
}

// ---- Modules --------------------------------------------------------------------------------

TMLSManager *MLSManager = nullptr;

TMLSManager::~TMLSManager()
{
    for (TMLSModule *module : FModules)
        module->FManager = nullptr;
}

TMLSModule::TMLSModule(TMLSManager &manager, quint32 localeId, const QString &moduleName)
    : LanguageIndex(LanguageIndexOf(localeId)), ModuleName(moduleName), FManager(&manager)
{
    manager.FModules.append(this);
}

TMLSModule::~TMLSModule()
{
    if (FManager) FManager->FModules.removeOne(this);
}

void TMLSModule::LoadFromResource(const QString &resourceName)
{
    QFile resource(QStringLiteral(":/chirpel/") + resourceName);
    if (resource.open(QIODevice::ReadOnly)) {
        LoadStrings(LanguageIndex, resource);
    } else {
        QBuffer empty;
        empty.open(QIODevice::ReadOnly);
        LoadStrings(LanguageIndex, empty);
    }
}

// ---- Reader ---------------------------------------------------------------------------------

namespace {

// Reads exactly size bytes; false when the stream ends first.
bool readExact(QIODevice &stream, char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = stream.read(data + done, size - done);
        if (got <= 0) return false;
        done += got;
    }
    return true;
}

template <typename T> bool readLittleEndian(QIODevice &stream, T &value)
{
    char bytes[sizeof(T)];
    if (!readExact(stream, bytes, sizeof(T))) return false;
    value = qFromLittleEndian<T>(bytes);
    return true;
}

bool readMagic(QIODevice &stream)
{
    char magic[3];
    return readExact(stream, magic, 3) && magic[0] == 'M' && magic[1] == 'L' && magic[2] == 'S';
}

[[noreturn]] void formatError(const char *code)
{
    RaiseMLSError(QString::fromLatin1(code), QString::fromLatin1(MLSFormatMessage));
}

} // namespace

void TMLSFile::ReadModule(quint16 languageIndex, QIODevice &stream, std::span<QString> entries)
{
    if (!readMagic(stream)) formatError("MLS250");

    quint8 version = 0;
    if (!readLittleEndian(stream, version) || version != 1) formatError("MLS251");

    quint16 imageLanguage = 0;
    if (!readLittleEndian(stream, imageLanguage) || imageLanguage != languageIndex) formatError("MLS252");

    // The description is free text for people; only its length matters here.
    quint16 descriptionLength = 0;
    if (!readLittleEndian(stream, descriptionLength)) formatError("MLS253");
    if (descriptionLength > 0 && stream.skip(descriptionLength) != descriptionLength) formatError("MLS253");

    // The count must match before anything is sized from it, so a wild count allocates nothing.
    quint32 count = 0;
    if (!readLittleEndian(stream, count) || count != entries.size()) formatError("MLS253");

    std::vector<quint16> lengths(count);
    for (quint16 &length : lengths)
        if (!readLittleEndian(stream, length)) formatError("MLS254");

    QByteArray text;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        text.resize(lengths[i]);
        if (!readExact(stream, text.data(), lengths[i])) formatError("MLS254");
        entries[i] = DecodeAnsiText(text);
    }

    if (!readMagic(stream)) formatError("MLS255");
}

// ---- Program-wide lifetime ------------------------------------------------------------------

namespace {
bool gInitialized = false;
}

void InitializeStringModules()
{
    if (gInitialized) return;
    gInitialized = true;
    MLSLanguages = BuildLanguageTable(InstalledLocales());
    MLSManager = new TMLSManager;

    // Every module is created even when an earlier one fails, so that no reader meets a null module.
    std::exception_ptr firstError;
    for (void (*initialize)() : {InitializeSoundRecMLS, InitializeVoiceMailMLS, InitializevqSharedMLS}) {
        try {
            initialize();
        } catch (const EMLSException &) {
            if (!firstError) firstError = std::current_exception();
        }
    }
    if (firstError) std::rethrow_exception(firstError);
}

void FinalizeStringModules()
{
    if (!gInitialized) return;
    FinalizevqSharedMLS();
    FinalizeVoiceMailMLS();
    FinalizeSoundRecMLS();
    delete MLSManager;
    MLSManager = nullptr;
    MLSLanguages = TMLSLanguageTable();
    gInitialized = false;
}
