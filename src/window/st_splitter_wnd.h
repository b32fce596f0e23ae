#pragma once
// The main window's client area: two panes side by side (or stacked), one
// of which can be hidden and shown again, with the layout kept in the
// settings under "SplitterWnd" / "Panes_<id>" as "%d %d %d %d" (hidden
// column, size of pane 0, hidden row, size of pane 1).
#include <QSplitter>
#include <QString>

#include <array>

namespace vesk {

class ST_SplitterWnd : public QSplitter {
    Q_OBJECT
public:
    explicit ST_SplitterWnd(int paneId, QWidget* parent = nullptr);
    ~ST_SplitterWnd() override;

    // Puts pane0 and pane1 in place (side by side or stacked); pane 0 starts
    // 260 pixels wide (or high), pane 1 takes the rest.
    bool CreateSplit(QWidget* pane0, QWidget* pane1, bool sideBySide);

    void ToggleSide(int side);
    void HideColumn(int column);
    void ShowColumn();
    void HideRow(int row);
    void ShowRow();

    void RememberSizes();
    void SaveLayout();
    // Applies the saved layout; false (and nothing changed) when none is saved.
    bool LoadLayout();

    // The settings value SaveLayout writes, for the current state.
    QString LayoutString();
    QString EntryName() const;

    // The active pane: the one the user last worked in (0 or 1).
    int GetActivePane() const { return m_nActivePane; }
    void SetActivePane(int pane, bool giveFocus = true);
    // F6 / Shift+F6: activate the next (or previous) visible pane.
    void ActivateNextPane(bool previous);
    int PaneOf(const QWidget* widget) const;

    int HiddenColumn() const { return m_nHiddenCol; }
    int HiddenRow() const { return m_nHiddenRow; }
    int PaneSize(int pane) const { return m_nPaneSize[static_cast<std::size_t>(pane)]; }

    static constexpr int kInitialFirstPaneSize = 260;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void HideSide(int side, int& hidden);
    void ShowSide(int& hidden);
    void OnFocusChanged(QWidget* now);

    int m_nHiddenCol = -1;
    int m_nHiddenRow = -1;
    std::array<int, 2> m_nPaneSize{100, 100};
    std::array<int, 2> m_nPaneMinSize{10, 10};
    bool m_bSideBySide = true;
    QString m_strSection = QStringLiteral("SplitterWnd");
    int m_nPaneId = 0;
    int m_nActivePane = 0;
    bool m_bLaidOut = false;
};

} // namespace vesk
