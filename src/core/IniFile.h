#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace kivo {

// A private-profile (Windows ini) reader and writer for the list file. Unlike QSettings it keeps
// every line it does not change byte for byte (comments, unknown keys, order, CR LF or LF).
//
// Read: section and key names match without regard to letter case; the value is trimmed of
// blanks and loses one pair of enclosing double or single quotes; a missing file, section or key
// gives "". Values are read whole (no length cut).
[[nodiscard]] QString ReadIni(const QString &section, const QString &key, const QString &fileName);

// Write one key: replaces its value in place, or adds the key at the end of its section, or adds
// the section at the end of the file, or creates the file (CR LF line ends; new lines in an existing
// file end as its first line does). A value is stored on one line: each line break in it (CR LF, CR
// or LF) is written as one blank. A value that would not read back as written (blanks around it,
// enclosing quotes) is written inside double quotes. The file is replaced atomically (temporary
// file + rename, keeping permissions, through a symbolic link to its target). Text is in the
// program's code page. Returns false when the file could not be written, or when the section or
// key could not be read back as given (empty, a line break, ']' in a section, '=' in a key, a key
// beginning with ';' or '[') or the value holds a NUL; the file is then left as it was.
[[nodiscard]] bool WriteIni(const QString &section, const QString &key, const QString &value,
                            const QString &fileName);

struct IniEntry
{
    QString section;
    QString key;
    QString value;
};

// Writes several keys as WriteIni does, in order, with one read and one atomic replacement of the
// file. When any entry cannot be stored, nothing is written.
[[nodiscard]] bool WriteIniEntries(const QList<IniEntry> &entries, const QString &fileName);

// The text a value reads back as after it was written: its line breaks as blanks.
[[nodiscard]] QString iniStoredText(const QString &value);

// The bytes of a list file after writing one key into `file` (WriteIni without the file), or
// nullopt for an entry WriteIni refuses.
[[nodiscard]] std::optional<QByteArray> withIniValue(const QByteArray &file, const QString &section,
                                                     const QString &key, const QString &value);

// A list file read and parsed once, then queried without touching the file again; each value reads
// as ReadIni would read it from the same bytes.
class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(const QByteArray &bytes);
    // A missing or unreadable file gives an empty document.
    [[nodiscard]] static IniDocument read(const QString &fileName);

    [[nodiscard]] QString value(const QString &section, const QString &key) const;

private:
    // "section=key", both names case-folded -> value.
    QHash<QString, QString> m_values;
};

} // namespace kivo
