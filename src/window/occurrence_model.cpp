#include "window/occurrence_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace vesk {
namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

COccurrenceModel::COccurrenceModel(QObject* parent) : QAbstractTableModel(parent) {}

void COccurrenceModel::Reset(std::vector<SearchNodeTag> records)
{
    beginResetModel();
    m_table.Clear();
    m_rows.clear();
    m_records = std::move(records);
    endResetModel();
}

void COccurrenceModel::Append(std::span<const Occurrence> rows, std::span<const std::uint32_t> recordOfRow)
{
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_table.Size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (std::size_t i = 0; i < rows.size() && i < recordOfRow.size(); ++i) {
        if (!m_rows.empty() || m_order != OccurrenceOrder::Page)
            m_rows.push_back(static_cast<std::uint32_t>(m_table.Size()));
        m_table.Append(rows.subspan(i, 1), recordOfRow[i]);
    }
    endInsertRows();
}

void COccurrenceModel::SetOrder(OccurrenceOrder order)
{
    beginResetModel();
    m_order = order;
    if (order == OccurrenceOrder::Page)
        m_rows.clear();
    else
        m_rows = m_table.Ordered(order);
    endResetModel();
}

std::uint32_t COccurrenceModel::TableRow(int row) const
{
    const auto at = static_cast<std::size_t>(row);
    return m_rows.empty() ? static_cast<std::uint32_t>(at) : m_rows[at];
}

std::vector<std::uint32_t> COccurrenceModel::RowsInOrder() const
{
    if (!m_rows.empty())
        return m_rows;
    std::vector<std::uint32_t> rows(m_table.Size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint32_t>(i);
    return rows;
}

int COccurrenceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.Size());
}

int COccurrenceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant COccurrenceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= m_table.Size())
        return {};
    const OccurrenceRow& row = m_table.Row(TableRow(index.row()));
    const SearchNodeTag* record = row.record < m_records.size() ? &m_records[row.record] : nullptr;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Category: return record ? QString::fromStdU16String(record->strCategory) : QString();
        case Title: return record ? QString::fromStdU16String(record->strTitle) : QString();
        case Volume: return record ? QString::fromStdU16String(record->strVolume) : QString();
        case PageNo: return record ? QVariant(record->nPageNo) : QVariant();
        case Left: return FromUtf8(m_table.Left(row));
        case Match: return FromUtf8(m_table.Match(row));
        case Right: return FromUtf8(m_table.Right(row));
        default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == Left || index.column() == PageNo)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (index.column() == Match)
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == Qt::ForegroundRole && index.column() == Match)
        return QBrush(QColor(Qt::red));
    if (role == Qt::ToolTipRole && row.layer == kLayerAnnotation)
        return QStringLiteral("注");
    return {};
}

QVariant COccurrenceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char* const kTitles[] = {"類別", "書名", "巻", "頁", "前", "用例", "後"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

} // namespace vesk
