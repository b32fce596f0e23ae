#pragma once
// The reading toolbar: ten command buttons, the page slider and the
// read-only page indicator over the toolbar background.
#include "window/x_tool_bar.h"

#include <array>

namespace vesk {

class CLeftForm;
class CXEdit;
class CXSliderCtrl;

class CSCrollToolBar : public CXToolBar {
    Q_OBJECT
public:
    // The toolbar's items in order; 0 is a separator, the last two are the
    // places of the slider and the page indicator.
    static const std::array<int, 17> kItems;
    static constexpr int kSliderWidth = 300;
    static constexpr int kPageEditWidth = 100;
    static constexpr int kSliderId = 101;
    static constexpr int kPageEditId = 102;

    explicit CSCrollToolBar(QWidget* parent = nullptr);

    // Fills the toolbar: buttons from actionFor, images, slider, indicator.
    bool Create(const std::function<QAction*(int)>& actionFor);

    CXSliderCtrl* Slider() const { return m_wndSlider; }
    CXEdit* PageEdit() const { return m_wndPageEdit; }
    void SetLeftForm(CLeftForm* leftForm) { m_pLeftForm = leftForm; }
    CLeftForm* LeftForm() const { return m_pLeftForm; }

    // The slider's scroll notifications. Every one shows the slider cursor
    // while the thumb is held; at the end of a scroll action (thumb released,
    // a key or click step done) the page at the slider's position is shown.
    void OnSliderScroll(bool scrollEnded);

private:
    void ConnectSlider();
    void SetSliderCursor(bool on);

    bool m_bSliderCursor = false;
    CXSliderCtrl* m_wndSlider = nullptr;
    CXEdit* m_wndPageEdit = nullptr;
    CLeftForm* m_pLeftForm = nullptr;
};

} // namespace vesk
