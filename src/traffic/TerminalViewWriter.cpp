#include "traffic/TerminalViewWriter.h"

#include "traffic/LineFormat.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace kivo {

TerminalViewWriter::TerminalViewWriter(QPlainTextEdit *view) : m_view(view), m_gate(repaintedParts(view))
{
    m_view->document()->setUndoRedoEnabled(false);
    // A fixed-pitch traffic font needs no shaping; skipping it halves the cost of laying out a line.
    QFont font = m_view->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setKerning(false);
    m_view->setFont(font);
}

void TerminalViewWriter::append(const QString &text)
{
    m_pending.append(lineformat::terminalText(text, m_pendingCr));
    if (m_holds == 0)
        commit();
}

void TerminalViewWriter::hold()
{
    ++m_holds;
}

void TerminalViewWriter::release()
{
    if (m_holds > 0 && --m_holds == 0 && !m_pending.isEmpty())
        commit();
}

void TerminalViewWriter::clear()
{
    m_gate.beforeChange();
    m_pending.clear();
    m_pendingCr = false;
    m_view->clear();
}

void TerminalViewWriter::commit()
{
    QTextDocument *document = m_view->document();
    m_gate.beforeChange();

    qsizetype length = document->characterCount() - 1;
    bool cut = false;
    for (const QString &piece : std::as_const(m_pending)) {
        if (lineformat::charsToDrop(length) > 0) {
            cut = true;
            break;
        }
        length += piece.size();
    }
    QTextCursor cursor(document);
    if (cut) {
        QString text = document->toPlainText();
        for (const QString &piece : std::as_const(m_pending)) {
            text.remove(0, lineformat::charsToDrop(text.size()));
            text += piece;
        }
        document->setPlainText(text);
        cursor.movePosition(QTextCursor::End);
    } else {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(m_pending.join(QString()));
    }
    m_pending.clear();

    m_view->setTextCursor(cursor);
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace kivo
