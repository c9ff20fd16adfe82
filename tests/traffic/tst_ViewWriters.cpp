#include "KivoTest.h"
#include "ViewText.h"

#include "traffic/RichViewWriter.h"
#include "traffic/TerminalViewWriter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>

using kivo::RichViewWriter;
using kivo::TerminalViewWriter;
using kivotest::colouredText;

class tst_ViewWriters : public QObject
{
    Q_OBJECT
private slots:
    void linesCarryPrefixBodyAndMarkColours();
    void viewPastLimitKeepsFrom9000thCharacterAsPlainText();
    void heldLinesEndUpAsIfWrittenOneByOne_data();
    void heldLinesEndUpAsIfWrittenOneByOne();
    void terminalViewCutsBackAndKeepsControlCharacters();
    void caretFollowsTheNewestLine();
};

void tst_ViewWriters::linesCarryPrefixBodyAndMarkColours()
{
    QTextEdit view;
    RichViewWriter writer(&view);
    writer.writeLine(RichViewWriter::kRecvPrefix, RichViewWriter::kRecvColour, QStringLiteral("AB\r\n"));
    writer.writeLine(RichViewWriter::kSendPrefix, RichViewWriter::kSendColour, QStringLiteral("AB"));
    writer.writeLine(RichViewWriter::kRecvPrefix, RichViewWriter::kRecvColour, QStringLiteral("\tB\n\r"));
    QCOMPARE(colouredText(&view), QStringLiteral("{0000ff}RECV : {000000}AB{c0c0c0}[CRLF]\n"
                                                 "{ff00ff}SEND : {000000}AB\n"
                                                 "{0000ff}RECV : {000000}?B\n"
                                                 "{c0c0c0}[CR]"));
}

void tst_ViewWriters::viewPastLimitKeepsFrom9000thCharacterAsPlainText()
{
    QTextEdit view;
    RichViewWriter writer(&view);
    const QString old = QString(8999, u'x') + QString(1002, u'k');
    view.setPlainText(old);
    writer.writeLine(RichViewWriter::kRecvPrefix, RichViewWriter::kRecvColour, QStringLiteral("AB"));
    QCOMPARE(colouredText(&view),
             QStringLiteral("{}") + QString(1002, u'k') + QStringLiteral("\n{0000ff}RECV : {000000}AB"));

    view.setPlainText(QString(10000, u'k'));
    writer.writeLine(RichViewWriter::kRecvPrefix, RichViewWriter::kRecvColour, QStringLiteral("AB"));
    QCOMPARE(view.toPlainText().size(), 10000 + 1 + 9);
}

void tst_ViewWriters::heldLinesEndUpAsIfWrittenOneByOne_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("no cut-back") << 20;
    QTest::newRow("one cut-back") << 400;
    QTest::newRow("many cut-backs") << 2500;
}

void tst_ViewWriters::heldLinesEndUpAsIfWrittenOneByOne()
{
    QFETCH(int, lines);
    QTextEdit single, held;
    RichViewWriter one(&single), batch(&held);
    const QString seed = QString(7000, u's');
    single.setPlainText(seed);
    held.setPlainText(seed);
    batch.hold();
    for (int i = 0; i < lines; ++i) {
        const QString buffer = QString::number(i) + (i % 3 ? QStringLiteral("\r\n") : QStringLiteral("\r"));
        const bool send = i % 7 == 0;
        const QString &prefix = send ? RichViewWriter::kSendPrefix : RichViewWriter::kRecvPrefix;
        const QColor &colour = send ? RichViewWriter::kSendColour : RichViewWriter::kRecvColour;
        one.writeLine(prefix, colour, buffer);
        batch.writeLine(prefix, colour, buffer);
    }
    QCOMPARE(held.toPlainText(), seed);
    batch.release();
    QCOMPARE(colouredText(&held), colouredText(&single));
}

void tst_ViewWriters::terminalViewCutsBackAndKeepsControlCharacters()
{
    QPlainTextEdit view;
    TerminalViewWriter writer(&view);
    writer.append(QString::fromLatin1("A\tB\0\r", 5));
    writer.append(QStringLiteral("\nC"));
    QCOMPARE(view.toPlainText(), QString::fromLatin1("A\tB\0\nC", 6));

    view.setPlainText(QString(10001, u'k'));
    writer.hold();
    for (int i = 0; i < 400; ++i)
        writer.append(QStringLiteral("0123456789012345678901\r\n"));
    writer.release();
    QString expected = QString(10001, u'k');
    for (int i = 0; i < 400; ++i) {
        if (expected.size() > 10000)
            expected.remove(0, 8999);
        expected += QStringLiteral("0123456789012345678901\n");
    }
    QCOMPARE(view.toPlainText(), expected);
}

void tst_ViewWriters::caretFollowsTheNewestLine()
{
    QTextEdit view;
    view.resize(300, 100);
    view.show();
    RichViewWriter writer(&view);
    for (int i = 0; i < 200; ++i)
        writer.writeLine(RichViewWriter::kRecvPrefix, RichViewWriter::kRecvColour,
                         QStringLiteral("line\r\n"));
    QCOMPARE(view.textCursor().position(), view.document()->characterCount() - 1);
    QVERIFY(view.verticalScrollBar()->value() > 0);
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

KIVO_TEST_MAIN(tst_ViewWriters)
#include "tst_ViewWriters.moc"
