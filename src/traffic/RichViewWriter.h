#pragma once

#include "traffic/LineFormat.h"
#include "traffic/RepaintGate.h"

#include <QColor>
#include <QString>

#include <vector>

class QTextEdit;

namespace kivo {

// Writes RECV and SEND lines into one rich-text view (ASCII or hex). Lines can be held while
// received data is worked through and then go into the document as one edit; the view's text
// comes out exactly as if every line had been written on its own, cut-backs included. While held,
// a cut-back folds everything before it into plain text at once, so what waits for the document
// stays within about twice the view's limit however much arrives, and lines that a later cut-back
// removes never reach the document.
class RichViewWriter
{
public:
    static inline const QColor kRecvColour{0, 0, 255};
    static inline const QColor kSendColour{255, 0, 255};
    static inline const QColor kBodyColour{0, 0, 0};
    static inline const QColor kMarkColour{192, 192, 192};
    static inline const QString kRecvPrefix = QStringLiteral("RECV : ");
    static inline const QString kSendPrefix = QStringLiteral("SEND : ");

    // Takes the view for traffic: no undo history (it would grow without end), black text.
    explicit RichViewWriter(QTextEdit *view);

    // Appends one line: the prefix in its colour, on a new line unless the view is empty, the
    // body of `buffer` in black and its end mark in silver. Before the line a view holding more
    // than the limit is cut back to its text from the 9000th character on, as plain text.
    void writeLine(const QString &prefix, const QColor &prefixColour, const QString &buffer);

    // While held (calls nest), lines wait and go in at the last release.
    void hold();
    void release();

    // Empties the view, held lines included.
    void clear();

    [[nodiscard]] QTextEdit *view() const { return m_view; }

private:
    struct PendingLine
    {
        QString prefix;
        QColor colour;
        lineformat::Line line;
    };

    void commit();
    // The length the view has with the waiting lines in it.
    [[nodiscard]] qsizetype heldLength() const;

    QTextEdit *m_view;
    RepaintGate m_gate;
    int m_holds = 0;
    // Since the last commit: when m_replaced, the view's whole text before m_pending is m_plainHead
    // (a cut-back made it plain); m_pending are the lines after the last cut-back, with colours.
    bool m_replaced = false;
    QString m_plainHead;
    std::vector<PendingLine> m_pending;
    qsizetype m_pendingChars = 0; // separators included
};

} // namespace kivo
