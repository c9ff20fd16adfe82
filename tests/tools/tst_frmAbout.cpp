#include "tools/frmAbout.h"

#include "KivoTest.h"
#include "core/MessageBox.h"
#include "app/frmMain.h"
#include "tools/ProgramListLauncher.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

using namespace kivo;

class tst_frmAbout : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        setMessageRecorder([this](const MessageRecord &r) { m_messages << r; });
    }
    void cleanup() { setMessageRecorder({}); }

    void showsTitleAndBuildVersion()
    {
        frmAbout box;
        QCOMPARE(box.windowTitle(), QStringLiteral("Kivo"));
        QCOMPARE(box.lblTitle->text(), QStringLiteral("Kivobench"));
        // The build's project version, as CMake knows it.
        QCOMPARE(box.lblVersion->text(), QStringLiteral("Ver. " KIVO_EXPECTED_VERSION));
        QVERIFY(!box.Image1->pixmap().isNull());
    }

    void enterAndEscClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(QDialog::Accepted);
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }
    void enterAndEscClose()
    {
        QFETCH(int, key);
        QFETCH(int, result);
        frmAbout box;
        box.setResult(-1);
        box.show();
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), result);
    }

    void sysInfoStartsFirstInstalledOrShowsMessage_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<bool>("startWorks");
        QTest::addColumn<QString>("started"); // the path started, empty for none
        QTest::newRow("no tool installed") << QStringList() << true << QString();
        QTest::newRow("installed tool will not start") << QStringList{"hardinfo"} << false << QString();
        QTest::newRow("first installed of the list")
            << QStringList{"xfce4-taskmanager", "kinfocenter"} << true << "/usr/bin/kinfocenter";
    }
    void sysInfoStartsFirstInstalledOrShowsMessage()
    {
        QFETCH(QStringList, installed);
        QFETCH(bool, startWorks);
        QFETCH(QString, started);
        QString startedPath;
        auto launcher = std::make_unique<ProgramListLauncher>(
            ProgramListLauncher::defaultPrograms(),
            [&](const QString &p) {
                return installed.contains(p) ? QStringLiteral("/usr/bin/") + p : QString();
            },
            [&](const QString &path) {
                if (startWorks)
                    startedPath = path;
                return startWorks;
            });
        frmAbout box(std::move(launcher));
        box.show();
        box.cmdSysInfo->click();
        QCOMPARE(startedPath, started);
        QVERIFY(box.isVisible());
        if (started.isEmpty()) {
            QCOMPARE(m_messages.size(), 1);
            QCOMPARE(m_messages[0].text, QStringLiteral("지금은 시스템 정보를 사용할 수 없습니다."));
            QCOMPARE(m_messages[0].icon, QMessageBox::NoIcon);
            QCOMPARE(m_messages[0].title, QStringLiteral("Kivo"));
        } else {
            QVERIFY(m_messages.isEmpty());
        }
    }

    void helpMenuOpensModalBoxWithoutOwner()
    {
        frmMain main;
        main.setEndProgram([] {});
        main.show();
        auto *about = main.findChild<QAction *>(QStringLiteral("mnuHelp_About"));
        QVERIFY(about);
        bool sawAbout = false;
        QWidget *owner = &main;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            sawAbout = qobject_cast<frmAbout *>(modal) != nullptr;
            if (modal) {
                owner = modal->parentWidget();
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        about->trigger();
        QVERIFY(sawAbout);
        QCOMPARE(owner, nullptr);
    }

private:
    QList<MessageRecord> m_messages;
};

KIVO_TEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
