#include "traffic/RichViewWriter.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

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
    m_pending.push_back({prefix, prefixColour, lineformat::buildLine(buffer)});
    if (m_holds == 0)
        commit();
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
    m_view->clear();
}

void RichViewWriter::commit()
{
    static const QTextCharFormat bodyFormat = colourFormat(kBodyColour);
    static const QTextCharFormat markFormat = colourFormat(kMarkColour);

    QTextDocument *document = m_view->document();
    m_gate.beforeChange();

    // Follow the length line by line to find the last cut-back. Everything before it ends up as
    // plain text, so only the lines after it need their colours.
    qsizetype length = document->characterCount() - 1;
    std::size_t lastCut = 0;
    bool cut = false;
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        if (const qsizetype drop = lineformat::charsToDrop(length); drop > 0) {
            length -= drop;
            lastCut = i;
            cut = true;
        }
        length += (length > 0 ? 1 : 0) + lineLength(m_pending[i].prefix, m_pending[i].line);
    }
    if (cut) {
        QString text = document->toPlainText();
        for (std::size_t i = 0; i < lastCut; ++i) {
            text.remove(0, lineformat::charsToDrop(text.size()));
            const PendingLine &p = m_pending[i];
            if (!text.isEmpty())
                text += QLatin1Char('\n');
            text += p.prefix + p.line.body + lineformat::endMarkText(p.line.mark);
        }
        text.remove(0, lineformat::charsToDrop(text.size()));
        document->setPlainText(text);
    }

    QTextCursor cursor(document);
    cursor.setPosition(document->characterCount() - 1);
    cursor.beginEditBlock();
    for (std::size_t i = lastCut; i < m_pending.size(); ++i) {
        const PendingLine &p = m_pending[i];
        const QTextCharFormat prefixFormat = colourFormat(p.colour);
        if (!document->isEmpty())
            cursor.insertText(QStringLiteral("\n"), prefixFormat);
        cursor.insertText(p.prefix, prefixFormat);
        if (!p.line.body.isEmpty())
            cursor.insertText(p.line.body, bodyFormat);
        if (p.line.mark != lineformat::EndMark::None)
            cursor.insertText(lineformat::endMarkText(p.line.mark), markFormat);
    }
    cursor.endEditBlock();
    m_pending.clear();

    m_view->setTextCursor(cursor);
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->maximum());
    // Keep the line starts in sight: the rulers above the view do not scroll sideways, so
    // following the caret to the end of a long line would shift the columns under them.
    m_view->horizontalScrollBar()->setValue(0);
}

} // namespace kivo
