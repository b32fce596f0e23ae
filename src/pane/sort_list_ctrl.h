#pragma once
// The result list: a report list whose rows carry an integer (the page
// identifier) and which sorts its rows by the page number of column 3 when
// that column's header is clicked. Always ascending; other columns do not sort.
#include <QTreeWidget>

namespace vesk {

class CSortListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kPageColumn = 3;

    explicit CSortListCtrl(QWidget* parent = nullptr);

    // Leading decimal digits of a cell as a number; 0 when there are none.
    static long long LeadingNumber(const QString& text);
    // Rows in ascending order of column 3; rows with equal numbers keep
    // their order.
    void SortByPageNumber();
    void OnColumnClick(int column);
};

} // namespace vesk
