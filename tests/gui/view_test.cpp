// The text view: blank start, the right-click menu only while a page is
// shown, the refusal of keyboard copying, and the limited copy.
#include "gui_test_main.h"
#include "ui/message_box.h"
#include "window/vesk_view.h"

#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

QString WritePage(const QTemporaryDir& dir, const QString& name, const QString& body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("<html><body>%1</body></html>").arg(body).toUtf8());
    return path;
}

void RightClick(vesk::CVeskView& view)
{
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, QPoint(10, 10));
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
        m_view = std::make_unique<vesk::CVeskView>();
        m_view->resize(400, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup()
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        m_view.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    void startsBlankWithoutMenu()
    {
        QCOMPARE(m_view->GetLocationURL(), QStringLiteral("about:blank"));
        QVERIFY(!m_view->IsShowingPage());
        RightClick(*m_view);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void pageAtAnchorShowsMenu()
    {
        QTemporaryDir dir;
        const QString path = WritePage(dir, QStringLiteral("page.html"),
                                       QStringLiteral("<a name=\"0000\"></a>學而時習之"));
        m_view->Navigate(path + QStringLiteral("#0000"));
        QCOMPARE(m_view->GetLocationURL(), path + QStringLiteral("#0000"));
        QVERIFY(m_view->toPlainText().contains(QStringLiteral("學而時習之")));
        RightClick(*m_view);
        QCOMPARE(QApplication::activePopupWidget(), m_view->ContextMenu());
        const QList<QAction*> items = m_view->ContextMenu()->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("コピー(300字以内に制限しています。)"));
        QCOMPARE(items[1]->text(), QStringLiteral("すべて選択。"));
        m_view->ContextMenu()->close();

        m_view->Navigate(QStringLiteral("about:blank"));
        RightClick(*m_view);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void longPageInAFixedHeightTableScrollsToTheAnchor()
    {
        QTemporaryDir dir;
        QString body = QStringLiteral("<TABLE border=1 height=100 width=300><tr><TD height=100>");
        for (int line = 0; line < 200; ++line)
            body += QStringLiteral("<p>第%1行</p>").arg(line);
        body += QStringLiteral("<p><a name=\"0001\"></a><b>明月</b></p></TD></tr></TABLE>");
        const QString path = WritePage(dir, QStringLiteral("windows1.html"), body);
        m_view->Navigate(path + QStringLiteral("#0001"));
        // The whole text is there to scroll through, and the view stands near the end.
        QVERIFY(m_view->verticalScrollBar()->maximum() > 1000);
        QTRY_VERIFY(m_view->verticalScrollBar()->value() > m_view->verticalScrollBar()->maximum() / 2);
        m_view->Navigate(path);
        QCOMPARE(m_view->verticalScrollBar()->value(), 0);
    }

    void tableHeightIsDroppedOnlyFromTables_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare") << "<TABLE border=1 height=477 width=635>" << "<TABLE border=1 width=635>";
        QTest::newRow("quoted, last") << "<table height=\"50%\">" << "<table>";
        QTest::newRow("cell kept") << "<td height=477>" << "<td height=477>";
        QTest::newRow("text kept") << "<p>height=5</p>" << "<p>height=5</p>";
    }

    void tableHeightIsDroppedOnlyFromTables()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(vesk::CVeskView::AdaptPageForView(html), expected);
    }

    void rewrittenFileIsReadAgain()
    {
        QTemporaryDir dir;
        const QString path = WritePage(dir, QStringLiteral("windows.html"), QStringLiteral("一"));
        m_view->Navigate(path);
        WritePage(dir, QStringLiteral("windows.html"), QStringLiteral("二"));
        m_view->Navigate(path);
        QCOMPARE(m_view->toPlainText().trimmed(), QStringLiteral("二"));
    }

    void ctrlKeyShowsMessageEveryTimeAndNeverCopies()
    {
        QTemporaryDir dir;
        m_view->Navigate(WritePage(dir, QStringLiteral("p.html"), QStringLiteral("學而時習之")));
        m_view->setFocus();
        m_view->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keyClick(m_view.get(), Qt::Key_Control);
        QTest::keyClick(m_view.get(), Qt::Key_Control);
        // Ctrl+C begins with a press of Ctrl: a third message, and no copy.
        QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_messages.size(), 3);
        QCOMPARE(m_messages.first(), QStringLiteral("マウスの右ボタンでコピーして下さい。"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }

    void copyKeepsAllFormatsUpTo600Bytes()
    {
        QTemporaryDir dir;
        m_view->Navigate(WritePage(dir, QStringLiteral("p.html"), QStringLiteral("學").repeated(300)));
        m_view->SelectAllText();
        m_view->CopyLimited();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), QStringLiteral("學").repeated(300));
        QVERIFY(data->hasHtml());
    }

    void copyCutsLongerSelectionToPlainText()
    {
        QTemporaryDir dir;
        m_view->Navigate(WritePage(dir, QStringLiteral("p.html"),
                                   QStringLiteral("a") + QStringLiteral("學").repeated(400)));
        m_view->SelectAllText();
        m_view->CopyLimited();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        // 1 + 299 * 2 = 599 bytes; one more character would make 601.
        QCOMPARE(data->text(), QStringLiteral("a") + QStringLiteral("學").repeated(299));
        QVERIFY(!data->hasHtml());
    }

    void copyWithoutSelectionCutsWhatIsOnTheClipboard()
    {
        QTemporaryDir dir;
        m_view->Navigate(WritePage(dir, QStringLiteral("p.html"), QStringLiteral("學")));
        QGuiApplication::clipboard()->setText(QStringLiteral("x").repeated(700));
        m_view->CopyLimited();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("x").repeated(600));
    }

private:
    std::unique_ptr<vesk::CVeskView> m_view;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(ViewTest)
#include "view_test.moc"
