#pragma once
// The drop-down list of the keyword history under the keyword box: one row
// per search, its keyword and its options. The arrow keys move, Enter or a
// click chooses, Esc or a click elsewhere closes.
#include "reading/keyword_history.h"

#include <QTreeWidget>

namespace vesk {

class CKeywordHistoryPopup : public QTreeWidget {
    Q_OBJECT
public:
    explicit CKeywordHistoryPopup(QWidget* parent = nullptr);

    // Shows entries under anchor, at least as wide as it, the newest selected.
    void ShowBelow(QWidget* anchor, const QList<KeywordHistoryEntry>& entries);

    // "全文・異体字・and": the options of an entry as the pane names them.
    static QString OptionsText(const KeywordHistoryEntry& entry);

signals:
    void entryChosen(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Choose(QTreeWidgetItem* item);
};

} // namespace vesk
