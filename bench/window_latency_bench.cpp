// What the user waits for in the window: the real main window, started by the
// program's own start-up on a data folder (the demo data by default) with
// Qt's offscreen platform, driven by input events on its widgets. Each action
// is timed from the input event to the finished paint of the window (the
// events it posted handled, then the whole window repainted at once):
//
//   search             Return in the keyword box to the filled result list and
//                      its summary (scope 詩: the most frequent character, a
//                      phrase of two and one of three characters)
//   row to hit page    a click on a result row to the hit page shown at its anchor
//   F3 / Alt+F3        to the next or previous anchor of the hit page
//   page step          a click on the next or previous page button
//   volume step        the next or previous volume command
//   result-list page   a click on the next or previous list page button
//
//   window_latency_bench [--data DIR] [--runs N]
//
// Prints the median and the 95th percentile of each; target: under 50 ms at
// the median and under 100 ms at the 95th percentile. The settings, the
// temporary pages and the working directory lie in a folder of the run's own.
#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/pane_layout.h"
#include "pane/sort_list_ctrl.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "ui/message_box.h"
#include "window/scroll_tool_bar.h"
#include "window/vesk_app.h"
#include "window/vesk_view.h"

#include "executable_folder.h"

#include <QAction>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTabBar>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Figures {
    std::string what;
    std::vector<double> ms;
};

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

class Driver {
public:
    explicit Driver(vesk::CMainFrame* frame) : m_frame(frame) {}

    vesk::CLeftForm* Form() const { return m_frame->LeftForm(); }
    vesk::CVeskView* View() const { return m_frame->TextView(); }
    vesk::CContentsTree* Tree() const { return Form()->ContentsTree(); }

    // Handles what the action posted and repaints the whole window.
    void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        m_frame->repaint();
    }

    double Time(const std::function<void()>& action)
    {
        const double start = NowMs();
        action();
        Settle();
        return NowMs() - start;
    }

    QTreeWidgetItem* TopItem(const QString& name) const
    {
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i)
            if (Tree()->topLevelItem(i)->text(0) == name)
                return Tree()->topLevelItem(i);
        return nullptr;
    }

    void ClickItem(QTreeWidgetItem* item)
    {
        Tree()->scrollToItem(item);
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, Tree()->visualItemRect(item).center());
        Settle();
    }

    void ShowSearchTab()
    {
        auto* tabs = static_cast<QTabWidget*>(Form()->Control(vesk::ctl::Tabs));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        Settle();
    }

    double Search(const QString& keyword)
    {
        vesk::CKeywordBox* box = Form()->KeywordBox();
        box->setText(keyword);
        QWidget* button = Form()->Control(vesk::ctl::SearchButton);
        return Time([button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    double ClickRow(int row)
    {
        vesk::CSortListCtrl* list = Form()->ResultList();
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        return Time([list, rect] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center()); });
    }

    double ClickControl(QWidget* control)
    {
        return Time([control] { QTest::mouseClick(control, Qt::LeftButton); });
    }

    QWidget* ToolButton(int id) const { return m_frame->ToolBar()->widgetForAction(m_frame->CommandAction(id)); }
    bool Enabled(int id) const
    {
        m_frame->RefreshCommandStates();
        return m_frame->CommandAction(id)->isEnabled();
    }

private:
    vesk::CMainFrame* m_frame;
};

