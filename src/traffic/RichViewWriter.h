#pragma once

#include "traffic/LineFormat.h"
#include "traffic/RepaintGate.h"

#include <QColor>
#include <QString>

#include <vector>

class QTextEdit;

namespace kivo {

// Writes RECV and SEND lines into one rich-text view (ASCII or hex). Lines can be held while a
// received chunk is worked through and then go into the document as one edit, so a 4 KB read
// costs one layout instead of two hundred; the view's text comes out exactly as if every line had
// been written on its own, cut-backs included.
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

    QTextEdit *m_view;
    RepaintGate m_gate;
    int m_holds = 0;
    std::vector<PendingLine> m_pending;
};

} // namespace kivo
