#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kivo {

// A request as one line of text, as the pattern dialog shows it and the list file keeps it:
// printable ASCII stands for itself, and \r, \n, \t, \\ and \xHH (two hex digits) for the other
// bytes ("SI\r\n").
[[nodiscard]] QString requestText(const QByteArray &bytes);

// The bytes a request text stands for; nothing, with the reason in *error, for a text with an
// unknown escape, a \x without two hex digits, or a character outside ASCII.
[[nodiscard]] std::optional<QByteArray> requestBytes(const QString &text, QString *error = nullptr);

} // namespace kivo
