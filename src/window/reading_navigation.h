#pragma once
// The reading commands of the "一覧" menu and the toolbar: page and volume
// steps, hit steps (F3, Alt+F3) and their enabling rules. They keep no state
// of their own: the reading position (m_nCurRecord, m_nCurPage) and the hit
// page (m_strHitFile, m_nHitCount, m_nCurHit) live in the search pane; the
// commands move them, show pages through it or move the text view, and keep
// the page slider and the page indicator in step.
#include <QString>

namespace vesk {

class CLeftForm;
class CMainFrame;

inline const QString kMessageLastVolume = QStringLiteral("もう最後の巻まで至りました。");
inline const QString kMessageFirstVolume = QStringLiteral("これ以上戻れません。もう巻一に至っています。");

// The enabling rules, read from the pane's state.
bool CanGoPrevPage(const CLeftForm& form);
bool CanGoNextPage(const CLeftForm& form);
bool CanGoPrevVolume(const CLeftForm& form);
bool CanGoNextVolume(const CLeftForm& form);
bool CanGoPrevHit(const CLeftForm& form);
bool CanGoNextHit(const CLeftForm& form);

// "#0003": the anchor of hit number hit on a hit page.
QString HitAnchor(int hit);

// Opens the next (forward) or previous volume after the one being read; at
// either end it says so in a message box and changes nothing. (The enabling
// rules keep the commands from running there.)
void StepVolume(CMainFrame& frame, bool forward);

// Gives the frame's page, volume and hit commands their handlers and rules.
void InstallReadingNavigation(CMainFrame& frame);

} // namespace vesk
