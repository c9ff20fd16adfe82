#include "MainWindow.h"
#include "PtyPair.h"

#include "tools/OrielFrames.h"
#include "tools/ProgramListLauncher.h"
#include "tools/frmAbout.h"
#include "tools/frmOriel.h"

#include <QAction>

using namespace kivo;
using namespace kivotest;

// A field or frame as text, an address or field value in hex ("0x18"); "-" when refused.
template <class T> static QString text(const std::optional<T> &value)
{
    if constexpr (std::is_same_v<T, QString>)
        return value.value_or(u"-"_s);
    else
        return value ? u"0x"_s + QString::number(*value, 16).toUpper() : u"-"_s;
}

// The About box, then the serial-number test form: its frames, and the form alone and in the real
// window.
class tst_Tools : public QObject
{
    Q_OBJECT
private slots:
    void showsTitleAndBuildVersion()
    {
        frmAbout box;
        // The version is the build's project version, as CMake knows it.
        QCOMPARE((QStringList{box.windowTitle(), box.lblTitle->text(), box.lblVersion->text()}),
                 (QStringList{u"Kivo"_s, u"Kivobench"_s, QStringLiteral("Ver. " KIVO_EXPECTED_VERSION)}));
        QVERIFY(!box.Image1->pixmap().isNull());
    }

