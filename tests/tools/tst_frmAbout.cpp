#include "tools/frmAbout.h"

#include "MainWindow.h"
#include "tools/ProgramListLauncher.h"

#include <QAction>

using namespace kivo;
using namespace kivotest;

class tst_frmAbout : public QObject
{
    Q_OBJECT
private slots:
    void showsTitleAndBuildVersion()
    {
        frmAbout box;
        QCOMPARE(box.windowTitle(), u"Kivo"_s);
        QCOMPARE(box.lblTitle->text(), u"Kivobench"_s);
        // The build's project version, as CMake knows it.
        QCOMPARE(box.lblVersion->text(), QStringLiteral("Ver. " KIVO_EXPECTED_VERSION));
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
};

KIVO_TEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
