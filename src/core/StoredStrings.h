#pragma once

#include "core/AppData.h"

#include <QString>

namespace kivo {

// Loads the three stored-string tables and their framing options from the list file. Missing
// keys give empty texts and zero modes; a framing value that does not convert leaves its flag
// as it was.
void loadStoredStrings(AppData &data, const QString &listFile);

// The written forms of the framing options: an STX flag as "-1"/"0", a line-end flag as
// "True"/"False". Both read back through their own conversion.
[[nodiscard]] QString stxText(bool on);
[[nodiscard]] QString crlfText(bool on);

// Read a framing value; a text that does not convert leaves `flag` as it was.
void readStxFlag(const QString &text, bool &flag);
void readCrlfFlag(const QString &text, bool &flag);

} // namespace kivo
