// The contents tab at work: the tree made from the contents, the scope and
// its path, a volume shown from its first page with slider and indicator,
// and a data folder without contents.
#include "gui_test_main.h"
#include "search_pane_fixture.h"

#include "pane/keyword_box.h"
#include "ui/message_box.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QWindow>

using pane_test::PaneUnderTest;
namespace ctl = vesk::ctl;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ScopeLabel(const PaneUnderTest& pane)
{
    return static_cast<QLabel*>(pane.Control(ctl::ScopeLabel))->text();
}

QString Summary(const PaneUnderTest& pane)
{
    return static_cast<QLabel*>(pane.Control(ctl::Summary))->text();
}

} // namespace

class ContentsScopeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_data.isValid() && m_workingDirectory.isValid());
        QVERIFY(vesk::test::MakeDataFolder(pane_test::SearchCorpus(), m_data.path().toStdString()));
        // The contents listing goes into the working directory.
        QVERIFY(QDir::setCurrent(m_workingDirectory.path()));
        vesk::InstallCoreReportHandler();
    }

    void init()
    {
        m_messages.clear();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
    }
    void cleanup() { vesk::SetMessageBoxInterceptor({}); }

    void treeHoldsTheRecordsWithTheirIndexes()
    {
        QFile::remove(QStringLiteral("kav.txt"));
        PaneUnderTest pane(m_data.path().toStdString());
        QVERIFY(m_messages.isEmpty());
        vesk::CContentsTree* tree = pane.form->ContentsTree();
        QCOMPARE(pane.form->m_contents.m_nRecordCount, 10);
        QCOMPARE(tree->topLevelItemCount(), 2);
        QTreeWidgetItem* shi = tree->topLevelItem(0)->child(0);
        QCOMPARE(shi->text(0), QStringLiteral("詩"));
        QCOMPARE(shi->childCount(), 2);
        QCOMPARE(vesk::CContentsTree::RecordOfItem(shi), 2);
        QCOMPARE(vesk::CContentsTree::RecordOfItem(shi->child(1)), 4);
        QCOMPARE(vesk::CContentsTree::RecordOfItem(tree->topLevelItem(1)->child(0)->child(0)), 9);
        // Everything starts collapsed and unselected; the text view is blank.
        QVERIFY(!tree->topLevelItem(0)->isExpanded());
        QVERIFY(tree->selectedItems().isEmpty());
        QVERIFY(!pane.view->IsShowingPage());
        QCOMPARE(pane.form->m_nScopeRecord, 1);
        // Picture 0 normally, picture 1 while selected.
        const QIcon icon = shi->icon(0);
        QVERIFY(icon.pixmap(20, QIcon::Normal).toImage() != icon.pixmap(20, QIcon::Selected).toImage());
        // The listing of the records lies in the working directory.
        const QList<QByteArray> listing = ReadFile(QStringLiteral("kav.txt")).split('\n');
        QCOMPARE(listing.size(), 10);  // nine lines and the end
        QVERIFY(listing[0].startsWith("name=經\tdocID=1\tdocNo=250\t"));
        QCOMPARE(listing[8], QByteArray("\t\tname=卷三\tdocID=251\tdocNo=40\tcurFileName=5"));
    }

    void doubleClickOpensAWork()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        QVERIFY(QTest::qWaitForWindowExposed(&pane.top));
        vesk::CContentsTree* tree = pane.form->ContentsTree();
        QTreeWidgetItem* category = tree->topLevelItem(0);
        // Through the window, as a real double click arrives.
        QWindow* window = pane.top.windowHandle();
        const QPoint centre = tree->viewport()->mapTo(&pane.top, tree->visualItemRect(category).center());
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QTRY_VERIFY(category->isExpanded());
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QTRY_VERIFY(!category->isExpanded());
    }

    void choosingAWorkChangesOnlyTheScope()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        // Before any choice the first record, 經, is the scope, and the
        // label names it.
        QCOMPARE(ScopeLabel(pane), QStringLiteral("經"));
        QCOMPARE(pane.form->m_strScopePath, QStringLiteral("經"));
        pane.form->KeywordBox()->setText(QStringLiteral("明月"));
        pane.form->OnSearch();
        QCOMPARE(Summary(pane), QStringLiteral("全部で 250 頁で、251 箇所でした。"));

        pane.Select(5);
        QCOMPARE(pane.form->m_nScopeRecord, 5);
        QCOMPARE(ScopeLabel(pane), QStringLiteral("經\\書"));
        QCOMPARE(pane.form->m_strScopePath, QStringLiteral("經\\書"));
        QVERIFY(!pane.view->IsShowingPage());
        QCOMPARE(pane.form->m_nCurRecord, 0);

        // A search now keeps only the pages of 書.
        pane.form->OnSearch();
        QCOMPARE(Summary(pane), QStringLiteral("全部で 149 頁で、149 箇所でした。"));
        QCOMPARE(pane.form->m_vecResults.front().strTitle, u"書");
    }

    void choosingAVolumeShowsItsFirstPage()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        pane.Select(9);
        QCOMPARE(ScopeLabel(pane), QStringLiteral("史\\記\\卷三"));
        QCOMPARE(pane.form->m_nScopeRecord, 9);
        QCOMPARE(pane.form->m_nCurRecord, 9);
        QCOMPARE(pane.form->m_nCurPage, 5);
        QCOMPARE(pane.view->GetLocationURL(), pane.form->m_strPageFile);
        // The page as the store holds it, unchanged.
        QCOMPARE(ReadFile(pane.form->m_strPageFile),
                 QByteArray::fromStdString(vesk::test::MakePage(5, pane_test::ReckoningPageText())));
        QCOMPARE(pane.slider->minimum(), 5);
        QCOMPARE(pane.slider->maximum(), 44);
        QCOMPARE(pane.slider->value(), 5);
        QCOMPARE(pane.indicator->text(), QStringLiteral("%1/5").arg(pane_test::kPagesInStore));

        // Read on, go elsewhere and come back: the volume opens at its first page.
        QVERIFY(pane.form->ShowDocumentPage(9, 0, 7));
        QCOMPARE(ReadFile(pane.form->m_strPageFile),
                 QByteArray::fromStdString(vesk::test::MakePage(7, pane_test::ReckoningPageText())));
        pane.Select(3);
        QCOMPARE(pane.form->m_nCurPage, 1);
        QCOMPARE(pane.slider->maximum(), 100);
        pane.Select(9);
        QCOMPARE(pane.form->m_nCurPage, 5);
        QVERIFY(ReadFile(pane.form->m_strPageFile).contains("page 5"));

        // A page the volume does not have leaves the shown page alone.
        QVERIFY(!pane.form->ShowDocumentPage(9, 0, 45));
        QVERIFY(!pane.form->ShowDocumentPage(0, 1, 1));
        QVERIFY(ReadFile(pane.form->m_strPageFile).contains("page 5"));
    }

    void aVolumeWhoseFirstPageLiesBeforeTheStoreShowsNothing()
    {
        QTemporaryDir data;
        QVERIFY(vesk::test::MakeDataFolder(pane_test::SearchCorpus(), data.path().toStdString()));
        // Record 9 (卷三) claims to start at page -2^31: docID of the 9th record.
        QFile contents(data.filePath(QStringLiteral("kav.dir")));
        QVERIFY(contents.open(QIODevice::ReadWrite) && contents.seek(8 * 216 + 204));
        QCOMPARE(contents.write(QByteArray("\x00\x00\x00\x80", 4)), qint64(4));
        contents.close();
        PaneUnderTest pane(data.path().toStdString());
        QVERIFY(!pane.form->ShowDocumentPage(9, 1, 0));
        QVERIFY(!pane.form->ShowDocumentPage(9, 0, 5));
        QVERIFY(!pane.view->IsShowingPage());
    }

    void missingContentsFileIsReportedOnceAndSearchFindsNothing()
    {
        QTemporaryDir data;
        QVERIFY(vesk::test::MakeDataFolder(pane_test::SearchCorpus(), data.path().toStdString()));
        QVERIFY(QFile::remove(data.filePath(QStringLiteral("kav.dir"))));
        PaneUnderTest pane(data.path().toStdString());
        QCOMPARE(m_messages, QStringList{QStringLiteral("you delete data file!")});
        QCOMPARE(pane.form->ContentsTree()->topLevelItemCount(), 0);
        QVERIFY(ReadFile(QStringLiteral("kav.txt")).isEmpty());
        // No record can be the scope: the label asks for one.
        QCOMPARE(ScopeLabel(pane), QStringLiteral("（目録で検索範囲を選んで下さい）"));

        // The scope record matches no node: nothing is kept, nothing breaks.
        pane.form->KeywordBox()->setText(QStringLiteral("明月"));
        pane.form->OnSearch();
        QCOMPARE(Summary(pane), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
        QCOMPARE(pane.form->m_nResultPages, 0);
        QCOMPARE(m_messages.size(), 1);
    }

    void emptyDataFolderSearchesWithAClosedIndex()
    {
        QTemporaryDir data;
        PaneUnderTest pane(data.path().toStdString());
        QCOMPARE(m_messages, (QStringList{QStringLiteral("データを開けませんでした。"),
                                          QStringLiteral("you delete data file!")}));
        QVERIFY(!pane.form->m_index.IsOpen());
        pane.form->KeywordBox()->setText(QStringLiteral("明月"));
        pane.form->OnSearch();
        QCOMPARE(Summary(pane), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
        QVERIFY(!pane.form->ShowDocumentPage(1, 1, 1));
    }

private:
    QTemporaryDir m_data;
    QTemporaryDir m_workingDirectory;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(ContentsScopeTest)
#include "contents_scope_test.moc"
