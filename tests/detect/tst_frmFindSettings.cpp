#include "FakeIndicator.h"
#include "KivoTest.h"

#include "detect/frmFindSettings.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace kivo;
using namespace kivotest;

namespace {

// The dialog on a scripted indicator; the indicator is kept so the test can look at the port.
struct Rig
{
    FakeIndicator *port = nullptr;
    std::unique_ptr<frmFindSettings> dialog;
    QStringList tries; // lblTry's text at each try, read after the dialog took the report

    explicit Rig(QList<FakeIndicator::Voice> voices)
    {
        dialog = std::make_unique<frmFindSettings>(u"ttyFAKE"_s, PatternLayout{}, nullptr,
                                                   [this, voices](const QString &) {
                                                       auto fake = std::make_unique<FakeIndicator>(voices);
                                                       port = fake.get();
                                                       return fake;
                                                   });
        dialog->finder().setTiming({60, 300, 20});
        QObject::connect(&dialog->finder(), &SettingsFinder::progress, dialog.get(),
                         [this] { tries << dialog->lblTry->text(); });
    }
};

} // namespace

class tst_frmFindSettings : public QObject
{
    Q_OBJECT
private slots:
    void dialogShowsTheSearchAndItsOutcome_data()
    {
        DataTable<bool, QString, bool> row("speaks", "shown", "apply");
        row("found: the winner and Apply", true, "2400 7E1, AND 18byte (3 frames)", true);
        row("nothing found: Apply stays off", false, "No indicator found", false);
    }
    void dialogShowsTheSearchAndItsOutcome()
    {
        const auto [speaks, shown, apply] = fetch<bool, QString, bool>("speaks", "shown", "apply");
        QList<FakeIndicator::Voice> voices;
        if (speaks)
            voices.append({{2400, Framing::Bits7Even1}, "US,GS,+0012.34kg\r\n"});
        Rig rig(voices);
        QCOMPARE(rig.dialog->objectName(), u"frmFindSettings"_s);
        QCOMPARE(rig.dialog->windowTitle(), u"Find Settings"_s);
        rig.dialog->show();
        QVERIFY(rig.dialog->cmdCancel->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.dialog->searching() && !rig.tries.isEmpty(), 20000);

        QCOMPARE(rig.tries.first(), u"Try 1 of 24: 9600 8N1"_s);
        QCOMPARE(rig.tries.size() >= 5 ? rig.tries.at(4) : QString(), u"Try 5 of 24: 2400 7E1"_s);
        QCOMPARE(rig.dialog->prgFind->value(), rig.dialog->prgFind->maximum());
        QCOMPARE(rig.dialog->lblResult->text(), shown);
        QCOMPARE(rig.dialog->cmdApply->isEnabled(), apply);
        QCOMPARE(rig.dialog->cmdCancel->text(), u"&Close"_s);
        QVERIFY(!rig.port->isOpen);
        if (!apply)
            return;
        QTest::mouseClick(rig.dialog->cmdApply, Qt::LeftButton);
        QCOMPARE(rig.dialog->QDialog::result(), int(QDialog::Accepted));
        QCOMPARE(rig.dialog->result().settingsText(), u"2400,E,7,1"_s);
        QCOMPARE(rig.dialog->result().mode, int(ModeAnd18));
    }

    void cancelEndsTheSearchAndClosesTheDialog()
    {
        Rig rig({});
        rig.dialog->show();
        QTRY_VERIFY(rig.tries.size() >= 2);
        QVERIFY(rig.dialog->searching());
        QTest::mouseClick(rig.dialog->cmdCancel, Qt::LeftButton);
        QVERIFY(!rig.dialog->isVisible());
        QCOMPARE(rig.dialog->QDialog::result(), int(QDialog::Rejected));
        QVERIFY(!rig.dialog->searching());
        QVERIFY(rig.dialog->result().cancelled);
        QVERIFY(!rig.port->isOpen);
        const qsizetype opens = rig.port->opened.size();
        QTest::qWait(300);
        QCOMPARE(rig.port->opened.size(), opens);
    }
};

KIVO_TEST_MAIN(tst_frmFindSettings)
#include "tst_frmFindSettings.moc"
