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
    const QString piece = lineformat::terminalText(text, m_pendingCr);
    const qsizetype length =
        m_replaced ? m_text.size() : m_view->document()->characterCount() - 1 + m_text.size();
    if (const qsizetype drop = lineformat::charsToDrop(length); drop > 0) {
        if (!m_replaced) {
            m_text.prepend(m_view->toPlainText());
            m_replaced = true;
        }
        m_text.remove(0, drop);
    }
    m_text += piece;
    if (m_holds == 0)
        commit();
}

void TerminalViewWriter::hold()
{
    ++m_holds;
}

void TerminalViewWriter::release()
{
    if (m_holds > 0 && --m_holds == 0 && (m_replaced || !m_text.isEmpty()))
        commit();
}

void TerminalViewWriter::clear()
{
    m_gate.beforeChange();
    m_text.clear();
    m_replaced = false;
    m_pendingCr = false;
    m_view->clear();
}

void TerminalViewWriter::commit()
{
    QTextDocument *document = m_view->document();
    m_gate.beforeChange();

    QTextCursor cursor(document);
    if (m_replaced) {
        document->setPlainText(m_text);
        cursor.movePosition(QTextCursor::End);
    } else {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(m_text);
    }
    m_text.clear();
    m_replaced = false;

    m_view->setTextCursor(cursor);
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace kivo
