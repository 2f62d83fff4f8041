// Private-profile (INI) files: sections of key=value lines, updated in place and replaced whole.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// One profile file in memory, with the rules of the system's private-profile functions:
// section and key names match without regard to case; a key written again replaces its value
// in place, a new key goes after the last entry of its section, a new section goes to the end of
// the file; values are written unchanged and unquoted; every line the program does not change
// stays byte for byte. Text is UTF-8. Nothing reaches the disk before UpdateFile, which replaces
// the file whole and atomically, so a crash never leaves half a file.
class TProfileFile {
public:
    // Reads the file at once; a missing file reads as empty and is created by UpdateFile.
    explicit TProfileFile(QString fileName);

    QString FileName() const { return FFileName; }
    // Empty, or why an existing file could not be read (UpdateFile then refuses to replace it).
    QString LoadError() const { return FLoadError; }

    // The value of the first key of that name in the first section of that name; a key is the
    // text up to the first "=", without the blanks around it.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // The section names in file order.
    QStringList Sections() const;
    // The section's entries in file order, each the whole text of its line (comments and blank
    // lines left out); readers that allow "=" in a key split these at the last "=".
    QStringList SectionEntries(const QString &section) const;

    // False, and nothing changed, when a name or value would not stay on its line (CR or LF),
    // a section name holds "]", or a key is empty, starts with "[" or ";" or holds no text.
    bool WriteString(const QString &section, const QString &key, const QString &value);
    // Removes every section of that name: its header and all lines up to the next section.
    void EraseSection(const QString &section);

    // Replaces the file with the lines as they now stand. False (and the file untouched) when
    // the old file could not be read or the new one could not be written; Error says why.
    bool UpdateFile();
    QString Error() const { return FError; }

    // The file as UpdateFile would write it.
    QByteArray Contents() const;

private:
    struct Line {
        QByteArray bytes; // as in the file, with its line ending (if it had one)
    };
    int FindSection(const QString &section, int from = 0) const;
    int SectionEnd(int header) const;
    int FindKey(int header, const QString &key) const;
    void EnsureLastLineEnded();

    QString FFileName;
    QList<Line> FLines;
    QByteArray FNewline = "\n";
    QString FLoadError;
    QString FError;
};

} // namespace platform
