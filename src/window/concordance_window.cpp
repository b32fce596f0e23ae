// The concordance window: controls, the worker's progress, the two tabs.
// Export and copying live in concordance_window_export.cpp.
#include "window/concordance_window.h"

#include "pane/model/results.h"
#include "window/occurrence_model.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QTreeView>
#include <QVBoxLayout>

namespace vesk {
namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kSortRole = Qt::UserRole + 2;

QStandardItem* NumberItem(double value, const QString& shown)
{
    auto* item = new QStandardItem(shown);
    item->setData(value, kSortRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

QStandardItem* CountItem(std::uint64_t value)
{
    return NumberItem(static_cast<double>(value), QString::number(value));
}

} // namespace

CConcordanceWindow::CConcordanceWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("concordanceWindow"));
    setWindowTitle(QStringLiteral("用例一覧"));
    CreateControls();
    ConnectControls();
    resize(900, 560);
}

CConcordanceWindow::~CConcordanceWindow()
{
    StopWorker();
}

void CConcordanceWindow::CreateControls()
{
    m_sortBox = new QComboBox(this);
    m_sortBox->addItems({QStringLiteral("頁順"), QStringLiteral("後文脈順"), QStringLiteral("前文脈順")});
    m_contextBox = new QSpinBox(this);
    m_contextBox->setRange(1, kMaxContextChars);
    m_contextBox->setValue(kDefaultContextChars);
    m_progress = new QProgressBar(this);
    m_cancelButton = new QPushButton(QStringLiteral("中止"), this);
    m_exportButton = new QPushButton(QStringLiteral("書き出し…"), this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("並べ方"), this));
    bar->addWidget(m_sortBox);
    bar->addWidget(new QLabel(QStringLiteral("前後の字数"), this));
    bar->addWidget(m_contextBox);
    bar->addWidget(m_progress, 1);
    bar->addWidget(m_cancelButton);
    bar->addWidget(m_exportButton);

    m_occurrences = new COccurrenceModel(this);
    m_occurrenceView = new QTableView(this);
    m_occurrenceView->setModel(m_occurrences);
    m_occurrenceView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_occurrenceView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_occurrenceView->verticalHeader()->setDefaultSectionSize(22);
    m_occurrenceView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_occurrenceView->horizontalHeader()->setStretchLastSection(true);
    m_occurrenceView->setWordWrap(false);
    m_occurrenceView->setContextMenuPolicy(Qt::ActionsContextMenu);
    const int widths[] = {50, 110, 90, 40, 230, 70};
    for (int column = 0; column < 6; ++column)
        m_occurrenceView->setColumnWidth(column, widths[column]);

    m_distribution = new QStandardItemModel(this);
    m_distribution->setHorizontalHeaderLabels({QStringLiteral("類別・書名・巻"), QStringLiteral("頁"),
                                               QStringLiteral("箇所"), QStringLiteral("字数"),
                                               QStringLiteral("1万字あたり"), QStringLiteral("用例")});
    m_distribution->setSortRole(kSortRole);
    m_distributionView = new QTreeView(this);
    m_distributionView->setModel(m_distribution);
    m_distributionView->setSortingEnabled(true);
    m_distributionView->sortByColumn(-1, Qt::AscendingOrder);
    m_distributionView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_distributionView->setUniformRowHeights(true);
    m_distributionView->setColumnWidth(NodeName, 260);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_occurrenceView, QStringLiteral("用例"));
    m_tabs->addTab(m_distributionView, QStringLiteral("分布"));
    m_summary = new QLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_summary);
}

void CConcordanceWindow::ConnectControls()
{
    connect(m_sortBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        static constexpr OccurrenceOrder kOrders[] = {OccurrenceOrder::Page, OccurrenceOrder::Right,
                                                      OccurrenceOrder::Left};
        m_occurrences->SetOrder(kOrders[std::clamp(index, 0, 2)]);
    });
    connect(m_contextBox, &QSpinBox::editingFinished, this, [this] {
        if (m_contextBox->value() == m_request.contextChars)
            return;
        ConcordanceRequest request = m_request;
        request.contextChars = m_contextBox->value();
        Start(std::move(request));
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &CConcordanceWindow::Cancel);
    connect(m_exportButton, &QPushButton::clicked, this, &CConcordanceWindow::OnExport);
    connect(m_occurrenceView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    OnRowChosen(current.row());
            });
    connect(m_distributionView, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        const QModelIndex name = index.siblingAtColumn(NodeName);
        const int record = m_distribution->data(name, kRecordRole).toInt();
        if (record > 0)
            emit scopeSearchRequested(record);
    });
    auto* copy = new QAction(QStringLiteral("出典付きでコピー"), m_occurrenceView);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &CConcordanceWindow::CopySelectedRows);
    m_occurrenceView->addAction(copy);
}

