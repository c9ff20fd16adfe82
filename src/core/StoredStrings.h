#pragma once

#include "core/AppData.h"
#include "core/IniFile.h"

#include <QString>

namespace kivo {

// Loads the three stored-string tables and their framing options from the list file. Missing
// keys give empty texts and zero modes; a framing value that does not convert leaves its flag
// as it was.
void loadStoredStrings(AppData &data, const QString &listFile);
// The same from a list file already read (the file is read once, not once per key).
void loadStoredStrings(AppData &data, const IniDocument &listFile);

// Stores the description of message `row` (0-based) as the list file keeps it (line breaks as
// blanks) in memory and in the file. Returns false when the file could not be written.
[[nodiscard]] bool saveMessageDescription(AppData &data, int row, const QString &text,
                                          const QString &listFile);

// The written forms of the framing options: an STX flag as "-1"/"0", a line-end flag as
// "True"/"False". Both read back through their own conversion.
[[nodiscard]] QString stxText(bool on);
[[nodiscard]] QString crlfText(bool on);

// Read a framing value; a text that does not convert leaves `flag` as it was.
void readStxFlag(const QString &text, bool &flag);
void readCrlfFlag(const QString &text, bool &flag);

} // namespace kivo
