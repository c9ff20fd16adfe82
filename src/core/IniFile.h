#pragma once

#include <QString>

namespace kivo {

// A private-profile (Windows ini) reader and writer for the list file. Unlike QSettings it keeps
// every line it does not change byte for byte (comments, unknown keys, order, CR LF or LF).
//
// Read: section and key names match without regard to letter case; the value is trimmed of
// blanks and loses one pair of enclosing double or single quotes; a missing file, section or key
// gives "". Values are read whole (no length cut).
[[nodiscard]] QString ReadIni(const QString &section, const QString &key, const QString &fileName);

// Write one key: replaces its value in place, or adds the key at the end of its section, or adds
// the section at the end of the file, or creates the file (CR LF line ends). A value that would
// not read back as written (blanks around it, enclosing quotes) is written inside double quotes.
// The file is replaced atomically (temporary file + rename, keeping permissions, through a
// symbolic link to its target). Text is in the program's code page. Returns false when the file
// could not be written.
[[nodiscard]] bool WriteIni(const QString &section, const QString &key, const QString &value,
                            const QString &fileName);

} // namespace kivo
