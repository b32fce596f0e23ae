// The search pane: its layout on both tabs, its start state, and the
// private folder of its page files.
#include "gui_test_main.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/pane_layout.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using vesk::ComputePaneLayout;
using vesk::FindPlacement;
using vesk::PaneRect;
namespace ctl = vesk::ctl;

namespace {

PaneRect RectOf(const std::vector<vesk::ControlPlacement>& layout, int id)
{
    const vesk::ControlPlacement* p = FindPlacement(layout, id);
    return p && p->placed ? p->rect : PaneRect{-1, -1, -1, -1};
}

bool Shown(const std::vector<vesk::ControlPlacement>& layout, int id)
{
    const vesk::ControlPlacement* p = FindPlacement(layout, id);
    return p && p->visible;
}

} // namespace

class LeftFormTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        vesk::InstallCoreReportHandler();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
    }
    void cleanup() { vesk::SetMessageBoxInterceptor({}); }

    void searchTabWithoutResults()
    {
        const auto layout = ComputePaneLayout({260, 700, 1, 0, 32, 32});
        QCOMPARE(RectOf(layout, ctl::Tabs), (PaneRect{0, 0, 259, 699}));
        QCOMPARE(RectOf(layout, ctl::Prompt), (PaneRect{5, 28, 250, 15}));
        QCOMPARE(RectOf(layout, ctl::KeywordBox), (PaneRect{5, 45, 200, 25}));
        QCOMPARE(RectOf(layout, ctl::SearchButton), (PaneRect{210, 45, 45, 25}));
        QCOMPARE(RectOf(layout, ctl::Or), (PaneRect{190, 115, 50, 20}));
        QCOMPARE(RectOf(layout, ctl::TargetNotes), (PaneRect{189, 160, 60, 20}));
        QCOMPARE(RectOf(layout, ctl::ScopeLabel), (PaneRect{10, 205, 230, 20}));
        // The list reaches down to 4 pixels above the bottom.
        QCOMPARE(RectOf(layout, ctl::ResultList), (PaneRect{5, 250, 250, 446}));
        QVERIFY(!Shown(layout, ctl::ContentsTree));
        QVERIFY(!Shown(layout, ctl::KeywordEdit));
        // No paging row: left as it is.
        QVERIFY(FindPlacement(layout, ctl::PrevListPage) == nullptr);
        QVERIFY(FindPlacement(layout, ctl::ListPageBox) == nullptr);
    }

    void searchTabWithResultPages()
    {
        const auto layout = ComputePaneLayout({260, 700, 1, 3, 32, 32});
        QCOMPARE(RectOf(layout, ctl::PrevListPage), (PaneRect{5, 663, 32, 32}));
        QCOMPARE(RectOf(layout, ctl::NextListPage), (PaneRect{223, 663, 32, 32}));
        QCOMPARE(RectOf(layout, ctl::ListPageBox), (PaneRect{97, 669, 35, 20}));
        QCOMPARE(RectOf(layout, ctl::ListPageTotal), (PaneRect{134, 671, 30, 24}));
        // The list ends 38 pixels above the bottom.
        QCOMPARE(RectOf(layout, ctl::ResultList), (PaneRect{5, 250, 250, 412}));
    }

    void contentsTab()
    {
        const auto layout = ComputePaneLayout({260, 700, 0, 3, 32, 32});
        QCOMPARE(RectOf(layout, ctl::ContentsTree), (PaneRect{5, 26, 250, 670}));
        for (int id : {ctl::ResultList, ctl::KeywordBox, ctl::PrevListPage, ctl::NextListPage,
                       ctl::ListPageBox, ctl::Variant, ctl::Separator, ctl::SearchButton})
            QVERIFY2(!Shown(layout, id), qPrintable(QString::number(id)));
    }

    void paneStartsOnContentsAndFollowsTabAndSize()
    {
        QTemporaryDir data;
        QWidget top;
        auto* form = new vesk::CLeftForm(data.path().toStdString(), &top);
        // An empty data folder: the index says so, the pane is built anyway.
        QCOMPARE(m_messages, QStringList{QStringLiteral("データを開けませんでした。")});
        form->OnInitialUpdate();
        form->resize(300, 600);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));

        QCOMPARE(form->CurrentTab(), 0);
        QCOMPARE(top.windowTitle(), QStringLiteral("Vantor--Lethra（Morvane）"));
        QVERIFY(form->Control(ctl::ContentsTree)->isVisible());
        QCOMPARE(form->Control(ctl::ContentsTree)->geometry(), QRect(5, 26, 290, 570));
        QVERIFY(!form->KeywordBox()->isVisible());

        form->SetCurrentTab(1);
        QVERIFY(!form->Control(ctl::ContentsTree)->isVisible());
        QCOMPARE(form->KeywordBox()->geometry(), QRect(5, 45, 240, 25));
        QVERIFY(!form->Control(ctl::PrevListPage)->isVisible());
        QCOMPARE(form->Control(ctl::ResultList)->geometry(), QRect(5, 250, 290, 346));

        form->resize(400, 600);
        QCOMPARE(form->Control(ctl::Or)->geometry(), QRect(330, 115, 50, 20));

        // Options start at "and", "全文" and the variant box checked.
        form->UpdateData(true);
        QCOMPARE(form->m_nAndOr, 0);
        QCOMPARE(form->m_nTarget, 0);
        QVERIFY(form->m_bVariant);
        QVERIFY(static_cast<QAbstractButton*>(form->Control(ctl::And))->isChecked());
        QVERIFY(!static_cast<QAbstractButton*>(form->Control(ctl::Or))->isChecked());
    }

    void pageFilesLieInAPrivateFolderRemovedAtTheEnd()
    {
        QTemporaryDir data;
        QTemporaryDir temp;
        std::filesystem::path folder;
        {
            vesk::CLeftForm form(data.path().toStdString(), nullptr, temp.path().toStdString());
            vesk::CLeftForm other(data.path().toStdString(), nullptr, temp.path().toStdString());
            folder = form.PageFolder().Path();
            QVERIFY(form.PageFolder().IsValid());
            QCOMPARE(QString::fromStdString(folder.parent_path().string()), temp.path());
            QVERIFY(folder != other.PageFolder().Path());
            struct stat info {};
            QCOMPARE(lstat(folder.c_str(), &info), 0);
            QVERIFY(S_ISDIR(info.st_mode));
            QCOMPARE(info.st_mode & 0777, 0700u);

            QCOMPARE(form.m_strPageFile, QString::fromStdString((folder / "windows.html").string()));
            QCOMPARE(form.m_strHitFile1, QString::fromStdString((folder / "windows1.html").string()));
            QCOMPARE(form.m_strHitFile2, QString::fromStdString((folder / "windows2.html").string()));
            QFile page(form.m_strHitFile1);
            QVERIFY(page.open(QIODevice::WriteOnly));
            page.write("<html></html>");
        }
        QVERIFY(!std::filesystem::exists(folder));
        QVERIFY(QDir(temp.path()).isEmpty());
    }

    void unwritableTemporaryFolderGivesPathsThatCannotBeWritten()
    {
        QTemporaryDir data;
        vesk::CLeftForm form(data.path().toStdString(), nullptr, "/nonexistent-vesk-test-folder");
        QVERIFY(!form.PageFolder().IsValid());
        QFile page(form.m_strPageFile);
        QVERIFY(!page.open(QIODevice::WriteOnly));
    }

private:
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(LeftFormTest)
#include "left_form_test.moc"
