// The concordance window after a search in the pane: it fills in, a chosen
// row shows its hit page at the row's anchor (F3 goes on from there), sorts,
// both tabs export to files that read back, a file that cannot be written
// gives a message and leaves nothing, copies carry their references, and a
// node of the distribution searches again in that scope.
#include "gui_test_main.h"
#include "search_pane_fixture.h"

#include "pane/keyword_box.h"
#include "window/concordance_commands.h"
#include "window/concordance_window.h"
#include "ui/message_box.h"
#include "window/occurrence_model.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTreeView>

using pane_test::PaneUnderTest;
namespace ctl = vesk::ctl;

namespace {

void Search(PaneUnderTest& pane, int scope, const QString& keyword)
{
    pane.Select(scope);
    pane.form->KeywordBox()->setText(keyword);
    QTest::mouseClick(static_cast<QPushButton*>(pane.Control(ctl::SearchButton)), Qt::LeftButton);
}

QString Cell(const QAbstractItemModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ConcordanceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_data.isValid() && m_files.isValid());
        QVERIFY(vesk::test::MakeDataFolder(pane_test::SearchCorpus(), m_data.path().toStdString()));
    }

    void fillsChoosesSortsExportsAndCopies()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        Search(pane, 2, QStringLiteral("明月")); // 詩: 101 pages, 102 places
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{101});

        vesk::CConcordanceWindow window;
        connect(&window, &vesk::CConcordanceWindow::hitRequested, pane.form,
                [&pane](quint32 pageId, int anchor) { pane.form->ShowHitPage(pageId, anchor); });
        QSignalSpy finished(&window, &vesk::CConcordanceWindow::fillFinished);
        window.Start(vesk::ConcordanceRequestFromPane(*pane.form, m_data.path().toStdString()));
        window.show();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), true);
        vesk::COccurrenceModel& rows = *window.OccurrenceModel();
        QCOMPARE(rows.rowCount(), 102);
        QVERIFY(window.Summary()->text().contains(QStringLiteral("用例 102 件")));

        // 卷二's one page, "明月照明月": its second occurrence is anchor 1.
        int second = -1;
        for (int row = 0; row < rows.rowCount(); ++row)
            if (Cell(rows, row, vesk::COccurrenceModel::Volume) == QStringLiteral("卷二") &&
                Cell(rows, row, vesk::COccurrenceModel::Left) == QStringLiteral("明月照"))
                second = row;
        QVERIFY(second >= 0);
        QCOMPARE(Cell(rows, second, vesk::COccurrenceModel::Match), QStringLiteral("明月"));
        QCOMPARE(Cell(rows, second, vesk::COccurrenceModel::Right), QString());
        window.OccurrenceView()->selectRow(second);
        QVERIFY(pane.view->GetLocationURL().endsWith(QStringLiteral("#0001")));
        QCOMPARE(pane.form->m_nCurHit, 1);
        QCOMPARE(pane.form->m_nHitCount, 2);
        QCOMPARE(pane.form->ShownPageId().value_or(0), 100u); // 卷一 holds ids 0 .. 99

        // Right-context order puts the empty right context first.
        qobject_cast<QComboBox*>(window.findChild<QComboBox*>())->setCurrentIndex(1);
        QCOMPARE(Cell(rows, 0, vesk::COccurrenceModel::Right), QString());

        // Both tabs export every row; the file reads back.
        const QString csv = m_files.filePath(QStringLiteral("用例.csv"));
        QVERIFY(window.ExportTab(vesk::CConcordanceWindow::OccurrencesTab, csv, vesk::TableForm::Csv));
        const QList<QByteArray> lines = ReadFile(csv).split('\n');
        QCOMPARE(lines.size(), 1 + 102 + 1); // header, rows, the empty rest after the last CR LF
        QVERIFY(lines[0].startsWith("\xEF\xBB\xBF類別,書名,巻,頁,頁ID,錨,層,前,用例,後\r"));
        // Every single 明月 has empty contexts; the tie keeps page order.
        QCOMPARE(QString::fromUtf8(lines[1]), QStringLiteral("經,詩,卷一,1,0,0,本文,,明月,\r"));
        const QString tsv = m_files.filePath(QStringLiteral("分布.tsv"));
        QVERIFY(window.ExportTab(vesk::CConcordanceWindow::DistributionTab, tsv, vesk::TableForm::Tsv));
        QVERIFY(ReadFile(tsv).startsWith("類別\t書名\t巻\t頁\t箇所\t字数\t1万字あたり\t用例\n"
                                         "經\t\t\t250\t251\t"));

        // A file that cannot be written: a message naming it, no file, and
        // the progress dialog gone while the message is up.
        QStringList messages;
        bool progressShown = false;
        vesk::SetMessageBoxInterceptor([&messages, &progressShown](const QString& text) {
            messages << text;
            QTest::qWait(600); // as long as a message box would stay open
            for (QWidget* widget : QApplication::topLevelWidgets())
                progressShown = progressShown || (qobject_cast<QProgressDialog*>(widget) && widget->isVisible());
        });
        const QString bad = m_files.filePath(QStringLiteral("missing/用例.csv"));
        QVERIFY(!window.ExportTab(vesk::CConcordanceWindow::OccurrencesTab, bad, vesk::TableForm::Csv));
        vesk::SetMessageBoxInterceptor({});
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(bad));
        QVERIFY(!progressShown);
        QVERIFY(!QFile::exists(bad));

        // Rows copied with their references.
        window.OccurrenceView()->selectRow(0);
        const QString copied = window.SelectedRowsText();
        QCOMPARE(copied, QStringLiteral("明月\n出典：經／詩／卷一／1頁\n"));

        // The text view's citation copy names the page shown.
        pane.view->SetCitationSource([&pane] { return vesk::ShownPageReference(*pane.form); });
        pane.view->selectAll();
        pane.view->CopyWithCitation();
        const QString cited = QGuiApplication::clipboard()->text();
        QVERIFY(cited.contains(QStringLiteral("明月")));
        QVERIFY(cited.endsWith(QStringLiteral("\n出典：經／詩／卷一／1頁")));
    }

    void nodeOfTheDistributionBecomesTheScope()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        Search(pane, 2, QStringLiteral("明月"));
        vesk::CConcordanceWindow window;
        connect(&window, &vesk::CConcordanceWindow::scopeSearchRequested, pane.form,
                [&pane](int record) { pane.form->SearchInScope(record); });
        QSignalSpy finished(&window, &vesk::CConcordanceWindow::fillFinished);
        window.Start(vesk::ConcordanceRequestFromPane(*pane.form, m_data.path().toStdString()));
        QVERIFY(finished.wait(20000));
        QStandardItemModel& tree = *window.DistributionModel();
        // 經 holds 詩 and 書; 書 (record 5) is the second work.
        const QModelIndex category = tree.index(0, 0);
        QCOMPARE(tree.data(category).toString(), QStringLiteral("經"));
        const QModelIndex work = tree.index(1, 0, category);
        QCOMPARE(tree.data(work).toString(), QStringLiteral("書"));
        QCOMPARE(tree.data(tree.index(1, vesk::CConcordanceWindow::Places, category)).toString(),
                 QStringLiteral("149"));
        // Outside the scope (詩) no marked count is shown; inside it is.
        QCOMPARE(tree.data(tree.index(1, vesk::CConcordanceWindow::Marked, category)).toString(), QString());
        QCOMPARE(tree.data(tree.index(0, vesk::CConcordanceWindow::Marked, category)).toString(),
                 QStringLiteral("102"));
        emit window.DistributionView()->doubleClicked(work);
        QCOMPARE(pane.form->m_nScopeRecord, std::uint16_t{5});
        QCOMPARE(pane.form->m_vecResults.size(), std::size_t{149});
    }

    void cancelStopsTheFill()
    {
        PaneUnderTest pane(m_data.path().toStdString());
        Search(pane, 1, QStringLiteral("明月"));
        vesk::CConcordanceWindow window;
        QSignalSpy finished(&window, &vesk::CConcordanceWindow::fillFinished);
        window.Start(vesk::ConcordanceRequestFromPane(*pane.form, m_data.path().toStdString()));
        window.Cancel();
        QVERIFY(finished.wait(20000));
        // Cancelled before the last page (or done already on a fast machine).
        QVERIFY(window.OccurrenceModel()->rowCount() <= 251);
        QVERIFY(!window.IsFilling());
    }

private:
    QTemporaryDir m_data;
    QTemporaryDir m_files;
};

VESK_GUI_TEST_MAIN(ConcordanceWindowTest)
#include "concordance_window_test.moc"