int Run(vesk::CMainFrame* frame, int runs)
{
    Driver d(frame);
    if (!QTest::qWaitForWindowExposed(frame)) {
        std::fprintf(stderr, "window_latency_bench: the window is not shown\n");
        return 2;
    }
    d.Settle();
    QTreeWidgetItem* poetry = d.TopItem(QStringLiteral("詩"));
    if (poetry == nullptr) {
        std::fprintf(stderr, "window_latency_bench: no category 詩 in the contents\n");
        return 2;
    }
    std::vector<Figures> table;
    // The floor: a repaint of the whole window with nothing changed.
    Figures floor{"repaint alone", {}};
    for (int r = 0; r < runs; ++r)
        floor.ms.push_back(d.Time([] {}));
    table.push_back(std::move(floor));

    // Searches with scope 詩.
    d.ClickItem(poetry);
    d.ShowSearchTab();
    for (const char* keyword : {"不", "明月", "君不見"}) {
        Figures f{std::string("search ") + keyword + " (scope 詩)", {}};
        for (int r = 0; r < runs; ++r)
            f.ms.push_back(d.Search(QString::fromUtf8(keyword)));
        std::printf("  %s: %d rows, %s\n", f.what.c_str(), d.Form()->ResultList()->topLevelItemCount(),
                    d.Form()->Control(vesk::ctl::Summary)->property("text").toString().toUtf8().constData());
        table.push_back(std::move(f));
    }

    // The result list of 不: list pages, rows to hit pages, F3.
    d.Search(QStringLiteral("不"));
    Figures listPages{"result-list page", {}};
    for (int r = 0; r < runs; ++r)
        listPages.ms.push_back(d.ClickControl(d.Form()->Control(r % 2 == 0 ? vesk::ctl::NextListPage : vesk::ctl::PrevListPage)));
    table.push_back(std::move(listPages));

    Figures rows{"row to hit page", {}};
    const int rowCount = d.Form()->ResultList()->topLevelItemCount();
    for (int r = 0; r < runs; ++r)
        rows.ms.push_back(d.ClickRow(r % std::max(1, std::min(rowCount, 20))));
    table.push_back(std::move(rows));

    // F3 forward through the anchors, Alt+F3 back.
    Figures f3{"F3 / Alt+F3", {}};
    d.View()->setFocus();
    bool forward = true;
    for (int r = 0; r < runs; ++r) {
        const int id = forward ? vesk::cmd::NextResult : vesk::cmd::PrevResult;
        if (!d.Enabled(id)) {
            forward = !forward;
        }
        f3.ms.push_back(d.Time([&] {
            QTest::keyClick(d.View(), Qt::Key_F3, forward ? Qt::NoModifier : Qt::AltModifier);
        }));
    }
    table.push_back(std::move(f3));

    // Reading: the first volume of 詩's first work, page steps and volume steps.
    poetry->setExpanded(true);
    d.Settle();
    QTreeWidgetItem* work = poetry->childCount() > 0 ? poetry->child(0) : nullptr;
    if (work != nullptr) {
        work->setExpanded(true);
        d.Settle();
    }
    if (work != nullptr && work->childCount() > 0)
        d.ClickItem(work->child(0));
    Figures pages{"page step", {}};
    forward = true;
    for (int r = 0; r < runs; ++r) {
        if (!d.Enabled(forward ? vesk::cmd::NextPage : vesk::cmd::PrevPage))
            forward = !forward;
        pages.ms.push_back(d.ClickControl(d.ToolButton(forward ? vesk::cmd::NextPage : vesk::cmd::PrevPage)));
    }
    table.push_back(std::move(pages));
    Figures volumes{"volume step", {}};
    for (int r = 0; r < runs; ++r) {
        QAction* action = frame->CommandAction(r % 2 == 0 ? vesk::cmd::NextVolume : vesk::cmd::PrevVolume);
        volumes.ms.push_back(d.Time([action] { action->trigger(); }));
    }
    table.push_back(std::move(volumes));

    std::printf("\n%-28s %5s %10s %10s  %s\n", "action", "runs", "median ms", "p95 ms", "target (<50 / <100 ms)");
    bool met = true;
    for (const Figures& f : table) {
        const double median = Percentile(f.ms, 0.5), p95 = Percentile(f.ms, 0.95);
        const bool ok = median < 50 && p95 < 100;
        met = met && ok;
        std::printf("%-28s %5zu %10.2f %10.2f  %s\n", f.what.c_str(), f.ms.size(), median, p95, ok ? "met" : "NOT met");
    }
    std::printf("window latency targets: %s\n", met ? "met" : "NOT met");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string data = ExecutableFolder();
    int runs = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--data")
            data = argv[i + 1];
        else if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    // The run works in a folder of its own: a relative DIR is taken from here.
    data = fs::absolute(data).string();
    std::string pattern = (fs::temp_directory_path() / "vesk-window-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 2;
    const fs::path folder = pattern;
    setenv("TMPDIR", pattern.c_str(), 1);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::error_code error;
    fs::create_directories(folder / "work", error);
    if (error || chdir((folder / "work").c_str()) != 0)
        return 2;
    QStandardPaths::setTestModeEnabled(true);
    std::string program = argv[0], dataOption = "--data", noSplash = "--no-splash";
    char* appArgv[] = {program.data(), dataOption.data(), data.data(), noSplash.data(), nullptr};
    int appArgc = 4;
    vesk::CVeskApp app(appArgc, appArgv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(pattern));
    QStringList messages;
    const auto intercept = [&messages](const QString& text) { messages << text; };
    vesk::SetMessageBoxInterceptor(intercept);
    int result = 2;
    const double start = NowMs();
    if (app.InitInstance()) {
        vesk::SetMessageBoxInterceptor(intercept);
        std::printf("data: %s\nstart-up to the shown window: %.1f ms\n", data.c_str(), NowMs() - start);
        result = Run(app.MainFrame(), runs);
        for (const QString& message : messages)
            std::printf("message box: %s\n", message.toUtf8().constData());
    } else {
        std::fprintf(stderr, "window_latency_bench: the program did not start on %s\n", data.c_str());
    }
    if (app.MainFrame())
        app.ExitInstance(result);
    fs::remove_all(folder, error);
    return result;
}
