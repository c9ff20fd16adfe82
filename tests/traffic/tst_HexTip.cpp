#include "KivoTest.h"

#include "app/frmMain.h"
#include "traffic/TrafficViews.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>

#include <memory>

class tst_HexTip : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void draggingOverHexShowsItsCharactersBelowThePointer();
    void tipHidesThreeSecondsAfterReleaseOrAtOnceOnAPlainClick();
    void oneCharacterSelectionKeepsTheLastText();

private:
    kivo::TrafficViews &views() { return *m_window->views(); }
    QPoint charPos(int position);
    void mouse(QEvent::Type type, int position, Qt::MouseButton button, Qt::MouseButtons buttons);
    // Press at `from`, drag to `to` (character positions in the hex view).
    void drag(int from, int to);

    std::unique_ptr<frmMain> m_window;
};

void tst_HexTip::init()
{
    kivotest::resetStores();
    m_window = std::make_unique<frmMain>();
    m_window->setEndProgram([] {});
    m_window->show();
    views().tabPrintSelect->setCurrentIndex(1); // "Hexa"
    QString line = QStringLiteral("41 42 43 0D 0A ");
    views().PrintSend(views().rtfPrintHex, line);
}

void tst_HexTip::cleanup()
{
    m_window.reset();
}

QPoint tst_HexTip::charPos(int position)
{
    QTextCursor cursor(views().rtfPrintHex->document());
    cursor.setPosition(position);
    const QRect r = views().rtfPrintHex->cursorRect(cursor);
    return QPoint(r.left() + 1, r.center().y());
}

void tst_HexTip::mouse(QEvent::Type type, int position, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QWidget *viewport = views().rtfPrintHex->viewport();
    const QPoint at = charPos(position);
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

void tst_HexTip::drag(int from, int to)
{
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
}

void tst_HexTip::draggingOverHexShowsItsCharactersBelowThePointer()
{
    // "SEND : 41 42 43 0D 0A ": the hex text starts at position 7.
    drag(7, 15);
    QCOMPARE(views().rtfPrintHex->textCursor().selectedText(), QStringLiteral("41 42 43"));
    QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("ABC"));
    QVERIFY(views().picHextoAscii->isVisible());
    const QPoint pointer =
        views().rtfPrintHex->viewport()->mapTo(views().picHextoAscii->parentWidget(), charPos(15));
    QVERIFY(views().picHextoAscii->y() > pointer.y());
    QVERIFY(views().picHextoAscii->width() > views().lblHextoAscii->width());
    const int oneLine = views().picHextoAscii->height();

    // Moving on to the line end puts a break into the tip, which grows a line.
    mouse(QEvent::MouseMove, 22, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("ABC\r\n"));
    QVERIFY(views().picHextoAscii->height() > oneLine);
}

void tst_HexTip::tipHidesThreeSecondsAfterReleaseOrAtOnceOnAPlainClick()
{
    QCOMPARE(views().tmrHexTipDelay->interval(), 3000);
    views().tmrHexTipDelay->setInterval(100);
    drag(7, 12);
    mouse(QEvent::MouseButtonRelease, 12, Qt::LeftButton, Qt::NoButton);
    QVERIFY(views().picHextoAscii->isVisible());
    QVERIFY(views().tmrHexTipDelay->isActive());
    QTRY_VERIFY(!views().picHextoAscii->isVisible());
    QVERIFY(!views().tmrHexTipDelay->isActive());

    views().tmrHexTipDelay->setInterval(60000);
    drag(13, 18);
    mouse(QEvent::MouseButtonRelease, 18, Qt::LeftButton, Qt::NoButton);
    QVERIFY(views().picHextoAscii->isVisible());
    mouse(QEvent::MouseButtonPress, 9, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(views().picHextoAscii->isVisible());
    mouse(QEvent::MouseButtonRelease, 9, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!views().picHextoAscii->isVisible());
    QVERIFY(!views().bTipArmed);
}

void tst_HexTip::oneCharacterSelectionKeepsTheLastText()
{
    drag(7, 12);
    QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("AB"));
    mouse(QEvent::MouseMove, 8, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(views().rtfPrintHex->textCursor().selectedText().size(), 1);
    QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("AB"));
}

KIVO_TEST_MAIN(tst_HexTip)
#include "tst_HexTip.moc"
