#pragma once
// A search pane on a small generated data folder, with a text view, a page
// slider and a page indicator beside it as the main frame gives them.
//
//   經 (1)                      史 (7)
//     詩 (2)                      記 (8)
//       卷一 (3) 100 pages 明月       卷三 (9) 40 pages from page 5:
//       卷二 (4) 1 page 明月照明月         清風 with the note 註文
//     書 (5)
//       卷一 (6) 149 pages 明月
//
// Page identifiers run 0 .. 289 in this order; record indexes in brackets.
#include "pane/contents_tree.h"
#include "pane/left_form.h"
#include "support/data_folder.h"
#include "window/vesk_view.h"

#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace pane_test {

inline constexpr int kPagesInStore = 290;

inline std::string ReckoningPageText()
{
    return "清風" + vesk::test::Note("註文");
}

inline vesk::build::SourceCorpus SearchCorpus()
{
    return vesk::test::CorpusBuilder()
        .Category("經")
        .Work("詩")
        .Volume("卷一", std::vector<std::string>(100, "明月"))
        .Volume("卷二", {"明月照明月"})
        .Work("書")
        .Volume("卷一", std::vector<std::string>(149, "明月"))
        .Category("史")
        .Work("記")
        .Volume("卷三", std::vector<std::string>(40, ReckoningPageText()), 5)
        .Take();
}

// The pane after its initial update, shown in a window of its own.
struct PaneUnderTest {
    explicit PaneUnderTest(const std::filesystem::path& dataFolder)
    {
        auto* layout = new QHBoxLayout(&top);
        form = new vesk::CLeftForm(dataFolder, &top);
        view = new vesk::CVeskView(&top);
        slider = new QSlider(Qt::Horizontal, &top);
        indicator = new QLineEdit(&top);
        layout->addWidget(form);
        layout->addWidget(view);
        layout->addWidget(slider);
        layout->addWidget(indicator);
        form->setMinimumSize(260, 600);
        QObject::connect(form, &vesk::CLeftForm::pageRequested, view, &vesk::CVeskView::Navigate);
        form->AttachReader(slider, indicator);
        form->OnInitialUpdate();
        top.show();
    }

    void Select(int record)
    {
        vesk::CContentsTree* tree = form->ContentsTree();
        tree->setCurrentItem(tree->ItemOfRecord(record));
    }

    QWidget* Control(int id) const { return form->Control(id); }

    QWidget top;
    vesk::CLeftForm* form = nullptr;
    vesk::CVeskView* view = nullptr;
    QSlider* slider = nullptr;
    QLineEdit* indicator = nullptr;
};

} // namespace pane_test