    void enterAndEscClose_data()
    {
        DataTable<int, int> row("key", "result");
        row("Enter", Qt::Key_Return, QDialog::Accepted);
        row("keypad Enter", Qt::Key_Enter, QDialog::Accepted);
        row("Esc", Qt::Key_Escape, QDialog::Rejected);
    }
    void enterAndEscClose()
    {
        const auto [key, result] = fetch<int, int>("key", "result");
        frmAbout box;
        box.setResult(-1);
        box.show();
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), result);
    }

    // "tried" is the program the box tried to start (empty: none).
    void sysInfoStartsFirstInstalledOrShowsMessage_data()
    {
        DataTable<QStringList, bool, QString, bool> row("installed", "startWorks", "tried", "message");
        row("no tool installed", {}, true, {}, true);
        row("installed tool will not start", {"hardinfo"}, false, "/usr/bin/hardinfo", true);
        row("first installed of the list", {"xfce4-taskmanager", "kinfocenter"}, true, "/usr/bin/kinfocenter",
            false);
    }
    void sysInfoStartsFirstInstalledOrShowsMessage()
    {
        const auto [installed, startWorks, message] =
            fetch<QStringList, bool, bool>("installed", "startWorks", "message");
        MessageLog log;
        QString tried;
        frmAbout box(std::make_unique<ProgramListLauncher>(
            ProgramListLauncher::defaultPrograms(),
            [&](const QString &p) { return installed.contains(p) ? u"/usr/bin/"_s + p : QString(); },
            [&](const QString &path) {
                tried = path;
                return startWorks;
            }));
        box.show();
        box.cmdSysInfo->click();
        QTEST(tried, "tried");
        QVERIFY(box.isVisible());
        QCOMPARE(describe(log.boxes),
                 QStringList(message ? 1 : 0, u"NoIcon|Kivo|지금은 시스템 정보를 사용할 수 없습니다."_s));
    }

    void helpMenuOpensModalBoxWithoutOwner()
    {
        auto main = openWindow();
        bool sawAbout = false;
        QWidget *owner = main.get();
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            sawAbout = qobject_cast<frmAbout *>(modal) != nullptr;
            if (modal) {
                owner = modal->parentWidget();
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        control<QAction>(*main, "mnuHelp_About")->trigger();
        QVERIFY(sawAbout);
        QCOMPARE(owner, nullptr);
    }

    // Each row's value as the form's arithmetic gives it; "-": refused, the value does not fit.
    // Ordinary records (3, 0, PLU 2) and the first refused on either side (-1426, 93367429), serials
    // 65536, -1 and 1, and a sum without carry (Command1's frame) are checked through the form below.
    void fieldsFramesAndSumsAreExactOrRefused_data()
    {
        DataTable<QString, QString> row("got", "expected");
        row("hex field padded to four digits", text(HexField(1, 2)), "0001");
        row("hex field in upper case", text(HexField(0x1005e, 4)), "0001005E");
        row("hex field already full width", text(HexField(0xFFFF, 2)), "FFFF");
        row("hex field at the 32-bit maximum", text(HexField(0xFFFFFFFF, 4)), "FFFFFFFF");
        row("hex field one too large for 2 bytes", text(HexField(0x10000, 2)), "-");
        row("hex field one too large for 4 bytes", text(HexField(0x100000000, 4)), "-");
        row("hex field negative", text(HexField(-1, 4)), "-");
        row("field value of no bytes", text(fieldValue(1.0, 0)), "-");
        row("field value of a negative size", text(fieldValue(1.0, -1)), "-");
        row("field value 2^63 in 8 bytes", text(fieldValue(0x1p63, 8)), "-");
        row("largest double below 2^63", text(fieldValue(0x1.fffffffffffffp62, 8)), "0x7FFFFFFFFFFFFC00");
        row("read frame keeps two digits of a low letter", text(readFrame('\x05', 4, 0x10054)),
            "5205000100542C00043ABF0D");
        row("sum check drops the carry", SumCheck(u"FF 02"), "01");
        row("sum check keeps a leading zero", SumCheck(u"2C D9"), "05");
        row("last record below 4 GiB", text(recordAddress(93367428, kRecordTable, kRecordSize)),
            "0xFFFFFFDE");
        row("lowest record", text(recordAddress(-1425, kRecordTable, kRecordSize)), "0x18");
        // The serial as the box's number becomes it: a two-byte field, rounded half to even.
        const auto transfer = [](double box) {
            const auto serial = fieldValue(box, 2);
            return serial ? text(transferCompleteFrame(*serial)) : u"-"_s;
        };
        row("transfer complete 300", transfer(300), "4753012C300D");
        row("transfer complete 4096", transfer(4096), "47531000300D");
        row("transfer complete 2.5 rounds half to even", transfer(2.5), "47530002300D");
        row("transfer complete 65535", transfer(65535), "4753FFFF300D");
    }
    void fieldsFramesAndSumsAreExactOrRefused()
    {
        QFETCH(QString, got);
        QTEST(got, "expected");
    }

    void outOfRangeReadSendsNothing()
    {
        int calls = 0;
        const HexSendFn count = [&calls](const QString &, int16_t) { ++calls; };
        QVERIFY(!SendReadX(46, -22, count));
        QVERIFY(!SendReadF(350, qint64(0x100000000), count));
        QVERIFY(!SendReadX(0x10000, 0x10054, count));
        QCOMPARE(calls, 0);
    }

    // 65536 and -1 are refused, and serial 1 is sent, through the form below.
    void transferCompleteCarriesTwoByteSerial_data()
    {
        DataTable<double, QString> row("boxValue", "frame");
        row("300", 300, "4753012C300D");
        row("4096", 4096, "47531000300D");
        row("2.5 rounds half to even", 2.5, "47530002300D");
        row("65535", 65535, "4753FFFF300D");
    }
    void transferCompleteCarriesTwoByteSerial()
    {
        QFETCH(double, boxValue);
        const auto serial = fieldValue(boxValue, 2);
        QTEST(serial ? transferCompleteFrame(*serial).value_or(QString()) : QString(), "frame");
    }

    void init() { m_sent.clear(); }

    // Each row is named after its button.
    void everyButtonSendsItsFrameAsHexa_data()
    {
        DataTable<QByteArray> row("hex");
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
        QFETCH(QByteArray, hex);
        MessageLog log;
        auto form = makeForm();
        control<QPushButton>(*form, QTest::currentDataTag())->click();
        QCOMPARE(m_sent, QByteArrayList{QByteArray::fromHex(hex)});
        QVERIFY(log.boxes.isEmpty());
    }

    // A typed number reads its record and steps its box (Text2 follows Text1, and the acknowledgment
    // follows the record box); a number that does not fit its field sends nothing, is kept, and the
    // warning names the box.
    void typedNumberIsSentAndSteppedOrRefusedNamingItsBox_data()
    {
        DataTable<QString, QString, QString, QByteArray, QString> row("button", "box", "typed", "hex",
                                                                      "after"); // no hex: refused
        row("record 3", "Command7", "Text1", "3", "5258000100B02C002E3A450D", "4");
        row("letters count 0", "Command7", "Text1", "abc", "5258000100262C002E3ABB0D", "1");
        row("leading number read", "Command7", "Text1", "2x", "5258000100822C002E3A170D", "3");
        row("PLU record 2", "Command11", "Text3", "2", "5246001642632C015E3A800D", "3");
        row("negative address", "Command7", "Text1", "-1426", {}, "-1426");
        row("address beyond 32 bits", "Command7", "Text1", "93367429", {}, "93367429");
        row("PLU address beyond 32 bits", "Command11", "Text3", "12267170", {}, "12267170");
        row("serial above 65535", "Command8", "Text2", "65536", {}, "65536");
        row("negative serial", "Command8", "Text2", "-1", {}, "-1");
    }
    void typedNumberIsSentAndSteppedOrRefusedNamingItsBox()
    {
        const auto [button, box, typed, hex, after] =
            fetch<QString, QString, QString, QByteArray, QString>("button", "box", "typed", "hex", "after");
        MessageLog log;
        auto form = makeForm();
        auto *edit = control<QLineEdit>(*form, qPrintable(box));
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(form->Text2->text(), box == QLatin1String("Text3") ? u"1"_s : typed);
        control<QPushButton>(*form, qPrintable(button))->click();
        QCOMPARE(m_sent, hex.isEmpty() ? QByteArrayList() : QByteArrayList{QByteArray::fromHex(hex)});
        QCOMPARE(edit->text(), after);
        QCOMPARE(log.boxes.size(), hex.isEmpty() ? 1 : 0);
        if (hex.isEmpty()) {
            QVERIFY(describe(log.boxes[0]).startsWith(u"Warning|Kivo|"_s) && log.boxes[0].text.contains(box));
            return;
        }
        QCOMPARE(form->Text2->text(), box == QLatin1String("Text1") ? after : u"1"_s);
        form->Command8->click();
        QCOMPARE(m_sent.size(), 2);
        QCOMPARE(quint8(m_sent[1][3]), quint8(form->Text2->text().toInt()));
    }

    // Through the real window: the hidden button opens one topmost form, its frame reaches the
    // port, and the form goes with the window. The SEND line the sender writes is tst_Sending's.
    void hiddenMainButtonOpensOneTopmostFormThatSendsThroughThePort()
    {
        MessageLog log;
        PtyPair pty;
        auto main = openWindow();
        connectSerial(*main, pty.slavePath());
        QVERIFY(!button(*main, "cmdOriel")->isVisible());
        button(*main, "cmdOriel")->click();
        button(*main, "cmdOriel")->click();
        QCOMPARE(std::ranges::count_if(QApplication::topLevelWidgets(),
                                       [](QWidget *w) { return qobject_cast<frmOriel *>(w); }),
                 1);
        QPointer<frmOriel> form = topLevel<frmOriel>();
        QCOMPARE(std::tuple(form->isVisible(), form->parentWidget(), form->windowTitle(),
                            form->windowFlags().testFlag(Qt::WindowStaysOnTopHint), form->pos()),
                 std::tuple(true, nullptr, u"Oriel 테스트"_s, true, QPoint(500, 200)));

        const QByteArray bytes = QByteArray::fromHex("52580001 0040 2C 0004 3A AB 0D");
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QByteArray received;
        QTRY_COMPARE((received += pty.deviceReceived()), bytes);
        QVERIFY(log.boxes.isEmpty());
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

KIVO_TEST_MAIN(tst_Tools)
#include "tst_Tools.moc"
