#pragma once

#include <QByteArray>
#include <QString>

namespace kivo::lineformat {

// The rules that turn received bytes into the lines of the traffic views, kept apart from the
// widgets so they can be checked on their own.

// A text buffer (ASCII or terminal view) prints at this many characters even without a line end.
inline constexpr qsizetype kLineChars = 22;
// The hex buffer prints at this many characters: 22 bytes, three characters each.
inline constexpr qsizetype kHexLineChars = 66;
// A view holding more than this many characters is cut back before the next line...
inline constexpr qsizetype kViewLimit = 10000;
// ...to its text from this index on (the 9000th character).
inline constexpr qsizetype kKeepFrom = 8999;

inline const QString kCrLf = QStringLiteral("\r\n");
inline const QString kHexCrLf = QStringLiteral("0D 0A ");

// True when a text buffer is to be printed now: 22 characters or more, or a closing CR LF.
[[nodiscard]] bool textDue(const QString &buffer);
// True when the hex buffer is to be printed now: 66 characters or more, or a closing "0D 0A ".
[[nodiscard]] bool hexDue(const QString &buffer);

// Appends two upper-case hex digits and one blank per byte: 13 10 appends "0D 0A ".
void appendHex(QString &buffer, const QByteArray &bytes);

enum class EndMark { None, CrLf, Cr, Lf };

// The silver text shown for a line end: "[CRLF]", "[CR]", "[LF]", or nothing.
[[nodiscard]] QString endMarkText(EndMark mark);

// One line of the ASCII or hex view, split into the black body and the silver end mark.
struct Line
{
    QString body; // ready to insert: '?' for unprintable characters, a '\n' for each inner break
    EndMark mark = EndMark::None;
};

// Builds the line for a buffer (or a sent text). Every character below 32 or above 127, other than
// CR and LF, becomes '?' (a character outside the basic plane counts as one); 127 stays. A closing
// CR LF, CR or LF, tested in that order, becomes the end mark. Inner CR LF, CR and LF each become
// one line break.
[[nodiscard]] Line buildLine(const QString &buffer);

// Text for the terminal view: control characters stay, but CR LF, CR and LF each become one line
// break, also when a CR LF is split between two appends (pendingCr carries a closing CR over).
[[nodiscard]] QString terminalText(const QString &text, bool &pendingCr);

// How many leading characters a view of `length` characters drops before its next line: once it
// holds more than 10000, the first 8999 (it keeps its text from the 9000th character on), or as
// many more as bring it back to 10000; else none.
[[nodiscard]] qsizetype charsToDrop(qsizetype length);

} // namespace kivo::lineformat
