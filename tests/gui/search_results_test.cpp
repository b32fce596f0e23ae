// The search command and the result list: records, summary and list pages
// for a scope, typed list page numbers, the Enter key, the two messages,
// hit pages written alternately to two files, a keyword the engine turns
// down, and the target radios.
#include "gui_test_main.h"
#include "search_pane_fixture.h"

#include "pane/keyword_box.h"
#include "pane/sort_list_ctrl.h"
#include "ui/message_box.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using pane_test::PaneUnderTest;
namespace ctl = vesk::ctl;

namespace {

QString Summary(const PaneUnderTest& pane)
{
    return static_cast<QLabel*>(pane.Control(ctl::Summary))->text();
}

QLineEdit* PageBox(const PaneUnderTest& pane)
{
    return static_cast<QLineEdit*>(pane.Control(ctl::ListPageBox));
}

QString PageTotal(const PaneUnderTest& pane)
{
    return static_cast<QLabel*>(pane.Control(ctl::ListPageTotal))->text();
}

bool Enabled(const PaneUnderTest& pane, int id)
{
    return pane.Control(id)->isEnabled();
}

QStringList Row(const vesk::CSortListCtrl& list, int row)
{
    QStringList cells;
    for (int column = 0; column < 4; ++column)
        cells << list.topLevelItem(row)->text(column);
    return cells;
}

// Chooses the scope record, types keyword and presses the search button.
void Search(PaneUnderTest& pane, int scope, const QString& keyword)
{
    pane.Select(scope);
    pane.form->KeywordBox()->setText(keyword);
    QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::SearchButton)), Qt::LeftButton);
}

void LeaveWith(PaneUnderTest& pane, const QString& typed)
{
    PageBox(pane)->setText(typed);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(PageBox(pane), &focusOut);
}

} // namespace

class SearchResultsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_data.isValid() && m_workingDirectory.isValid());
        QVERIFY(vesk::test::MakeDataFolder(pane_test::SearchCorpus(), m_data.path().toStdString()));
        QVERIFY(QDir::setCurrent(m_workingDirectory.path()));
        vesk::InstallCoreReportHandler();
    }

    void init()
    {
        m_messages.clear();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
        m_pane = std::make_unique<PaneUnderTest>(m_data.path().toStdString());
        m_pane->form->SetCurrentTab(1);
    }
    void cleanup()
    {
        m_pane.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    void listPagesFollowTheRecordCount_data()
    {
        QTest::addColumn<int>("scope");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("listPages");
        QTest::addColumn<int>("rowsOnLastPage");
        QTest::newRow("100 records") << 3 << "全部で 100 頁で、100 箇所でした。" << 1 << 100;
        QTest::newRow("101 records") << 2 << "全部で 101 頁で、102 箇所でした。" << 2 << 1;
        QTest::newRow("250 records") << 1 << "全部で 250 頁で、251 箇所でした。" << 3 << 50;
    }
    void listPagesFollowTheRecordCount()
    {
        QFETCH(int, scope);
        QFETCH(QString, summary);
        QFETCH(int, listPages);
        QFETCH(int, rowsOnLastPage);
        PaneUnderTest& pane = *m_pane;
        vesk::CSortListCtrl& list = *pane.form->ResultList();
        Search(pane, scope, QStringLiteral("明月"));
        QCOMPARE(Summary(pane), summary);
        QCOMPARE(pane.form->m_nResultPages, listPages);
        QCOMPARE(pane.form->m_nCurResultPage, 1);
        QCOMPARE(list.topLevelItemCount(), listPages == 1 ? rowsOnLastPage : 100);
        QCOMPARE(PageBox(pane)->text(), QStringLiteral("1"));
        QCOMPARE(PageTotal(pane), QStringLiteral("/%1").arg(listPages));
        QCOMPARE(PageBox(pane)->isReadOnly(), listPages == 1);
        QVERIFY(!Enabled(pane, ctl::PrevListPage));
        QCOMPARE(Enabled(pane, ctl::NextListPage), listPages > 1);
        QVERIFY(pane.Control(ctl::PrevListPage)->isVisible());
        QVERIFY(pane.Control(ctl::ListPageBox)->isVisible());
        QVERIFY(pane.view->GetLocationURL() != pane.form->m_strHitFile1);

        // Rows carry their page identifier and come in page-number order.
        QCOMPARE(list.topLevelItem(0)->data(0, Qt::UserRole).toUInt(), pane.form->m_vecResults[0].nPageID);
        if (scope == 2) {
            QCOMPARE(Row(list, 0), (QStringList{"經", "詩", "卷一", "1"}));
            QCOMPARE(Row(list, 1), (QStringList{"經", "詩", "卷二", "1"}));
            QCOMPARE(list.topLevelItem(1)->data(0, Qt::UserRole).toInt(), 100);
        }

        for (int page = 2; page <= listPages; ++page)
            QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::NextListPage)), Qt::LeftButton);
        QCOMPARE(pane.form->m_nCurResultPage, listPages);
        QCOMPARE(list.topLevelItemCount(), rowsOnLastPage);
        const std::size_t firstOfLast = static_cast<std::size_t>(listPages - 1) * 100;
        QCOMPARE(list.topLevelItem(0)->data(0, Qt::UserRole).toUInt(),
                 pane.form->m_vecResults[firstOfLast].nPageID);
        QVERIFY(!Enabled(pane, ctl::NextListPage));
        QCOMPARE(Enabled(pane, ctl::PrevListPage), listPages > 1);
    }

    void typedPageNumbers()
    {
        PaneUnderTest& pane = *m_pane;
        Search(pane, 1, QStringLiteral("明月"));
        QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::NextListPage)), Qt::LeftButton);
        QCOMPARE(pane.form->m_nCurResultPage, 2);
        // Out of range or empty: the current number comes back, selected.
        for (const char* typed : {"0", "4", ""}) {
            LeaveWith(pane, QString::fromLatin1(typed));
            QCOMPARE(PageBox(pane)->text(), QStringLiteral("2"));
            QCOMPARE(PageBox(pane)->selectedText(), QStringLiteral("2"));
            QCOMPARE(pane.form->m_nCurResultPage, 2);
        }
        LeaveWith(pane, QStringLiteral("3"));
        QCOMPARE(pane.form->m_nCurResultPage, 3);
        QCOMPARE(pane.form->ResultList()->topLevelItemCount(), 50);
        QVERIFY(!Enabled(pane, ctl::NextListPage));
        QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::PrevListPage)), Qt::LeftButton);
        QCOMPARE(PageBox(pane)->text(), QStringLiteral("2"));
    }

    void enterWithSeveralListPagesGoesToTheTypedPage()
    {
        PaneUnderTest& pane = *m_pane;
        Search(pane, 1, QStringLiteral("明月"));
        vesk::CSortListCtrl& list = *pane.form->ResultList();
        // Enter in the keyword box with another keyword typed: no search.
        pane.form->KeywordBox()->setText(QStringLiteral("清風"));
        PageBox(pane)->setText(QStringLiteral("3"));
        QTest::keyClick(pane.form->KeywordBox(), Qt::Key_Return);
        QCOMPARE(pane.form->m_nCurResultPage, 3);
        QCOMPARE(Summary(pane), QStringLiteral("全部で 250 頁で、251 箇所でした。"));
        // The current page typed again: the rows stay as they are.
        QTreeWidgetItem* first = list.topLevelItem(0);
        QTest::keyClick(PageBox(pane), Qt::Key_Enter);
        QCOMPARE(list.topLevelItem(0), first);
    }

    void enterWithOneListPageSearches()
    {
        PaneUnderTest& pane = *m_pane;
        pane.Select(9);
        pane.form->KeywordBox()->setText(QStringLiteral("清風"));
        QTest::keyClick(pane.form->KeywordBox(), Qt::Key_Return);
        QCOMPARE(Summary(pane), QStringLiteral("全部で 40 頁で、40 箇所でした。"));
        QCOMPARE(pane.form->m_nResultPages, 1);
        // Also from the result list itself.
        pane.form->KeywordBox()->setText(QStringLiteral("註文"));
        QTest::keyClick(pane.form->ResultList(), Qt::Key_Return);
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{40});
        QCOMPARE(pane.form->m_strKeyword, u"註文");
        // One press searches once, wherever it lands.
        pane.form->KeywordBox()->clear();
        QTest::keyClick(pane.form->KeywordBox(), Qt::Key_Return);
        QCOMPARE(m_messages, QStringList{QStringLiteral("何かキーワードを入力して検索をして下さい。")});
    }

    void ideographicSpacesSeparateTermsLikeSpaces()
    {
        PaneUnderTest& pane = *m_pane;
        static_cast<QRadioButton*>(pane.Control(ctl::Or))->setChecked(true);
        Search(pane, 1, QStringLiteral("照　明月"));
        const QString withIdeographic = Summary(pane);
        QCOMPARE(pane.form->m_strKeyword, u"照\u3000明月");
        Search(pane, 1, QStringLiteral("照 明月"));
        QCOMPARE(Summary(pane), withIdeographic);
        // "or" adds the places of both terms.
        QCOMPARE(withIdeographic, QStringLiteral("全部で 250 頁で、252 箇所でした。"));
        QCOMPARE(pane.form->m_nAndOr, 1);
    }

    void searchWithoutScopeOrKeywordTellsWhy()
    {
        PaneUnderTest& pane = *m_pane;
        Search(pane, 3, QStringLiteral("明月"));
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{100});

        pane.form->m_nScopeRecord = 0;
        pane.form->KeywordBox()->setText(QStringLiteral("清風"));
        pane.form->OnSearch();
        QCOMPARE(m_messages, QStringList{QStringLiteral("検索範囲をまた指定していません。")});
        QCOMPARE(pane.form->m_strKeyword, u"清風");
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{100});
        QCOMPARE(pane.form->ResultList()->topLevelItemCount(), 100);

        m_messages.clear();
        pane.form->m_nScopeRecord = 3;
        pane.form->KeywordBox()->clear();
        pane.form->OnSearch();
        QCOMPARE(m_messages, QStringList{QStringLiteral("何かキーワードを入力して検索をして下さい。")});
        QCOMPARE(pane.form->m_strKeyword, u"清風");
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{100});
    }

    void rejectedKeywordListsNothing()
    {
        PaneUnderTest& pane = *m_pane;
        Search(pane, 1, QStringLiteral("明月"));
        QCOMPARE(pane.form->m_nResultPages, 3);
        for (const char* keyword : {"moon", "明月1", "  "}) {
            Search(pane, 1, QString::fromUtf8(keyword));
            QCOMPARE(Summary(pane), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
            QCOMPARE(pane.form->ResultList()->topLevelItemCount(), 0);
            QCOMPARE(pane.form->m_nResultPages, 0);
            QCOMPARE(pane.form->m_nCurResultPage, 0);
            QVERIFY(!pane.Control(ctl::PrevListPage)->isVisible());
            QVERIFY(!pane.Control(ctl::ListPageBox)->isVisible());
        }
        QVERIFY(m_messages.isEmpty());
    }

    // A keyword that can find nothing says why in a status line; the summary
    // and the empty list stay. A keyword that may find pages clears the line.
    void keywordThatCannotFindAnythingSaysWhy_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("useOr");
        QTest::addColumn<QString>("status");
        const QString wildcardsAlone = QStringLiteral("「*」「?」や句読点・記号だけの語では検索できません。");
        const QString lettersAndDigits = QStringLiteral("半角の英数字・記号は「*」「?」のほかは使えません。");
        QTest::newRow("latin letters") << "moon" << false
            << QStringLiteral("検索しませんでした：「m」（U+006D）はキーワードに使えない文字です。") + lettersAndDigits;
        QTest::newRow("a digit") << "明月1" << true
            << QStringLiteral("検索しませんでした：「1」（U+0031）はキーワードに使えない文字です。") + lettersAndDigits;
        QTest::newRow("spaces only") << "  " << false << QStringLiteral("検索しませんでした：キーワードが空白だけです。");
        QTest::newRow("star alone") << "*" << false
            << QStringLiteral("語「*」に検索できる文字がないため、何も見つかりません。") + wildcardsAlone;
        QTest::newRow("punctuation, and") << "明月　。" << false
            << QStringLiteral("語「。」に検索できる文字がないため、何も見つかりません。") + wildcardsAlone;
        QTest::newRow("question marks, or") << "? ？" << true
            << QStringLiteral("どの語にも検索できる文字がないため、何も見つかりません。") + wildcardsAlone;
        QTest::newRow("punctuation, or, with a term") << "明月 。" << true << QString();
        QTest::newRow("nothing found, but searchable") << "清明" << false << QString();
    }

    void keywordThatCannotFindAnythingSaysWhy()
    {
        QFETCH(QString, keyword);
        QFETCH(bool, useOr);
        QFETCH(QString, status);
        PaneUnderTest& pane = *m_pane;
        QSignalSpy lines(pane.form, &vesk::CLeftForm::statusMessage);
        pane.form->m_nAndOr = useOr ? 1 : 0;
        pane.form->UpdateData(false);
        Search(pane, 1, keyword);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().first().toString(), status);
        if (!status.isEmpty()) {
            QCOMPARE(Summary(pane), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
            QCOMPARE(pane.form->ResultList()->topLevelItemCount(), 0);
        }
        QVERIFY(m_messages.isEmpty());
    }

    void hitPagesAlternateBetweenTwoFiles()
    {
        PaneUnderTest& pane = *m_pane;
        Search(pane, 2, QStringLiteral("明月"));
        vesk::CSortListCtrl& list = *pane.form->ResultList();
        const QString files[] = {pane.form->m_strHitFile1, pane.form->m_strHitFile2, pane.form->m_strHitFile1};
        const int anchors[] = {1, 2, 1};  // the second row is 卷二's page with 明月 twice
        for (int row = 0; row < 3; ++row) {
            pane.form->m_nCurHit = 5;
            list.setCurrentItem(list.topLevelItem(row));
            QCOMPARE(pane.view->GetLocationURL(), files[row] + QStringLiteral("#0000"));
            QCOMPARE(pane.form->m_strHitFile, files[row]);
            QCOMPARE(pane.form->m_nHitCount, anchors[row]);
            QCOMPARE(pane.form->m_nCurHit, 0);
            QFile page(files[row]);
            QVERIFY(page.open(QIODevice::ReadOnly));
            QVERIFY(page.readAll().contains("明"));
        }
        // Sorting the rows keeps the selected row and shows nothing anew.
        list.OnColumnClick(vesk::CSortListCtrl::kPageColumn);
        QCOMPARE(pane.form->m_strHitFile, pane.form->m_strHitFile1);
        QVERIFY(!pane.form->m_bHitFileToggle);
        QCOMPARE(list.selectedItems().size(), 1);
        // Another list page clears the selection and leaves the view.
        QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::NextListPage)), Qt::LeftButton);
        QVERIFY(list.selectedItems().isEmpty());
        QCOMPARE(pane.view->GetLocationURL(), pane.form->m_strHitFile1 + QStringLiteral("#0000"));
        QCOMPARE(pane.form->m_nHitCount, 1);
    }

    void targetRadiosSwitchTheIndex_data()
    {
        QTest::addColumn<int>("radio");
        QTest::addColumn<int>("indexType");
        QTest::addColumn<QString>("summary");
        QTest::newRow("全文") << int(ctl::TargetWhole) << 0 << "全部で 40 頁で、40 箇所でした。";
        QTest::newRow("正文") << int(ctl::TargetMain) << 1 << "全部で 0 頁で、0 箇所でした。";
        QTest::newRow("注釈") << int(ctl::TargetNotes) << 2 << "全部で 40 頁で、40 箇所でした。";
    }
    void targetRadiosSwitchTheIndex()
    {
        QFETCH(int, radio);
        QFETCH(int, indexType);
        QFETCH(QString, summary);
        PaneUnderTest& pane = *m_pane;
        QTest::mouseClick(static_cast<QRadioButton*>(pane.Control(radio)), Qt::LeftButton);
        QCOMPARE(pane.form->m_nIndexType, indexType);
        QVERIFY2(pane.form->m_index.IsOpen(), qPrintable(m_messages.join(u'|')));
        Search(pane, 7, QStringLiteral("註文"));
        QCOMPARE(Summary(pane), summary);
        QCOMPARE(pane.form->m_nTarget, indexType);
        QVERIFY(m_messages.isEmpty());
    }

private:
    QTemporaryDir m_data;
    QTemporaryDir m_workingDirectory;
    QStringList m_messages;
    std::unique_ptr<PaneUnderTest> m_pane;
};

VESK_GUI_TEST_MAIN(SearchResultsTest)
#include "search_results_test.moc"
