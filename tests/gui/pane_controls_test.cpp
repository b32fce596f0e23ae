// The result list's page-number sort and the four-frame paging buttons.
#include "gui_test_main.h"
#include "pane/sort_list_ctrl.h"
#include "pane/tool_tip_resource_button.h"

#include <QPainter>

namespace {

QStringList PageColumn(const vesk::CSortListCtrl& list)
{
    QStringList pages;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        pages << list.topLevelItem(row)->text(vesk::CSortListCtrl::kPageColumn);
    return pages;
}

void AddRow(vesk::CSortListCtrl& list, const QString& page)
{
    auto* item = new QTreeWidgetItem({QStringLiteral("經"), QStringLiteral("論語"), QStringLiteral("卷一"), page});
    list.addTopLevelItem(item);
}

// A strip whose frames are told apart by colour.
QPixmap FourFrameStrip()
{
    QPixmap strip(128, 32);
    QPainter painter(&strip);
    const Qt::GlobalColor colours[] = {Qt::white, Qt::black, Qt::red, Qt::gray};
    for (int frame = 0; frame < 4; ++frame)
        painter.fillRect(frame * 32, 0, 32, 32, colours[frame]);
    return strip;
}

} // namespace

class PaneControlsTest : public QObject {
    Q_OBJECT
private slots:
    void pageHeaderSortsAscendingOthersDoNothing()
    {
        vesk::CSortListCtrl list;
        list.setColumnCount(4);
        for (const char* page : {"12", "3", "40", "x"})
            AddRow(list, QString::fromLatin1(page));
        list.OnColumnClick(0);
        QCOMPARE(PageColumn(list), (QStringList{"12", "3", "40", "x"}));
        list.OnColumnClick(3);
        // A cell without digits counts as 0.
        QCOMPARE(PageColumn(list), (QStringList{"x", "3", "12", "40"}));
        list.OnColumnClick(3);
        QCOMPARE(PageColumn(list), (QStringList{"x", "3", "12", "40"}));
        QCOMPARE(vesk::CSortListCtrl::LeadingNumber(QStringLiteral("17頁")), 17);
    }

    void framesFollowTheButtonState()
    {
        vesk::CToolTipResourceButton button;
        button.move(7, 9);
        QVERIFY(button.LoadStrip(FourFrameStrip()));
        QCOMPARE(button.geometry(), QRect(7, 9, 32, 32));
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QCOMPARE(button.CurrentFrame(), vesk::CToolTipResourceButton::FrameNormal);

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&button, &enter);
        QTRY_VERIFY(button.IsHovering());
        QCOMPARE(button.CurrentFrame(), vesk::CToolTipResourceButton::FrameHot);
        button.setDown(true);
        QCOMPARE(button.CurrentFrame(), vesk::CToolTipResourceButton::FramePressed);
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(button.CurrentFrame(), vesk::CToolTipResourceButton::FrameDisabled);
        QCOMPARE(button.grab().toImage().pixelColor(16, 16), QColor(Qt::gray));

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        button.setEnabled(true);
        QCOMPARE(button.CurrentFrame(), vesk::CToolTipResourceButton::FrameNormal);
    }

    void secondTipTextReplacesTheFirst()
    {
        vesk::CToolTipResourceButton button;
        button.SetTipText(QStringLiteral("Previous Page"), true);
        button.SetTipText(QStringLiteral("Next Page"), true);
        QCOMPARE(button.toolTip(), QStringLiteral("Next Page"));
        button.SetTipText(QStringLiteral("Next Page"), false);
        QVERIFY(button.toolTip().isEmpty());
        QVERIFY(!button.LoadStrip(QPixmap()));
    }
};

VESK_GUI_TEST_MAIN(PaneControlsTest)
#include "pane_controls_test.moc"
