// The splitter: the saved layout string, restoring it, and hiding and
// showing the left side.
#include "gui_test_main.h"
#include "window/st_splitter_wnd.h"

#include <QLineEdit>
#include <QSettings>

namespace {

const QString kEntry = QStringLiteral("SplitterWnd/Panes_0");

struct Window {
    QWidget top;
    vesk::ST_SplitterWnd* splitter = nullptr;
    QLineEdit* left = nullptr;
    QLineEdit* right = nullptr;

    explicit Window(bool load = false)
    {
        splitter = new vesk::ST_SplitterWnd(0, &top);
        left = new QLineEdit;
        right = new QLineEdit;
        splitter->CreateSplit(left, right, true);
        if (load)
            splitter->LoadLayout();
        // 960 wide: with the handle the two panes share the rest.
        splitter->resize(960 + splitter->handleWidth(), 400);
        top.resize(splitter->size());
        top.show();
    }
};

} // namespace

class SplitterTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().remove(kEntry); }

    void savesWidthsAtDestruction()
    {
        {
            Window w;
            QVERIFY(QTest::qWaitForWindowExposed(&w.top));
            QCOMPARE(w.splitter->sizes(), (QList<int>{260, 700}));
            QCOMPARE(w.splitter->EntryName(), kEntry);
        }
        QCOMPARE(QSettings().value(kEntry).toString(), QStringLiteral("-1 260 -1 700"));
    }

    void hiddenSideSavesWidthsFromTheMomentOfHiding()
    {
        {
            Window w;
            QVERIFY(QTest::qWaitForWindowExposed(&w.top));
            w.right->setFocus();
            w.left->setFocus();
            QCOMPARE(w.splitter->GetActivePane(), 0);
            w.splitter->ToggleSide(0);
            QVERIFY(w.left->isHidden());
            // Activation moves to the text side when the hidden side had it.
            QCOMPARE(w.splitter->GetActivePane(), 1);
            QCOMPARE(w.splitter->HiddenColumn(), 0);
        }
        QCOMPARE(QSettings().value(kEntry).toString(), QStringLiteral("0 260 -1 700"));
    }

    void hideAndShowRestoresTheWidth()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.top));
        w.splitter->setSizes({330, 630});
        w.splitter->ToggleSide(0);
        QTRY_COMPARE(w.splitter->sizes().value(1), w.splitter->width());
        w.splitter->ToggleSide(1);  // not the hidden side: nothing
        QVERIFY(w.left->isHidden());
        w.splitter->ToggleSide(0);
        QVERIFY(!w.left->isHidden());
        QTRY_COMPARE(w.splitter->sizes(), (QList<int>{330, 630}));
    }

    void restoresTheSavedLayout()
    {
        QSettings().setValue(kEntry, QStringLiteral("-1 310 -1 650"));
        Window w(true);
        QVERIFY(QTest::qWaitForWindowExposed(&w.top));
        QCOMPARE(w.splitter->sizes().value(0), 310);

        QSettings().setValue(kEntry, QStringLiteral("0 300 -1 660"));
        Window hidden(true);
        QVERIFY(QTest::qWaitForWindowExposed(&hidden.top));
        QVERIFY(hidden.left->isHidden());
        hidden.splitter->ToggleSide(0);
        QTRY_COMPARE(hidden.splitter->sizes().value(0), 300);
    }

    void missingOrDamagedEntryKeepsTheStartWidth_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("missing") << QString();
        QTest::newRow("three numbers") << QStringLiteral("-1 300 -1");
        QTest::newRow("not numbers") << QStringLiteral("a b c d");
        QTest::newRow("hidden side out of range") << QStringLiteral("7 300 -1 600");
        QTest::newRow("negative width") << QStringLiteral("-1 -300 -1 600");
    }

    void missingOrDamagedEntryKeepsTheStartWidth()
    {
        QFETCH(QString, value);
        if (!value.isNull())
            QSettings().setValue(kEntry, value);
        Window w;
        QVERIFY(!w.splitter->LoadLayout());
        QVERIFY(QTest::qWaitForWindowExposed(&w.top));
        QCOMPARE(w.splitter->sizes().value(0), 260);
        QVERIFY(!w.left->isHidden());
    }
};

VESK_GUI_TEST_MAIN(SplitterTest)
#include "splitter_test.moc"
