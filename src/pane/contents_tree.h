#pragma once
// The contents tree of the tab "目録": one item per contents record, the
// record index as item data, the closed picture normally and the open one
// while selected. Items are joined by dotted lines; there are no expand
// buttons (a double click opens and closes a work), no tooltips, and the
// selection stays visible when the tree loses the focus.
#include <QIcon>
#include <QString>
#include <QTreeWidget>

#include <vector>

namespace vesk {

class ContentsModel;

class CContentsTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CContentsTree(QWidget* parent = nullptr);

    // Replaces the items by those of the loaded records, all collapsed.
    // icon shows picture 0 normally and picture 1 while selected.
    void Fill(const ContentsModel& contents, const QIcon& icon);

    // The record index an item carries; 0 for none.
    static int RecordOfItem(const QTreeWidgetItem* item);
    // The item made from a record index, or null.
    QTreeWidgetItem* ItemOfRecord(int record) const;
    // The names from the top level down to item, joined by backslashes.
    static QString ItemPath(const QTreeWidgetItem* item);
    // The selected item, or null.
    QTreeWidgetItem* SelectedItem() const;

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    bool viewportEvent(QEvent* event) override;

private:
    std::vector<QTreeWidgetItem*> m_itemOfRecord;  // indexed by record; [0] unused
};

} // namespace vesk
