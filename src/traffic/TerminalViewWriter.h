#pragma once

#include "traffic/RepaintGate.h"

#include <QString>

class QPlainTextEdit;

namespace kivo {

// Appends received text to the terminal-style view: no prefixes, no marks, control characters as
// they come, and CR LF, CR or LF as one line break each. Like RichViewWriter it can hold text
// while received data is worked through and append it in one edit; a cut-back while held is
// applied to the waiting text at once, so it stays bounded.
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
    // Since the last commit: when m_replaced, the view's whole text is to become m_text; else
    // m_text is appended to it.
    bool m_replaced = false;
    QString m_text;
};

} // namespace kivo
