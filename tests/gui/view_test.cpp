// The text view: blank start, the right-click menu only while a page is
// shown, the refusal of keyboard copying, the limited copy, and how hit
// pages are shown (reading width, rare characters, "#" in folder names).
#include "gui_test_main.h"
#include "support/data_folder.h"
#include "textstore/hit_page.h"
#include "ui/message_box.h"
#include "window/vesk_view.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>

#include <string>

namespace {

// The view with the hook every copy of the selection goes through.
class SelectionView : public vesk::CVeskView {
public:
    using CVeskView::createMimeDataFromSelection;
};

QString WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        return {};
    return path;
}

// A stored page whose text cell (the first for an even number, the second
// for an odd one) holds cellText, and its hit page for keyword.
std::string StoredPage(int pageNumber, const std::string& cellText)
{
    return vesk::test::MakePage(static_cast<std::uint32_t>(pageNumber), cellText);
}

std::string HitPage(int pageNumber, const std::string& cellText, std::u16string_view keyword)
{
    std::string page;
    vesk::GenerateHitPage(StoredPage(pageNumber, cellText), pageNumber, keyword, vesk::kTargetWhole, page);
    return page;
}

// The first block of the view's document whose text contains text.
QTextBlock BlockWith(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.text().contains(text))
            return block;
    return {};
}

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
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("コピー(300字以内に制限しています。)"));
        QCOMPARE(items[1]->text(), QStringLiteral("すべて選択。"));
        QCOMPARE(items[2]->text(), QStringLiteral("出典付きでコピー"));
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
        QTest::newRow("cell width") << "<TD height=477 width=80 vAlign=top>" << "<TD height=477 vAlign=top>";
        QTest::newRow("cell width, quoted") << "<td width=\"30%\">" << "<td>";
        QTest::newRow("text width kept") << "<p>width=80</p>" << "<p>width=80</p>";
    }

    void tableHeightIsDroppedOnlyFromTables()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(vesk::CVeskView::AdaptPageForView(html), expected);
    }

    // The text of every page, plain or hit, is laid out at the table's width,
    // whichever of the frame's cells holds it; the file keeps its bytes.
    void pageTextHasTheReadingWidth_data()
    {
        std::string text = "<p>";
        for (int i = 0; i < 120; ++i)
            text += "學";
        text += "明月照我還</p>";
        // A stored page as the corpus converter writes it.
        const std::string plain = "<html><head><meta charset=\"utf-8\"><title>t</title></head><body>"
                                  "<table width=\"100%\" cellpadding=\"10\"><tr><TD valign=\"top\">" +
                                  text + "</TD><TD></TD></tr></table></body></html>";
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("hit page, even number") << QByteArray::fromStdString(HitPage(24, text, u"明月"));
        QTest::newRow("hit page, odd number") << QByteArray::fromStdString(HitPage(7, text, u"明月"));
        QTest::newRow("stored page") << QByteArray::fromStdString(plain);
    }

    void pageTextHasTheReadingWidth()
    {
        QFETCH(QByteArray, page);
        m_view->resize(900, 600);
        QTemporaryDir dir;
        const QString path = WriteBytes(dir.filePath(QStringLiteral("windows1.html")), page.toStdString());
        m_view->Navigate(path + QStringLiteral("#0000"));
        const QTextBlock block = BlockWith(*m_view->document(), QStringLiteral("照我還"));
        QVERIFY(block.isValid());
        // 80 pixels hold four characters a line; the frame's table is 635 wide.
        const qreal width = m_view->document()->documentLayout()->blockBoundingRect(block).width();
        QVERIFY2(width >= 450, qPrintable(QStringLiteral("text %1 pixels wide").arg(width)));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), page);
    }

    // A marked character above U+FFFF is one character in the view, carrying
    // its anchor, whichever cell it lies in; every anchor is still there.
    void markedRareCharacterStaysWhole_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("pageNumber");
        QTest::newRow("U+20000, even page") << QString::fromUcs4(U"\U00020000") << 24;
        QTest::newRow("U+24A6A, odd page") << QString::fromUcs4(U"\U00024A6A") << 7;
    }

    void markedRareCharacterStaysWhole()
    {
        QFETCH(QString, character);
        QFETCH(int, pageNumber);
        const std::string rare = character.toStdString();
        const std::string page =
            HitPage(pageNumber, "<p>甲" + rare + "乙" + rare + "</p><p>" + rare + "</p>", character.toStdU16String());
        QTemporaryDir dir;
        const QString path = WriteBytes(dir.filePath(QStringLiteral("windows1.html")), page);
        m_view->Navigate(path + QStringLiteral("#0000"));

        QStringList anchors;
        int pairs = 0;
        for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const QString text = fragment.text();
                QVERIFY2(!text.front().isLowSurrogate() && !text.back().isHighSurrogate(),
                         "a surrogate pair is split between two formats");
                if (!text.contains(character))
                    continue;
                pairs += static_cast<int>(text.count(character));
                QCOMPARE(fragment.charFormat().fontWeight(), int(QFont::Bold));  // the highlight
                anchors += fragment.charFormat().anchorNames();
            }
        }
        QCOMPARE(pairs, 3);
        QCOMPARE(anchors, (QStringList{QStringLiteral("0000"), QStringLiteral("0001"), QStringLiteral("0002")}));
        QVERIFY(m_view->toPlainText().contains(QStringLiteral("甲") + character + QStringLiteral("乙")));
    }

    // Only a "#" after the file name starts an anchor: a temporary folder
    // may hold "#" in its name.
    void hashInFolderNameIsPartOfThePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("folder with #, anchor") << "a#b" << "windows1.html" << "#0001";
        QTest::newRow("folder with #, no anchor") << "a#b" << "windows.html" << "";
        QTest::newRow("folder ending in #, anchor") << "tmp#" << "windows2.html" << "#0001";
        QTest::newRow("file name with #") << "plain" << "p#1.html" << "";
    }

    void hashInFolderNameIsPartOfThePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, anchor);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(folder));
        QString body;
        for (int line = 0; line < 200; ++line)
            body += QStringLiteral("<p>第%1行</p>").arg(line);
        body += QStringLiteral("<p><a name=\"0001\"></a>明月</p>");
        const QString path = WritePage(dir, folder + QLatin1Char('/') + file, body);
        m_view->Navigate(path + anchor);
        QCOMPARE(m_view->GetLocationURL(), path + anchor);
        QVERIFY(m_view->toPlainText().contains(QStringLiteral("明月")));
        if (!anchor.isEmpty())
            QTRY_VERIFY(m_view->verticalScrollBar()->value() > m_view->verticalScrollBar()->maximum() / 2);
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

    // The selection leaves the view the same way for the copy, for the X11
    // primary selection (a mouse drag) and for dragging it away: cut to the
    // limit at a whole character.
    void selectionLeavesTheViewWithinTheLimit()
    {
        SelectionView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTemporaryDir dir;
        const QString rare = QString::fromUcs4(U"\U00020000");
        // 1 + 298 * 2 = 597 bytes, then a rare character (2 bytes) fits, the next does not.
        view.Navigate(WritePage(dir, QStringLiteral("p.html"),
                                QStringLiteral("a") + QStringLiteral("學").repeated(298) + rare.repeated(3)));
        view.SelectAllText();
        const std::unique_ptr<QMimeData> data(view.createMimeDataFromSelection());
        QCOMPARE(data->text(), QStringLiteral("a") + QStringLiteral("學").repeated(298) + rare);
        QVERIFY(!data->hasHtml());

        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard->supportsSelection())
            return;  // no primary selection on this platform (offscreen)
        // Pressed inside a selection, the mouse would drag it away instead.
        view.setTextCursor(QTextCursor(view.document()));
        const QPoint start = view.cursorRect().center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(view.viewport(), QPoint(view.viewport()->width() - 5, view.viewport()->height() - 5));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {},
                            QPoint(view.viewport()->width() - 5, view.viewport()->height() - 5));
        QTRY_VERIFY(!clipboard->text(QClipboard::Selection).isEmpty());
        QVERIFY(clipboard->text(QClipboard::Selection).size() <= 300 * 2);
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
