// String modules: the language table, the module manager and base class, the module-image reader.
#pragma once

#include <QList>
#include <QString>

#include <array>
#include <cstddef>
#include <span>
#include <stdexcept>

class QIODevice;
struct TSystemLocale;

// ---- Language table -------------------------------------------------------------------------

struct TMLSLanguage {
    QString Code;         // three-letter language code, e.g. "enu"
    QString Name;         // the system's name for the language, "(Unknown)" when it has none
    quint32 LocaleId = 0; // Windows locale identifier; 0 when the system lacks the language
};

constexpr int MLSLanguageCount = 20;
using TMLSLanguageTable = std::array<TMLSLanguage, MLSLanguageCount>;

// Index 0 ("xxx") matches no system language; "enu" (English, United States) is index 4.
extern const std::array<const char *, MLSLanguageCount> MLSLanguageCodes;

// Each code takes the first of the given locales whose abbreviation equals it, ignoring case.
TMLSLanguageTable BuildLanguageTable(const QList<TSystemLocale> &locales);

// The program's table, built by InitializeStringModules from the installed locales.
extern TMLSLanguageTable MLSLanguages;

// The first index whose locale identifier equals localeId; 0 when there is none.
quint8 LanguageIndexOf(const TMLSLanguageTable &table, quint32 localeId);
quint8 LanguageIndexOf(quint32 localeId); // in MLSLanguages

// ---- Errors ---------------------------------------------------------------------------------

// Raised when a module image does not read; what() and Message() carry the full error text.
class EMLSException : public std::runtime_error {
public:
    explicit EMLSException(const QString &text);
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// The message every image check reports, with its code "MLS250" .. "MLS255".
inline constexpr char MLSFormatMessage[] = "Invalid MLS Module format.";

// "<message>\n(Error Code <code>)" with the backslash-n pairs turned into CR LF; the message alone
// when the code is empty.
QString MLSErrorText(const QString &code, const QString &message);
[[noreturn]] void RaiseMLSError(const QString &code, const QString &message);

// ---- Modules --------------------------------------------------------------------------------

class TMLSModule;

// Keeps the list of the modules that exist, in creation order. It does not own them.
class TMLSManager {
public:
    TMLSManager() = default;
    ~TMLSManager(); // modules that outlive it simply leave no trace here
    TMLSManager(const TMLSManager &) = delete;
    TMLSManager &operator=(const TMLSManager &) = delete;

    const QList<TMLSModule *> &Modules() const { return FModules; }

private:
    friend class TMLSModule;
    QList<TMLSModule *> FModules;
};

extern TMLSManager *MLSManager; // the program's manager, between Initialize/FinalizeStringModules

class TMLSModule {
public:
    // Looks the locale up in MLSLanguages and registers with the manager.
    TMLSModule(TMLSManager &manager, quint32 localeId, const QString &moduleName);
    virtual ~TMLSModule();
    TMLSModule(const TMLSModule &) = delete;
    TMLSModule &operator=(const TMLSModule &) = delete;

    quint8 LanguageIndex = 0;
    QString ModuleName;

    // Fills the entries from a module image for the given language; raises EMLSException.
    virtual void LoadStrings(quint16 languageIndex, QIODevice &stream) = 0;

    // Fills the entries from the compiled-in image ":/chirpel/<resourceName>" for LanguageIndex.
    // A missing resource reads as an empty image ("MLS250").
    void LoadFromResource(const QString &resourceName);

private:
    friend class TMLSManager;
    TMLSManager *FManager;
};

// Reads module images. Entries hold the texts decoded from the ANSI code page (Windows-1252),
// otherwise as stored: backslash-n pairs stay as they are.
class TMLSFile {
public:
    // Raises EMLSException with MLSFormatMessage and the code of the first check that fails, also
    // when the image ends early: inside the magic "MLS250", the version "MLS251", the language index
    // "MLS252", the description length, description or entry count "MLS253", the length table or
    // the texts "MLS254", the trailer "MLS255". Entries before a failing text hold their new texts;
    // the failing entry and those after it keep their previous ones.
    void ReadModule(quint16 languageIndex, QIODevice &stream, std::span<QString> entries);
};

// A module with a fixed number of entries, read by number: Strings[n].
template <std::size_t N> class TFixedMLSModule : public TMLSModule {
public:
    static constexpr std::size_t EntryCount = N;
    using TMLSModule::TMLSModule;

    std::array<QString, N> Strings;

    void LoadStrings(quint16 languageIndex, QIODevice &stream) override
    {
        TMLSFile().ReadModule(languageIndex, stream, Strings);
    }
};

// ---- Program-wide lifetime ------------------------------------------------------------------

// Builds MLSLanguages, creates MLSManager and the three modules (SoundRecModule, VoiceMailModule,
// vqSharedModule, locale 1033) and fills each from its compiled-in image. All three modules exist
// afterwards even when an image fails to read: its unread entries are empty, and the first such
// error is raised as EMLSException once every module has been created. Calling it again while
// initialised does nothing.
void InitializeStringModules();

// Frees the three modules, then the manager, and clears the language table.
void FinalizeStringModules();
