#pragma once

#include <QString>

#include <vector>

namespace kivo::viewsearch {

// Finding text in a traffic view's plain text, widget-free. The ASCII and hex views break the
// stream into lines with a "RECV : " or "SEND : " prefix (and a time when shown); a search runs
// over the bytes as they came, so a match may run on from one line into the next line of the
// same direction, but never across an end mark ([CRLF], [CR], [LF]), a line break inside a line,
// or from received into sent bytes. The terminal view is searched as it stands.

enum class Kind { Text, Hex, Terminal };

// A stretch of the document: positions as QTextCursor counts them (the plain text's indexes).
struct Piece
{
    int start = 0;
    int length = 0;
};

// One match: a piece per line it touches.
struct Match
{
    std::vector<Piece> pieces;
    [[nodiscard]] int start() const { return pieces.front().start; }
    [[nodiscard]] int end() const { return pieces.back().start + pieces.back().length; }
};

// A hex query as the hex view writes it: "0d0a", "0D 0A", " 0d 0A " all give "0D 0A". Empty when
// it is not whole pairs of hex digits.
[[nodiscard]] QString hexQuery(const QString &query);

// Every match of `query` in `plainText`, in order, not overlapping; case does not matter. A hex
// search matches whole bytes only.
[[nodiscard]] std::vector<Match> findAll(const QString &plainText, Kind kind, const QString &query);

} // namespace kivo::viewsearch
