#include "tools/frmOriel.h"

#include "MainWindow.h"
#include "PtyPair.h"
#include "traffic/TrafficViews.h"

using namespace kivo;
using namespace kivotest;

class tst_frmOriel : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_sent.clear(); }

    void everyButtonSendsItsFrameAsHexa_data()
    {
        DataTable<QString, QByteArray> add("button", "bytes");
        const auto row = [&add](const char *button, const char *hex) {
            add(button, button, QByteArray::fromHex(hex));
        };
        row("Command1", "52580001 0040 2C 0004 3A AB 0D");
        row("Command2", "52580001 0044 2C 0004 3A AF 0D");
        row("Command3", "52580001 0048 2C 0004 3A B3 0D");
        row("Command4", "52580001 004C 2C 0004 3A B7 0D");
        row("Command5", "52580001 0050 2C 0002 3A B9 0D");
        row("Command6", "52580001 0052 2C 0002 3A BB 0D");
        row("Command7", "52580001 0054 2C 002E 3A E9 0D");
        row("Command11", "52460016 4105 2C 015E 3A 21 0D");
        row("Command8", "4753 0001 30 0D");
        row("Command9", "52 53 0D");
        row("Command10", "52 56 0D");
    }
    void everyButtonSendsItsFrameAsHexa()
    {
        const auto [button, bytes] = fetch<QString, QByteArray>("button", "bytes");
        MessageLog log;
        auto form = makeForm();
        control<QPushButton>(*form, qPrintable(button))->click();
        QCOMPARE(m_sent, QByteArrayList{bytes});
        QVERIFY(log.boxes.isEmpty());
    }

    void typedRecordReadsStepTheirBoxAndText2Follows_data()
    {
        DataTable<QString, QString, QString, QByteArray, QString> row("button", "box", "before", "hex",
                                                                      "after");
        row("record 3", "Command7", "Text1", "3", "5258000100B02C002E3A450D", "4");
        row("letters count 0", "Command7", "Text1", "abc", "5258000100262C002E3ABB0D", "1");
        row("leading number read", "Command7", "Text1", "2x", "5258000100822C002E3A170D", "3");
        row("PLU record 2", "Command11", "Text3", "2", "5246001642632C015E3A800D", "3");
    }
    void typedRecordReadsStepTheirBoxAndText2Follows()
    {
        const auto [button, box, before, hex, after] =
            fetch<QString, QString, QString, QByteArray, QString>("button", "box", "before", "hex", "after");
        auto form = makeForm();
        auto *edit = control<QLineEdit>(*form, qPrintable(box));
        edit->clear();
        QTest::keyClicks(edit, before);
        // Typing a record number into Text1 shows it in Text2 too.
        QCOMPARE(form->Text2->text(), box == QLatin1String("Text1") ? before : u"1"_s);
        control<QPushButton>(*form, qPrintable(button))->click();
        QCOMPARE(m_sent, QByteArrayList{QByteArray::fromHex(hex)});
        QCOMPARE(edit->text(), after);
        // The acknowledgment number follows the record box only.
        QCOMPARE(form->Text2->text(), box == QLatin1String("Text1") ? after : u"1"_s);
        form->Command8->click();
        QCOMPARE(m_sent.size(), 2);
        QCOMPARE(quint8(m_sent[1][3]), quint8(form->Text2->text().toInt()));
    }

    void valueThatDoesNotFitSendsNothingAndNamesTheBox_data()
    {
        DataTable<QString, QString, QString> row("button", "box", "text");
        row("negative address", "Command7", "Text1", "-1426");
        row("address beyond 32 bits", "Command7", "Text1", "93367429");
        row("PLU address beyond 32 bits", "Command11", "Text3", "12267170");
        row("serial above 65535", "Command8", "Text2", "65536");
        row("negative serial", "Command8", "Text2", "-1");
    }
    void valueThatDoesNotFitSendsNothingAndNamesTheBox()
    {
        const auto [button, box, text] = fetch<QString, QString, QString>("button", "box", "text");
        MessageLog log;
        auto form = makeForm();
        auto *edit = control<QLineEdit>(*form, qPrintable(box));
        edit->setText(text);
        control<QPushButton>(*form, qPrintable(button))->click();
        QVERIFY(m_sent.isEmpty());
        QCOMPARE(edit->text(), text);
        QCOMPARE(log.boxes.size(), 1);
        QVERIFY(log.boxes[0].text.contains(box));
        QVERIFY(describe(log.boxes[0]).startsWith(u"Warning|Kivo|"_s));
    }

    // Through the real window: the hidden button opens one topmost form, its frame reaches the
    // port and shows in the hex view as a SEND line, and the form goes with the window.
    void hiddenMainButtonOpensOneTopmostFormThatSendsThroughThePort()
    {
        MessageLog log;
        PtyPair pty;
        auto main = openWindow();
        connectSerial(*main, pty.slavePath());
        main->views()->selectTab(ViewTab::Hexa);
        QVERIFY(!button(*main, "cmdOriel")->isVisible());
        button(*main, "cmdOriel")->click();
        button(*main, "cmdOriel")->click();
        QList<frmOriel *> forms;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<frmOriel *>(w))
                forms << f;
        QCOMPARE(forms.size(), 1);
        QPointer<frmOriel> form = forms[0];
        QVERIFY(form->isVisible());
        QCOMPARE(form->parentWidget(), nullptr);
        QCOMPARE(form->windowTitle(), u"Oriel 테스트"_s);
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(form->pos(), QPoint(500, 200));

        const QByteArray bytes = QByteArray::fromHex("52580001 0040 2C 0004 3A AB 0D");
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QByteArray received;
        QTRY_COMPARE((received += pty.deviceReceived()), bytes);
        QVERIFY(log.boxes.isEmpty());
        QVERIFY(control<QTextEdit>(*main, "rtfPrintHex")
                    ->toPlainText()
                    .contains(u"SEND : "_s + QString::fromLatin1(bytes.toHex(' ').toUpper())));
        main.reset();
        QVERIFY(form.isNull());
    }

private:
    std::unique_ptr<frmOriel> makeForm()
    {
        auto form = std::make_unique<frmOriel>([this](const QString &text, int16_t format) {
            QCOMPARE(format, int16_t(2));
            m_sent << QByteArray::fromHex(text.toLatin1());
        });
        form->show();
        return form;
    }
    QByteArrayList m_sent;
};

KIVO_TEST_MAIN(tst_frmOriel)
#include "tst_frmOriel.moc"
