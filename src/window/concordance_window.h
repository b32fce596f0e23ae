#pragma once
// The concordance window ("用例一覧"): for the last search, every occurrence
// in context (tab "用例") and how the places are distributed over the
// contents (tab "分布"). It fills in progressively from a worker thread
// (concordance_worker.h) with a progress bar and a cancel button, and stays
// responsive meanwhile. It speaks to the rest of the program by signals:
// choosing a row asks for that hit page at the row's anchor, double-clicking
// a node asks for the search again with that node as the scope.
#include "concordance/occurrence_table.h"
#include "concordance/table_text.h"
#include "window/concordance_worker.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QThread;
class QTreeView;

namespace vesk {

class COccurrenceModel;

class CConcordanceWindow : public QWidget {
    Q_OBJECT
public:
    enum Tab { OccurrencesTab = 0, DistributionTab = 1 };
    // Columns of the distribution tree.
    enum DistributionColumn { NodeName, Pages, Places, Characters, Rate, Marked, DistributionColumns };

    explicit CConcordanceWindow(QWidget* parent = nullptr);
    ~CConcordanceWindow() override;

    // Starts over for request (cancelling work still running).
    void Start(ConcordanceRequest request);
    void Cancel();
    bool IsFilling() const { return m_thread != nullptr; }

    // Writes every row of a tab, in the order shown, through QSaveFile;
    // a failure shows a message naming the file. True when written.
    bool ExportTab(Tab tab, const QString& path, TableForm form);
    // The text of the selected concordance rows, each followed by its
    // reference line; the rows' own text (not the references) is cut to the
    // copy limit.
    QString SelectedRowsText() const;

    COccurrenceModel* OccurrenceModel() const { return m_occurrences; }
    QStandardItemModel* DistributionModel() const { return m_distribution; }
    QTableView* OccurrenceView() const { return m_occurrenceView; }
    QTreeView* DistributionView() const { return m_distributionView; }
    QTabWidget* Tabs() const { return m_tabs; }
    QLabel* Summary() const { return m_summary; }

signals:
    void hitRequested(quint32 pageId, int anchor);
    void scopeSearchRequested(int record);
    // The fill ended (completed: every result page was read).
    void fillFinished(bool completed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void OnBatch(std::shared_ptr<OccurrenceBatch> batch);
    void OnDistribution(std::vector<DistributionEntry> entries);
    void OnFinished(bool completed, const QString& problem);
    void FillMarkedColumn();
    void UpdateSummary();
    void OnExport();
    void OnRowChosen(int row);
    void CopySelectedRows();
    void StopWorker();

    ConcordanceRequest m_request;
    std::shared_ptr<ConcordanceWorker> m_worker;
    QThread* m_thread = nullptr;
    std::uint64_t m_generation = 0;
    std::size_t m_pagesDone = 0;
    bool m_completed = false;
    std::vector<DistributionEntry> m_entries;

    COccurrenceModel* m_occurrences = nullptr;
    QStandardItemModel* m_distribution = nullptr;
    QComboBox* m_sortBox = nullptr;
    QSpinBox* m_contextBox = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTableView* m_occurrenceView = nullptr;
    QTreeView* m_distributionView = nullptr;
    QLabel* m_summary = nullptr;
};

} // namespace vesk
