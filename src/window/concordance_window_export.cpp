// The concordance window's export of either tab, its copy of chosen rows with
// their references, and the column of marked occurrences in the distribution.
#include "concordance/citation.h"
#include "concordance/distribution.h"
#include "window/clipboard_limit.h"
#include "window/concordance_window.h"
#include "window/occurrence_model.h"
#include "window/table_export.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include <algorithm>
#include <functional>

namespace vesk {
namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kSortRole = Qt::UserRole + 2;

std::string Utf8(const std::u16string& text)
{
    return QString::fromStdU16String(text).toStdString();
}

// The concordance as it stood when the export began, for the export thread.
struct OccurrenceSnapshot {
    OccurrenceTable table;
    std::vector<SearchNodeTag> records;
    std::vector<std::uint32_t> order;
};

ExportTable OccurrenceExport(std::shared_ptr<const OccurrenceSnapshot> snapshot)
{
    ExportTable table;
    table.columns = {{"類別"}, {"書名"}, {"巻"}, {"頁", true}, {"頁ID", true}, {"錨", true},
                     {"層"},   {"前"},   {"用例"}, {"後"}};
    table.rowCount = snapshot->order.size();
    table.row = [snapshot](std::size_t i) {
        const OccurrenceRow& row = snapshot->table.Row(snapshot->order[i]);
        static const SearchNodeTag kNoRecord;
        const SearchNodeTag& record = row.record < snapshot->records.size() ? snapshot->records[row.record] : kNoRecord;
        return std::vector<std::string>{Utf8(record.strCategory), Utf8(record.strTitle), Utf8(record.strVolume),
                                        std::to_string(record.nPageNo), std::to_string(row.pageId),
                                        std::to_string(row.anchor), row.layer == kLayerAnnotation ? "注" : "本文",
                                        std::string(snapshot->table.Left(row)),
                                        std::string(snapshot->table.Match(row)),
                                        std::string(snapshot->table.Right(row))};
    };
    return table;
}

// Every item of the distribution in the order shown, with the names above it.
void WalkDistribution(const QStandardItemModel& model, const QModelIndex& parent, std::vector<std::string> path,
                      std::vector<std::vector<std::string>>& rows)
{
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex name = model.index(r, 0, parent);
        std::vector<std::string> here = path;
        here.push_back(model.data(name).toString().toStdString());
        std::vector<std::string> fields = here;
        fields.resize(3);
        for (int column = 1; column < CConcordanceWindow::DistributionColumns; ++column)
            fields.push_back(model.data(model.index(r, column, parent)).toString().toStdString());
        rows.push_back(std::move(fields));
        WalkDistribution(model, name, here, rows);
    }
}

} // namespace

bool CConcordanceWindow::ExportTab(Tab tab, const QString& path, TableForm form)
{
    if (tab == OccurrencesTab) {
        auto snapshot = std::make_shared<OccurrenceSnapshot>();
        snapshot->table = m_occurrences->Table();
        snapshot->records = m_occurrences->Records();
        snapshot->order = m_occurrences->RowsInOrder();
        return ExportWithProgress(this, path, form, OccurrenceExport(std::move(snapshot)));
    }
    auto rows = std::make_shared<std::vector<std::vector<std::string>>>();
    WalkDistribution(*m_distribution, {}, {}, *rows);
    ExportTable table;
    table.columns = {{"類別"}, {"書名"}, {"巻"}, {"頁", true}, {"箇所", true}, {"字数", true},
                     {"1万字あたり", true}, {"用例", true}};
    table.rowCount = rows->size();
    table.row = [rows](std::size_t i) { return (*rows)[i]; };
    return ExportWithProgress(this, path, form, std::move(table));
}

void CConcordanceWindow::OnExport()
{
    const Tab tab = m_tabs->currentIndex() == DistributionTab ? DistributionTab : OccurrencesTab;
    TableForm form = TableForm::Csv;
    const QString path =
        AskExportFile(this, tab == OccurrencesTab ? QStringLiteral("用例.csv") : QStringLiteral("分布.csv"), form);
    if (!path.isEmpty())
        ExportTab(tab, path, form);
}

QString CConcordanceWindow::SelectedRowsText() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_occurrenceView->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    const OccurrenceTable& table = m_occurrences->Table();
    const std::vector<SearchNodeTag>& records = m_occurrences->Records();
    QString text;
    std::size_t used = 0;
    for (int row : rows) {
        const OccurrenceRow& chosen = table.Row(m_occurrences->TableRow(row));
        std::string line(table.Left(chosen));
        line += table.Match(chosen);
        line += table.Right(chosen);
        std::u16string units = QString::fromStdString(line).toStdU16String();
        const std::size_t length = CodePageLength(units);
        bool full = false;
        if (used + length > kCopyLimitBytes) {
            units = CutToCodePageLimit(units, kCopyLimitBytes - used).value_or(units);
            full = true;
        }
        used += CodePageLength(units);
        if (!units.empty() || !full) {
            text += QString::fromStdU16String(units) + QLatin1Char('\n');
            if (chosen.record < records.size())
                text += QString::fromStdString(ReferenceLine(records[chosen.record])) + QLatin1Char('\n');
        }
        if (full)
            break;
    }
    return text;
}

void CConcordanceWindow::CopySelectedRows()
{
    const QString text = SelectedRowsText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void CConcordanceWindow::FillMarkedColumn()
{
    // Marked occurrences per result page; a node shows them only when every
    // page found in it is one of the concordance's pages (the scope).
    const std::vector<SearchNodeTag>& records = m_occurrences->Records();
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> ones(records.size(), 1);
    std::vector<std::uint32_t> marked(records.size(), 0);
    for (const SearchNodeTag& record : records)
        pages.push_back(record.nPageID);
    const OccurrenceTable& table = m_occurrences->Table();
    for (std::size_t i = 0; i < table.Size(); ++i)
        if (table.Row(i).record < marked.size())
            ++marked[table.Row(i).record];
    const PageTally listed(pages, ones);
    const PageTally markedTally(pages, marked);
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int r = 0; r < m_distribution->rowCount(parent); ++r) {
            const QModelIndex name = m_distribution->index(r, NodeName, parent);
            const int record = m_distribution->data(name, kRecordRole).toInt();
            const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                            [record](const DistributionEntry& e) { return e.record == record; });
            if (entry != m_entries.end() && listed.InRange(entry->firstPage, entry->endPage).pages == entry->pages) {
                const std::uint64_t count = markedTally.InRange(entry->firstPage, entry->endPage).count;
                const QModelIndex cell = m_distribution->index(r, Marked, parent);
                m_distribution->setData(cell, QString::number(count), Qt::DisplayRole);
                m_distribution->setData(cell, static_cast<double>(count), kSortRole);
            }
            walk(name);
        }
    };
    walk({});
}

} // namespace vesk
