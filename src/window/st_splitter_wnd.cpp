#include "window/st_splitter_wnd.h"

#include <QApplication>
#include <QSettings>
#include <QStringList>

namespace vesk {
namespace {

constexpr int kSecondPaneInitialSize = 100;

} // namespace

ST_SplitterWnd::ST_SplitterWnd(int paneId, QWidget* parent)
    : QSplitter(parent), m_nPaneId(paneId)
{
    setChildrenCollapsible(false);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

ST_SplitterWnd::~ST_SplitterWnd()
{
    SaveLayout();
}

bool ST_SplitterWnd::CreateSplit(QWidget* pane0, QWidget* pane1, bool sideBySide)
{
    m_bSideBySide = sideBySide;
    setOrientation(sideBySide ? Qt::Horizontal : Qt::Vertical);
    if (pane0) {
        addWidget(pane0);
        pane0->setMinimumSize(m_nPaneMinSize[0], m_nPaneMinSize[0]);
    }
    if (pane1) {
        addWidget(pane1);
        pane1->setMinimumSize(m_nPaneMinSize[1], m_nPaneMinSize[1]);
    }
    // The second pane takes whatever space the first leaves.
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setSizes({kInitialFirstPaneSize, kSecondPaneInitialSize});
    m_nPaneSize = {kInitialFirstPaneSize, kSecondPaneInitialSize};
    return true;
}

void ST_SplitterWnd::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    m_bLaidOut = true;
}

void ST_SplitterWnd::ToggleSide(int side)
{
    int& hidden = m_bSideBySide ? m_nHiddenCol : m_nHiddenRow;
    if (hidden == -1)
        HideSide(side, hidden);
    else if (hidden == side)
        ShowSide(hidden);
}

void ST_SplitterWnd::HideColumn(int column)
{
    if (m_bSideBySide)
        HideSide(column, m_nHiddenCol);
}

void ST_SplitterWnd::ShowColumn()
{
    if (m_bSideBySide && m_nHiddenCol != -1)
        ShowSide(m_nHiddenCol);
}

void ST_SplitterWnd::HideRow(int row)
{
    if (!m_bSideBySide)
        HideSide(row, m_nHiddenRow);
}

void ST_SplitterWnd::ShowRow()
{
    if (!m_bSideBySide && m_nHiddenRow != -1)
        ShowSide(m_nHiddenRow);
}

void ST_SplitterWnd::HideSide(int side, int& hidden)
{
    if (hidden != -1 || side < 0 || side >= count())
        return;
    RememberSizes();
    hidden = side;
    if (m_nActivePane == side)
        SetActivePane((side + 1) % count(), hasFocus() || isAncestorOf(QApplication::focusWidget()));
    widget(side)->hide();
}

void ST_SplitterWnd::ShowSide(int& hidden)
{
    const int side = hidden;
    hidden = -1;
    if (QWidget* pane = widget(side))
        pane->show();
    // The shown side gets back the size it had before hiding.
    setSizes({m_nPaneSize[0], m_nPaneSize[1]});
}

void ST_SplitterWnd::RememberSizes()
{
    if (m_nHiddenCol != -1 || m_nHiddenRow != -1 || count() < 2)
        return;
    // Before the splitter has its size, its pane sizes mean nothing yet:
    // keep what is known (the start width or the loaded layout).
    if (!m_bLaidOut)
        return;
    const QList<int> current = sizes();
    for (std::size_t i = 0; i < 2; ++i) {
        m_nPaneSize[i] = current.value(static_cast<int>(i));
        const QWidget* pane = widget(static_cast<int>(i));
        m_nPaneMinSize[i] = m_bSideBySide ? pane->minimumWidth() : pane->minimumHeight();
    }
}

QString ST_SplitterWnd::EntryName() const
{
    return m_strSection + QLatin1Char('/') + QStringLiteral("Panes_%1").arg(m_nPaneId);
}

QString ST_SplitterWnd::LayoutString()
{
    RememberSizes();
    const int size0 = m_nPaneSize[0] == -1 ? 100 : m_nPaneSize[0];
    const int size1 = m_nPaneSize[1] == -1 ? 100 : m_nPaneSize[1];
    return QStringLiteral("%1 %2 %3 %4").arg(m_nHiddenCol).arg(size0).arg(m_nHiddenRow).arg(size1);
}

void ST_SplitterWnd::SaveLayout()
{
    QSettings settings;
    settings.setValue(EntryName(), LayoutString());
}

bool ST_SplitterWnd::LoadLayout()
{
    QSettings settings;
    if (!settings.contains(EntryName()))
        return false;
    const QStringList parts =
        settings.value(EntryName()).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return false;
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        values[i] = parts[static_cast<int>(i)].toInt(&ok);
        if (!ok)
            return false;
    }
    const int hidden = m_bSideBySide ? values[0] : values[2];
    if (values[1] < 0 || values[3] < 0 || hidden < -1 || hidden > 1)
        return false;
    m_nPaneSize = {values[1], values[3]};
    setSizes({m_nPaneSize[0], m_nPaneSize[1]});
    if (hidden > -1)
        ToggleSide(hidden);
    return true;
}

void ST_SplitterWnd::SetActivePane(int pane, bool giveFocus)
{
    QWidget* target = widget(pane);
    if (!target)
        return;
    m_nActivePane = pane;
    if (!giveFocus)
        return;
    // A pane hands the focus on through its focus proxy where it has one.
    target->setFocus(Qt::OtherFocusReason);
}

void ST_SplitterWnd::ActivateNextPane(bool previous)
{
    const int panes = count();
    for (int step = 1; step < panes + 1; ++step) {
        const int candidate = (m_nActivePane + (previous ? panes - step : step)) % panes;
        if (!widget(candidate)->isHidden()) {
            SetActivePane(candidate);
            return;
        }
    }
}

int ST_SplitterWnd::PaneOf(const QWidget* w) const
{
    for (int i = 0; i < count(); ++i) {
        const QWidget* pane = widget(i);
        if (w == pane || pane->isAncestorOf(w))
            return i;
    }
    return -1;
}

void ST_SplitterWnd::OnFocusChanged(QWidget* now)
{
    if (!now)
        return;
    // A widget may opt out of making its pane the active one (the keyword box).
    if (now->property("vesk_noPaneActivation").toBool())
        return;
    const int pane = PaneOf(now);
    if (pane >= 0)
        m_nActivePane = pane;
}

} // namespace vesk
