#include "KivoTest.h"

#include "app/Layout.h"

#include <limits>

using namespace kivo;
using kivotest::DataTable;

class tst_Layout : public QObject
{
    Q_OBJECT
private slots:
    void bothLayoutSplitsTheWindowWhenNoPositionChosen()
    {
        const ViewLayout l = computeLayout(12000, 9000, 3, 0.0f, {});
        QCOMPARE(l.asc.width, 5800);
        QCOMPARE(l.hex.width, 5800);
        QCOMPARE(l.hex.left, 5980);
        QCOMPARE(l.bar.left, 5935);
        QCOMPARE(l.bar.width, 45);
        QVERIFY(l.barVisible);
        // A 60-twip gap between the views, the bar filling its last 45 twips.
        QCOMPARE(l.hex.left - (l.asc.left + l.asc.width), 60);
        QCOMPARE(l.asc.height, 9000 - 3015 - 1700);
        QCOMPARE(l.hex.top, l.asc.top);
        QCOMPARE(l.ascRuler.left, l.asc.left + 1);
        QCOMPARE(l.hexRuler.width, l.hex.width - 1);
    }

    void bothLayoutKeepsChosenAsciiWidthOnResize()
    {
        const ViewLayout narrow = computeLayout(12000, 9000, 3, 4000.0f, {});
        const ViewLayout wide = computeLayout(15000, 9000, 3, 4000.0f, narrow);
        QCOMPARE(narrow.asc.width, 4000);
        QCOMPARE(wide.asc.width, 4000);
        QCOMPARE(wide.hex.width - narrow.hex.width, 3000);
    }

    void singleLayoutsStackTheViewsOnOneRectangle_data()
    {
        DataTable<int> row("tab");
        row("ASCII", 1);
        row("Hexa", 2);
        row("like HyperTerminal", 4);
    }
    void singleLayoutsStackTheViewsOnOneRectangle()
    {
        QFETCH(int, tab);
        const ViewLayout both = computeLayout(12000, 9000, 3, 4000.0f, {});
        const ViewLayout l = computeLayout(12000, 9000, tab, 4000.0f, both);
        QVERIFY(!l.barVisible);
        QCOMPARE(l.asc, (TwipRect{120, 3600, 12000 - 350, 9000 - 3015 - 1700}));
        QCOMPARE(l.hex, l.asc);
        QCOMPARE(l.hyper, l.asc);
        // Switching back restores the split at the chosen position.
        QCOMPARE(computeLayout(12000, 9000, 3, 4000.0f, l).asc.width, 4000);
    }

    // A stored position no view can have (a damaged or hand-edited setting) would push the hex view
    // out of sight, or overflow the sums; it counts as none chosen.
    void absurdSplitPositionSplitsTheWindowInTwo_data()
    {
        DataTable<float> row("splitPos");
        row("largest float", std::numeric_limits<float>::max());
        row("near the int limit", 2147483520.0f);
        row("beyond any screen", 1e9f);
        row("infinite", std::numeric_limits<float>::infinity());
        row("not a number", std::numeric_limits<float>::quiet_NaN());
        row("negative", -4000.0f);
    }
    void absurdSplitPositionSplitsTheWindowInTwo()
    {
        QFETCH(float, splitPos);
        const ViewLayout l = computeLayout(12000, 9000, 3, splitPos, {});
        QCOMPARE(l, computeLayout(12000, 9000, 3, 0.0f, {}));
        QCOMPARE(usableSplitPos(splitPos), 0.0f);
    }

    void negativeSizesAreRefusedAndKeepPreviousValues()
    {
        const ViewLayout before = computeLayout(12000, 9000, 3, 8000.0f, {});
        // Narrower than SplitPos + 400: the hex view's width would be negative and is refused,
        // while its left and height still follow the rules.
        const ViewLayout after = computeLayout(8200, 7000, 3, 8000.0f, before);
        QCOMPARE(after.hex.width, before.hex.width);
        QCOMPARE(after.hex.left, 8180);
        QCOMPARE(after.hex.height, 7000 - 3015 - 1700);
        // Too low for any view height: the heights stay.
        const ViewLayout low = computeLayout(12000, 4000, 1, 0.0f, before);
        QCOMPARE(low.asc.height, before.asc.height);
    }

    void tinyWindowIsNotLaidOut()
    {
        const ViewLayout before = computeLayout(12000, 9000, 3, 0.0f, {});
        const ViewLayout after = computeLayout(99, 9000, 1, 0.0f, before);
        QCOMPARE(after.asc, before.asc);
        QVERIFY(after.barVisible);
        QCOMPARE(computeLayout(12000, 299, 1, 0.0f, before).asc, before.asc);
    }

    void dragLineStaysInsideItsLimits_data()
    {
        DataTable<int, int> row("pos", "expected");
        row("far left", -300, 500);
        row("at left limit", 500, 500);
        row("inside", 4000, 4000);
        row("far right", 20000, 11500);
    }
    void dragLineStaysInsideItsLimits()
    {
        QFETCH(int, pos);
        QTEST(clampDragLine(pos, 12000), "expected");
    }
};

KIVO_TEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
