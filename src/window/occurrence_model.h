#pragma once
// The rows of the concordance for a table view: 類別 書名 巻 頁, the left
// context (right-aligned, so it ends at the match), the match (red) and the
// right context. Rows live in an OccurrenceTable; the model only maps view
// rows to table rows in the chosen order. Rows added while a sorted order
// is shown go to the end until the order is chosen again.
#include "concordance/occurrence_table.h"
#include "engine/search_result.h"

#include <QAbstractTableModel>

#include <vector>

namespace vesk {

class COccurrenceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Category, Title, Volume, PageNo, Left, Match, Right, ColumnCount };

    explicit COccurrenceModel(QObject* parent = nullptr);

    // Starts again for a new concordance of records.
    void Reset(std::vector<SearchNodeTag> records);
    // Appends occurrences; recordOfRow gives each one's record index.
    void Append(std::span<const Occurrence> rows, std::span<const std::uint32_t> recordOfRow);
    void SetOrder(OccurrenceOrder order);
    OccurrenceOrder Order() const { return m_order; }

    const OccurrenceTable& Table() const { return m_table; }
    const std::vector<SearchNodeTag>& Records() const { return m_records; }
    // The table row shown at view row.
    std::uint32_t TableRow(int row) const;
    // The view rows in order, as table rows.
    std::vector<std::uint32_t> RowsInOrder() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    OccurrenceTable m_table;
    std::vector<SearchNodeTag> m_records;
    std::vector<std::uint32_t> m_rows; // view row -> table row; empty: page order
    OccurrenceOrder m_order = OccurrenceOrder::Page;
};

} // namespace vesk
