#pragma once

#include <QString>

class QWidget;

namespace kivo {

// Writes a traffic view's text to a file: plain text, or HTML that keeps the colours when the
// name ends in .html or .htm. UTF-8 either way. The file is replaced only when all of it was
// written. On failure returns false with the reason.
bool saveView(QWidget *view, const QString &path, QString *error);

} // namespace kivo
