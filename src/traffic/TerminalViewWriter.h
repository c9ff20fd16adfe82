#pragma once

#include "traffic/RepaintGate.h"

#include <QString>
#include <QStringList>

class QPlainTextEdit;

namespace kivo {

// Appends received text to the terminal-style view: no prefixes, no marks, control characters as
// they come, and CR LF, CR or LF as one line break each. Like RichViewWriter it can hold text
// while a chunk is worked through and append it in one edit.
class TerminalViewWriter
{
public:
    explicit TerminalViewWriter(QPlainTextEdit *view);

    // Appends the text; a view holding more than the limit is first cut back to its text from the
    // 9000th character on.
    void append(const QString &text);

    void hold();
    void release();

    // Empties the view, held text included.
    void clear();

    [[nodiscard]] QPlainTextEdit *view() const { return m_view; }

private:
    void commit();

    QPlainTextEdit *m_view;
    RepaintGate m_gate;
    int m_holds = 0;
    bool m_pendingCr = false;
    QStringList m_pending;
};

} // namespace kivo
