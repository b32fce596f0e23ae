// The reading commands on the main window: their enabling rules, page steps
// to both ends of a volume, volume steps across works and categories with
// the tree following, the messages at the ends, the page slider, and hit
// steps over the last hit page.
#include "gui_test_main.h"
#include "search_pane_fixture.h"

#include "pane/keyword_box.h"
#include "pane/sort_list_ctrl.h"
#include "pane/x_edit.h"
#include "ui/message_box.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "window/reading_navigation.h"
#include "window/scroll_tool_bar.h"
#include "window/x_slider_ctrl.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace cmd = vesk::cmd;
namespace ctl = vesk::ctl;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ReadingNavigationTest : public QObject {
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
        vesk::CMainFrame::Paths paths;
        paths.dataFolder = m_data.path().toStdString();
        paths.programFolder = m_data.path().toStdString();
        m_frame = std::make_unique<vesk::CMainFrame>(paths);
        m_frame->resize(1000, 700);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_form = m_frame->LeftForm();
    }

    void cleanup()
    {
        m_frame.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    void nothingMovesBeforeAVolumeIsOpen()
    {
        for (int id : {cmd::PrevPage, cmd::NextPage, cmd::PrevVolume, cmd::NextVolume, cmd::PrevResult,
                       cmd::NextResult})
            QVERIFY2(!Enabled(id), qPrintable(QString::number(id)));
        QVERIFY(Enabled(cmd::FullDisplay));
        // The slider does nothing either.
        Slider()->setRange(0, 10);
        Slider()->setValue(3);
        QCOMPARE(m_form->m_nCurPage, 0);
        QVERIFY(!m_frame->TextView()->IsShowingPage());
        // F3 without a hit page does nothing.
        QTest::keyClick(m_frame.get(), Qt::Key_F3);
        QCOMPARE(m_form->m_nCurHit, 0);
        QVERIFY(m_messages.isEmpty());
    }

    void pagesStepToBothEndsOfAVolume()
    {
        // 卷三: 40 pages numbered from 5.
        Open(9);
        QCOMPARE(Slider()->minimum(), 5);
        QCOMPARE(Slider()->maximum(), 44);
        QCOMPARE(Indicator(), Expected(5));
        QVERIFY(!Enabled(cmd::PrevPage));
        QVERIFY(Enabled(cmd::NextPage));
        for (int page = 6; page <= 44; ++page) {
            QVERIFY(Enabled(cmd::NextPage));
            m_frame->RunCommand(cmd::NextPage);
            QCOMPARE(m_form->m_nCurPage, page);
        }
        QVERIFY(!Enabled(cmd::NextPage));
        QVERIFY(Enabled(cmd::PrevPage));
        QVERIFY(ShownPage().contains("<title>page 44</title>"));
        QCOMPARE(Slider()->value(), 44);
        QCOMPARE(Indicator(), Expected(44));
        while (Enabled(cmd::PrevPage))
            m_frame->RunCommand(cmd::PrevPage);
        QCOMPARE(m_form->m_nCurPage, 5);
        QVERIFY(ShownPage().contains("<title>page 5</title>"));
        QCOMPARE(Slider()->value(), 5);
        QCOMPARE(Indicator(), Expected(5));
        QCOMPARE(m_form->m_nCurRecord, 9);
    }

    void aOnePageVolumeDisablesBothPageSteps()
    {
        Open(4);
        QVERIFY(!Enabled(cmd::PrevPage));
        QVERIFY(!Enabled(cmd::NextPage));
        QVERIFY(Enabled(cmd::PrevVolume));
        QVERIFY(Enabled(cmd::NextVolume));
    }

    void volumesStepAcrossWorksAndCategoriesWithTheTreeFollowing()
    {
        Open(3);
        QVERIFY(!Enabled(cmd::PrevVolume));
        const int forward[] = {4, 6, 9};  // next in the work, next work, next category
        for (int record : forward) {
            m_frame->RunCommand(cmd::NextVolume);
            CheckReading(record);
        }
        QVERIFY(!Enabled(cmd::NextVolume));
        const int back[] = {6, 4, 3};
        for (int record : back) {
            m_frame->RunCommand(cmd::PrevVolume);
            CheckReading(record);
        }
        QVERIFY(!Enabled(cmd::PrevVolume));
        QVERIFY(m_messages.isEmpty());
    }

    void volumeStepFollowsFromAWorkOrCategorySelected()
    {
        // Reading 詩/卷二, the user chooses the work 書 and then the category
        // 史 as scopes; the volume steps still land on the right items.
        Open(4);
        Select(5);
        QCOMPARE(m_form->m_nCurRecord, 4);
        m_frame->RunCommand(cmd::NextVolume);
        CheckReading(6);
        Select(7);
        m_frame->RunCommand(cmd::PrevVolume);
        CheckReading(4);
        // The tree keeps following afterwards.
        m_frame->RunCommand(cmd::NextVolume);
        m_frame->RunCommand(cmd::NextVolume);
        CheckReading(9);
    }

    void theEndsSaySoAndChangeNothing()
    {
        Open(9);
        m_frame->RunCommand(cmd::NextPage);
        vesk::StepVolume(*m_frame, true);
        QCOMPARE(m_messages, QStringList{QStringLiteral("もう最後の巻まで至りました。")});
        QCOMPARE(m_form->m_nCurRecord, 9);
        QCOMPARE(m_form->m_nCurPage, 6);
        Open(3);
        vesk::StepVolume(*m_frame, false);
        QCOMPARE(m_messages.last(), QStringLiteral("これ以上戻れません。もう巻一に至っています。"));
        QCOMPARE(m_form->m_nCurRecord, 3);
        QCOMPARE(m_form->m_nCurPage, 1);
    }

    void sliderShowsThePageWhenTheStepEnds()
    {
        Open(9);
        vesk::CXSliderCtrl* slider = Slider();
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(m_form->m_nCurPage, 6);
        QVERIFY(ShownPage().contains("<title>page 6</title>"));
        QCOMPARE(Indicator(), Expected(6));
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(m_form->m_nCurPage, 44);
        QVERIFY(!Enabled(cmd::NextPage));
        // Dragging shows nothing until the thumb is let go.
        slider->setSliderDown(true);
        slider->setSliderPosition(20);
        QCOMPARE(m_form->m_nCurPage, 44);
        QVERIFY(ShownPage().contains("<title>page 44</title>"));
        QVERIFY(QGuiApplication::overrideCursor());
        slider->setSliderDown(false);
        QCOMPARE(m_form->m_nCurPage, 20);
        QVERIFY(ShownPage().contains("<title>page 20</title>"));
        QCOMPARE(Indicator(), Expected(20));
        QVERIFY(!QGuiApplication::overrideCursor());
        // The page commands go on from the slider's page, and move it.
        m_frame->RunCommand(cmd::PrevPage);
        QCOMPARE(slider->value(), 19);
        QCOMPARE(Indicator(), Expected(19));
    }

    void hitStepsWalkTheAnchorsOfTheLastHitPage()
    {
        // 卷二's page "明月照明月": 明月 twice, then 照, numbered keyword by keyword.
        Search(4, QStringLiteral("明月 照"));
        QCOMPARE(m_form->m_nHitCount, 3);
        const QString hitFile = m_form->m_strHitFile;
        QCOMPARE(m_frame->TextView()->GetLocationURL(), hitFile + QStringLiteral("#0000"));
        QVERIFY(!Enabled(cmd::PrevResult));
        for (const char* anchor : {"#0001", "#0002"}) {
            QVERIFY(Enabled(cmd::NextResult));
            m_frame->RunCommand(cmd::NextResult);
            QCOMPARE(m_frame->TextView()->GetLocationURL(), hitFile + QLatin1String(anchor));
        }
        QVERIFY(!Enabled(cmd::NextResult));
        m_frame->RunCommand(cmd::PrevResult);
        QCOMPARE(m_frame->TextView()->GetLocationURL(), hitFile + QStringLiteral("#0001"));
        // Reading elsewhere meanwhile: F3 goes back to the hit page.
        Open(3);
        m_frame->RunCommand(cmd::NextPage);
        QCOMPARE(m_frame->TextView()->GetLocationURL(), m_form->m_strPageFile);
        QTest::keyClick(m_frame.get(), Qt::Key_F3);
        QCOMPARE(m_frame->TextView()->GetLocationURL(), hitFile + QStringLiteral("#0002"));
        // The hit steps leave the reading position alone.
        QCOMPARE(m_form->m_nCurRecord, 3);
        QCOMPARE(m_form->m_nCurPage, 2);
        QCOMPARE(Indicator(), Expected(2));
        QTest::keyClick(m_frame.get(), Qt::Key_F3, Qt::AltModifier);
        QCOMPARE(m_frame->TextView()->GetLocationURL(), hitFile + QStringLiteral("#0001"));
    }

    void hitAnchorsHaveFourDigits()
    {
        QCOMPARE(vesk::HitAnchor(0), QStringLiteral("#0000"));
        QCOMPARE(vesk::HitAnchor(42), QStringLiteral("#0042"));
        QCOMPARE(vesk::HitAnchor(12345), QStringLiteral("#12345"));
    }

private:
    bool Enabled(int id)
    {
        m_frame->RefreshCommandStates();
        return m_frame->CommandAction(id)->isEnabled();
    }

    vesk::CXSliderCtrl* Slider() const { return m_frame->ToolBar()->Slider(); }
    QString Indicator() const { return m_frame->ToolBar()->PageEdit()->text(); }
    QString Expected(int page) const
    {
        return QStringLiteral("%1/%2").arg(pane_test::kPagesInStore).arg(page);
    }
    QByteArray ShownPage() const { return ReadFile(m_form->m_strPageFile); }

    void Select(int record)
    {
        vesk::CContentsTree* tree = m_form->ContentsTree();
        tree->setCurrentItem(tree->ItemOfRecord(record));
    }

    void Open(int record)
    {
        Select(record);
        QCOMPARE(m_form->m_nCurRecord, record);
    }

    void CheckReading(int record)
    {
        const vesk::ContentsRecordTag& volume = m_form->m_contents.Record(static_cast<std::size_t>(record));
        QCOMPARE(m_form->m_nCurRecord, record);
        QCOMPARE(m_form->m_nCurPage, int(volume.curFileName));
        QCOMPARE(vesk::CContentsTree::RecordOfItem(m_form->ContentsTree()->SelectedItem()), record);
        QCOMPARE(int(m_form->m_nScopeRecord), record);
        QCOMPARE(Slider()->minimum(), int(volume.curFileName));
        QCOMPARE(Slider()->maximum(), volume.curFileName + volume.docNo - 1);
        QCOMPARE(Slider()->value(), int(volume.curFileName));
        QCOMPARE(Indicator(), Expected(volume.curFileName));
        QCOMPARE(m_frame->TextView()->GetLocationURL(), m_form->m_strPageFile);
        QVERIFY(ShownPage().contains(QStringLiteral("<title>page %1</title>").arg(volume.curFileName).toUtf8()));
    }

    void Search(int scope, const QString& keyword)
    {
        Select(scope);
        m_form->SetCurrentTab(1);
        m_form->KeywordBox()->setText(keyword);
        QTest::mouseClick(static_cast<QPushButton*>(m_form->Control(ctl::SearchButton)), Qt::LeftButton);
        QVERIFY(m_form->ResultList()->topLevelItemCount() > 0);
        m_form->ResultList()->setCurrentItem(m_form->ResultList()->topLevelItem(0));
    }

    QTemporaryDir m_data;
    QTemporaryDir m_workingDirectory;
    std::unique_ptr<vesk::CMainFrame> m_frame;
    vesk::CLeftForm* m_form = nullptr;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(ReadingNavigationTest)
#include "reading_navigation_test.moc"
