#include "pane/sort_list_ctrl.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

namespace vesk {

CSortListCtrl::CSortListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &CSortListCtrl::OnColumnClick);
}

long long CSortListCtrl::LeadingNumber(const QString& text)
{
    long long value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        if (value > 100000000000LL)  // far beyond any page number; stop growing
            break;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

void CSortListCtrl::SortByPageNumber()
{
    // Reordering moves rows, it does not choose one: the selected row stays
    // selected without a selection notification.
    const QSignalBlocker quiet(this);
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<std::size_t>(topLevelItemCount()));
    while (topLevelItemCount() > 0)
        rows.push_back(takeTopLevelItem(0));
    std::ranges::stable_sort(rows, [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return LeadingNumber(a->text(kPageColumn)) < LeadingNumber(b->text(kPageColumn));
    });
    for (QTreeWidgetItem* row : rows)
        addTopLevelItem(row);
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* row : selected)
        row->setSelected(true);
}

void CSortListCtrl::OnColumnClick(int column)
{
    if (column == kPageColumn)
        SortByPageNumber();
}

} // namespace vesk
