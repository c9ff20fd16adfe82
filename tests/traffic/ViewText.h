#pragma once

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace kivotest {

// A rich view's text with its colours written out: "{0000ff}RECV : {000000}AB{c0c0c0}[CRLF]";
// text without a colour of its own is written after "{}". Blocks are joined with "\n".
inline QString colouredText(const QTextDocument *document)
{
    QString out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            out += QLatin1Char('\n');
        QString lastColour = QStringLiteral("none");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QString colour = format.hasProperty(QTextFormat::ForegroundBrush)
                                       ? format.foreground().color().name().mid(1)
                                       : QString();
            if (colour != lastColour)
                out += QLatin1Char('{') + colour + QLatin1Char('}');
            lastColour = colour;
            out += fragment.text();
        }
    }
    return out;
}

inline QString colouredText(const QTextEdit *view)
{
    return colouredText(view->document());
}

} // namespace kivotest
