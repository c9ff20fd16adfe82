#include "traffic/RichViewWriter.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace kivo {

namespace {

QTextCharFormat colourFormat(const QColor &colour)
{
    QTextCharFormat format;
    format.setForeground(colour);
    return format;
}

qsizetype lineLength(const QString &prefix, const lineformat::Line &line)
{
    return prefix.size() + line.body.size() + lineformat::endMarkText(line.mark).size();
}

} // namespace

RichViewWriter::RichViewWriter(QTextEdit *view) : m_view(view), m_gate(repaintedParts(view))
{
    m_view->document()->setUndoRedoEnabled(false);
    // Traffic is left to right; saying so spares the layout a scan of every line's text for its
    // direction each time a line is added.
    QTextOption option = m_view->document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    m_view->document()->setDefaultTextOption(option);
    // A fixed-pitch traffic font needs no shaping; skipping it halves the cost of laying out a line.
    QFont font = m_view->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setKerning(false);
    m_view->setFont(font);
    m_view->setTextColor(kBodyColour);
}

void RichViewWriter::writeLine(const QString &prefix, const QColor &prefixColour, const QString &buffer)
{
    PendingLine line{prefix, prefixColour, lineformat::buildLine(buffer)};
    qsizetype length = heldLength();
    if (const qsizetype drop = lineformat::charsToDrop(length); drop > 0) {
        // The cut-back turns everything before this line into plain text: fold it in now.
        if (!m_replaced) {
            m_plainHead = m_view->document()->toPlainText();
            m_replaced = true;
        }
        for (const PendingLine &p : m_pending) {
            if (!m_plainHead.isEmpty())
                m_plainHead += QLatin1Char('\n');
            m_plainHead += p.prefix;
            m_plainHead += p.line.body;
            m_plainHead += lineformat::endMarkText(p.line.mark);
        }
        m_pending.clear();
        m_pendingChars = 0;
        m_plainHead.remove(0, drop);
        length = m_plainHead.size();
    }
    m_pendingChars += (length > 0 ? 1 : 0) + lineLength(line.prefix, line.line);
    m_pending.push_back(std::move(line));
    if (m_holds == 0)
        commit();
}

qsizetype RichViewWriter::heldLength() const
{
    const qsizetype base = m_replaced ? m_plainHead.size() : m_view->document()->characterCount() - 1;
    return base + m_pendingChars;
}

void RichViewWriter::hold()
{
    ++m_holds;
}

void RichViewWriter::release()
{
    if (m_holds > 0 && --m_holds == 0 && !m_pending.empty())
        commit();
}

void RichViewWriter::clear()
{
    m_gate.beforeChange();
    m_pending.clear();
    m_pendingChars = 0;
    m_replaced = false;
    m_plainHead.clear();
    m_view->clear();
}

void RichViewWriter::commit()
{
    static const QTextCharFormat bodyFormat = colourFormat(kBodyColour);
    static const QTextCharFormat markFormat = colourFormat(kMarkColour);

    QTextDocument *document = m_view->document();
    m_gate.beforeChange();

    // One edit for the whole commit, so the document is laid out once: a cut-back's plain text
    // replaces the whole view and the new lines follow it.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    const bool replaced = m_replaced;
    if (m_replaced) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        cursor.setBlockCharFormat(QTextCharFormat());
        cursor.insertText(m_plainHead, QTextCharFormat());
        m_replaced = false;
        m_plainHead.clear();
    } else {
        cursor.movePosition(QTextCursor::End);
    }
    const int firstChanged = replaced ? 0 : cursor.blockNumber();
    for (const PendingLine &p : m_pending) {
        const QTextCharFormat prefixFormat = colourFormat(p.colour);
        if (cursor.position() > 0)
            cursor.insertText(QStringLiteral("\n"), prefixFormat);
        cursor.insertText(p.prefix, prefixFormat);
        if (!p.line.body.isEmpty())
            cursor.insertText(p.line.body, bodyFormat);
        if (p.line.mark != lineformat::EndMark::None)
            cursor.insertText(lineformat::endMarkText(p.line.mark), markFormat);
    }
    cursor.endEditBlock();
    m_pending.clear();
    m_pendingChars = 0;
    // Keep each line's shaped glyphs between paints. Without the cache every repaint shapes every
    // visible line again from its first character, and a line of a large read is thousands of
    // characters long in a view that does not wrap; the view's limit bounds what the cache holds.
    for (QTextBlock b = document->findBlockByNumber(firstChanged); b.isValid(); b = b.next())
        b.layout()->setCacheEnabled(true);

    // Moving the caret makes the view lay out its last line again to find the caret's place:
    // skip it when the caret is at the end already (new lines at the end carry it along).
    const QTextCursor caret = m_view->textCursor();
    if (caret.hasSelection() || caret.position() != cursor.position())
        m_view->setTextCursor(cursor);
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->maximum());
    // Keep the line starts in sight: the rulers above the view do not scroll sideways, so
    // following the caret to the end of a long line would shift the columns under them.
    m_view->horizontalScrollBar()->setValue(0);
}

} // namespace kivo
