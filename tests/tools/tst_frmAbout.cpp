#include "tools/frmAbout.h"

#include "MainWindow.h"
#include "tools/ProgramListLauncher.h"

#include <QAction>
#include <QLabel>

using namespace kivo;

class tst_frmAbout : public QObject
{
    Q_OBJECT
private slots:
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
        kivotest::MessageLog log;
        QString startedPath;
        frmAbout box(std::make_unique<ProgramListLauncher>(
            ProgramListLauncher::defaultPrograms(),
            [&](const QString &p) {
                return installed.contains(p) ? QStringLiteral("/usr/bin/") + p : QString();
            },
            [&](const QString &path) {
                if (startWorks)
                    startedPath = path;
                return startWorks;
            }));
        box.show();
        box.cmdSysInfo->click();
        QCOMPARE(startedPath, started);
        QVERIFY(box.isVisible());
        QCOMPARE(kivotest::describe(log.boxes),
                 started.isEmpty()
                     ? QStringList{QStringLiteral("NoIcon|Kivo|지금은 시스템 정보를 사용할 수 없습니다.")}
                     : QStringList{});
    }

    void helpMenuOpensModalBoxWithoutOwner()
    {
        auto main = kivotest::openWindow();
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
        kivotest::control<QAction>(*main, "mnuHelp_About")->trigger();
        QVERIFY(sawAbout);
        QCOMPARE(owner, nullptr);
    }
};

KIVO_TEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