void CConcordanceWindow::Start(ConcordanceRequest request)
{
    StopWorker();
    m_request = std::move(request);
    m_contextBox->setValue(m_request.contextChars);
    ++m_generation;
    m_pagesDone = 0;
    m_completed = false;
    m_entries.clear();
    m_distribution->removeRows(0, m_distribution->rowCount());
    m_occurrences->Reset(m_request.records);
    m_occurrences->SetOrder(m_occurrences->Order());
    m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(m_request.records.size(), INT32_MAX)));
    m_progress->setValue(0);
    m_progress->show();
    m_cancelButton->setEnabled(true);

    const std::uint64_t generation = m_generation;
    ConcordanceCallbacks callbacks;
    callbacks.batch = [this, generation](std::unique_ptr<OccurrenceBatch> batch) {
        std::shared_ptr<OccurrenceBatch> shared(std::move(batch));
        QMetaObject::invokeMethod(this, [this, generation, shared] {
            if (generation == m_generation)
                OnBatch(shared);
        }, Qt::QueuedConnection);
    };
    callbacks.distribution = [this, generation](std::vector<DistributionEntry> entries) {
        auto shared = std::make_shared<std::vector<DistributionEntry>>(std::move(entries));
        QMetaObject::invokeMethod(this, [this, generation, shared] {
            if (generation == m_generation)
                OnDistribution(std::move(*shared));
        }, Qt::QueuedConnection);
    };
    callbacks.finished = [this, generation](bool completed, std::string problem) {
        const QString text = QString::fromStdString(problem);
        QMetaObject::invokeMethod(this, [this, generation, completed, text] {
            if (generation == m_generation)
                OnFinished(completed, text);
        }, Qt::QueuedConnection);
    };
    m_worker = std::make_shared<ConcordanceWorker>(m_request, std::move(callbacks));
    std::shared_ptr<ConcordanceWorker> worker = m_worker;
    m_thread = QThread::create([worker] { worker->Run(); });
    m_thread->start();
    UpdateSummary();
}

void CConcordanceWindow::Cancel()
{
    if (m_worker)
        m_worker->Cancel();
}

void CConcordanceWindow::StopWorker()
{
    if (!m_thread)
        return;
    m_worker->Cancel();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_worker.reset();
}

void CConcordanceWindow::OnBatch(std::shared_ptr<OccurrenceBatch> batch)
{
    m_occurrences->Append(batch->rows, batch->recordOfRow);
    m_pagesDone = batch->pagesDone;
    m_progress->setValue(static_cast<int>(std::min<std::size_t>(m_pagesDone, INT32_MAX)));
    UpdateSummary();
}

void CConcordanceWindow::OnDistribution(std::vector<DistributionEntry> entries)
{
    m_entries = std::move(entries);
    m_distribution->removeRows(0, m_distribution->rowCount());
    std::vector<QStandardItem*> parents; // by level
    for (const DistributionEntry& entry : m_entries) {
        auto* name = new QStandardItem(QString::fromStdU16String(entry.name));
        name->setData(entry.record, kRecordRole);
        name->setData(QString::fromStdU16String(entry.name), kSortRole);
        name->setEditable(false);
        const QList<QStandardItem*> row = {name, CountItem(entry.pages), CountItem(entry.places),
                                           CountItem(entry.characters),
                                           NumberItem(entry.rate, QString::number(entry.rate, 'f', 2)),
                                           NumberItem(-1, QString())};
        const auto level = static_cast<std::size_t>(std::max(entry.level, 1));
        parents.resize(level);
        QStandardItem* parent = level >= 2 && parents[level - 2] ? parents[level - 2] : nullptr;
        if (parent)
            parent->appendRow(row);
        else
            m_distribution->appendRow(row);
        parents[level - 1] = name;
    }
    m_distributionView->expandToDepth(0);
    if (m_completed)
        FillMarkedColumn();
}

void CConcordanceWindow::OnFinished(bool completed, const QString& problem)
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        m_worker.reset();
    }
    m_completed = completed;
    m_cancelButton->setEnabled(false);
    if (completed) {
        m_progress->setValue(m_progress->maximum());
        if (m_occurrences->Order() != OccurrenceOrder::Page)
            m_occurrences->SetOrder(m_occurrences->Order());
        FillMarkedColumn();
    }
    UpdateSummary();
    if (!problem.isEmpty())
        m_summary->setText(problem);
    emit fillFinished(completed);
}

void CConcordanceWindow::UpdateSummary()
{
    std::uint64_t places = 0;
    for (const SearchNodeTag& record : m_request.records)
        places += record.nCount;
    QString text = QString::fromStdString(FormatSummary(static_cast<std::int32_t>(m_request.records.size()),
                                                        static_cast<std::int32_t>(places)));
    text += QStringLiteral("用例 %1 件").arg(m_occurrences->rowCount());
    if (IsFilling())
        text += QStringLiteral("（%1 / %2 頁を読みました）").arg(m_pagesDone).arg(m_request.records.size());
    else if (!m_completed)
        text += QStringLiteral("（中止しました）");
    m_summary->setText(text);
}

void CConcordanceWindow::OnRowChosen(int row)
{
    if (row < 0 || row >= m_occurrences->rowCount())
        return;
    const OccurrenceRow& chosen = m_occurrences->Table().Row(m_occurrences->TableRow(row));
    emit hitRequested(chosen.pageId, chosen.anchor);
}

void CConcordanceWindow::closeEvent(QCloseEvent* event)
{
    Cancel();
    QWidget::closeEvent(event);
}

} // namespace vesk
