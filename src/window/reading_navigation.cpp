#include "window/reading_navigation.h"

#include "pane/contents_tree.h"
#include "pane/left_form.h"
#include "ui/message_box.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "window/vesk_view.h"

#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vesk {
namespace {

constexpr std::int32_t kVolumeLevel = 3;

// The record of the volume being read; slot 0 (all zeros) before any volume
// is open, and for a position outside the record array.
const ContentsRecordTag& CurrentRecord(const CLeftForm& form)
{
    const auto slot = static_cast<std::size_t>(form.m_nCurRecord);
    if (form.m_nCurRecord < 0 || slot >= form.m_contents.m_records.size())
        return form.m_contents.Record(0);
    return form.m_contents.Record(slot);
}

bool IsVolume(const CLeftForm& form, int record)
{
    return form.m_contents.Record(static_cast<std::size_t>(record)).level == kVolumeLevel;
}

// The highest loaded record index plus one, never beyond the array.
int RecordEnd(const CLeftForm& form)
{
    return std::clamp<int>(form.m_contents.m_nRecordCount, 1,
                           static_cast<int>(form.m_contents.m_records.size()));
}

std::optional<int> NextVolumeRecord(const CLeftForm& form)
{
    for (int record = form.m_nCurRecord + 1; record < RecordEnd(form); ++record)
        if (IsVolume(form, record))
            return record;
    return std::nullopt;
}

std::optional<int> PrevVolumeRecord(const CLeftForm& form)
{
    for (int record = std::min(form.m_nCurRecord, RecordEnd(form)) - 1; record >= 1; --record)
        if (IsVolume(form, record))
            return record;
    return std::nullopt;
}

// Moves the slider without it showing the page a second time.
void SetSliderPosition(QSlider* slider, int position)
{
    if (!slider)
        return;
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
}

void StepPage(CLeftForm& form, int delta)
{
    // The enabling rules keep the page inside the volume.
    form.m_nCurPage += delta;
    form.ShowDocumentPage(form.m_nCurRecord, 0, form.m_nCurPage);
    SetSliderPosition(form.PageSlider(), form.m_nCurPage);
    form.UpdatePageIndicator();
}

void OpenVolume(CLeftForm& form, int record)
{
    form.m_nCurRecord = record;
    form.ShowDocumentPage(record, 1, 1);
    const ContentsRecordTag& volume = form.m_contents.Record(static_cast<std::size_t>(record));
    form.m_nCurPage = volume.curFileName;
    if (QSlider* slider = form.PageSlider()) {
        const QSignalBlocker quiet(slider);
        slider->setRange(volume.curFileName, volume.curFileName + std::max(volume.docNo, 1) - 1);
        slider->setValue(volume.curFileName);
    }
    // The tree follows: the item made from the new volume's record is
    // selected, wherever it lies (next work, next category). Selecting it
    // makes it the search scope and opens it again, as choosing it would.
    CContentsTree* tree = form.ContentsTree();
    if (QTreeWidgetItem* item = tree ? tree->ItemOfRecord(record) : nullptr) {
        tree->setCurrentItem(item);
        tree->scrollToItem(item);
    }
    form.UpdatePageIndicator();
}

void StepHit(CMainFrame& frame, int delta)
{
    CLeftForm& form = *frame.LeftForm();
    form.m_nCurHit += delta;
    // Always the hit page, also after other pages were shown since.
    frame.TextView()->Navigate(form.m_strHitFile + HitAnchor(form.m_nCurHit));
}

} // namespace

bool CanGoPrevPage(const CLeftForm& form)
{
    return form.m_nCurPage - CurrentRecord(form).curFileName >= 1;
}

bool CanGoNextPage(const CLeftForm& form)
{
    const ContentsRecordTag& volume = CurrentRecord(form);
    // Compared as unsigned 32-bit numbers, as the page counts are kept.
    const auto step = static_cast<std::uint32_t>(form.m_nCurPage - volume.curFileName + 1);
    return form.m_nCurRecord != 0 && step < static_cast<std::uint32_t>(volume.docNo);
}

bool CanGoPrevVolume(const CLeftForm& form)
{
    return form.m_nCurRecord != 0 && PrevVolumeRecord(form).has_value();
}

bool CanGoNextVolume(const CLeftForm& form)
{
    return form.m_nCurRecord != 0 && NextVolumeRecord(form).has_value();
}

bool CanGoPrevHit(const CLeftForm& form)
{
    return form.m_nCurHit - 1 >= 0;
}

bool CanGoNextHit(const CLeftForm& form)
{
    return form.m_nCurHit + 1 < form.m_nHitCount;
}

void StepVolume(CMainFrame& frame, bool forward)
{
    CLeftForm& form = *frame.LeftForm();
    const std::optional<int> target = forward ? NextVolumeRecord(form) : PrevVolumeRecord(form);
    if (!target) {
        ShowMessageBox(&frame, forward ? kMessageLastVolume : kMessageFirstVolume);
        return;
    }
    OpenVolume(form, *target);
}

QString HitAnchor(int hit)
{
    return QStringLiteral("#%1").arg(hit, 4, 10, QLatin1Char('0'));
}

void InstallReadingNavigation(CMainFrame& frame)
{
    CLeftForm& form = *frame.LeftForm();
    frame.SetCommandHandler(cmd::PrevPage, [&form] { StepPage(form, -1); },
                            [&form] { return CanGoPrevPage(form); });
    frame.SetCommandHandler(cmd::NextPage, [&form] { StepPage(form, +1); },
                            [&form] { return CanGoNextPage(form); });
    frame.SetCommandHandler(cmd::PrevVolume, [&frame] { StepVolume(frame, false); },
                            [&form] { return CanGoPrevVolume(form); });
    frame.SetCommandHandler(cmd::NextVolume, [&frame] { StepVolume(frame, true); },
                            [&form] { return CanGoNextVolume(form); });
    frame.SetCommandHandler(cmd::PrevResult, [&frame] { StepHit(frame, -1); },
                            [&form] { return CanGoPrevHit(form); });
    frame.SetCommandHandler(cmd::NextResult, [&frame] { StepHit(frame, +1); },
                            [&form] { return CanGoNextHit(form); });
}

} // namespace vesk
