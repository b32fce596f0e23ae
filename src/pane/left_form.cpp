#include "pane/left_form.h"

#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/sort_list_ctrl.h"
#include "pane/tool_tip_resource_button.h"
#include "ui/app_strings.h"
#include "ui/resource_ids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtDebug>

namespace vesk {
namespace {

const QString kPrompt = QStringLiteral("キーワードを入力して下さい。");
const QString kSearch = QStringLiteral("検索");
const QString kSummaryStart = QStringLiteral("検索集計：");
// The scope label while no contents are loaded (no record can be the scope).
const QString kScopePlaceholder = QStringLiteral("（目録で検索範囲を選んで下さい）");

} // namespace

CLeftForm::CLeftForm(const std::filesystem::path& dataFolder, QWidget* parent,
                     const std::filesystem::path& tempBase)
    : QWidget(parent),
      m_strScopePath(kScopePlaceholder),
      m_dataFolder(dataFolder),
      m_pageFolder(tempBase.empty() ? std::filesystem::path(QDir::tempPath().toStdString()) : tempBase)
{
    setObjectName(QStringLiteral("leftForm"));
    if (!m_pageFolder.IsValid())
        qDebug() << "CLeftForm: cannot make the page folder under the temporary folder";
    m_strPageFile = QString::fromStdString(m_pageFolder.FilePath(kPageFileName.toStdString()).string());
    m_strHitFile1 = QString::fromStdString(m_pageFolder.FilePath(kHitFileName1.toStdString()).string());
    m_strHitFile2 = QString::fromStdString(m_pageFolder.FilePath(kHitFileName2.toStdString()).string());
    // A failure is reported by the index itself; the pane is built all the same.
    m_index.Open(dataFolder, "Index", kIndexWhole);
    CreateControls();
}

CLeftForm::~CLeftForm()
{
    m_index.Close();
    m_pageFolder.Remove();
}

void CLeftForm::CreateControls()
{
    QFont uiFont(QStringLiteral("Noto Sans CJK JP"));
    uiFont.setPixelSize(12);
    setFont(uiFont);

    m_tabPane = new QTabWidget(this);
    m_tabPane->setObjectName(QStringLiteral("tabs"));
    m_tabPane->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { height: 21px; padding: 0 10px; }"));
    m_controls[ctl::Tabs] = m_tabPane;

    m_treeContents = new CContentsTree(this);
    m_controls[ctl::ContentsTree] = m_treeContents;

    m_listResults = new CSortListCtrl(this);
    m_listResults->setObjectName(QStringLiteral("resultList"));
    m_controls[ctl::ResultList] = m_listResults;

    m_prompt = new QLabel(this);
    m_controls[ctl::Prompt] = m_prompt;

    m_hiddenKeyword = new QLineEdit(this);
    m_hiddenKeyword->hide();
    m_controls[ctl::KeywordEdit] = m_hiddenKeyword;

    m_htmlKeyword = new CKeywordBox(this);
    m_controls[ctl::KeywordBox] = m_htmlKeyword;

    m_searchButton = new QPushButton(this);
    m_searchButton->setObjectName(QStringLiteral("searchButton"));
    m_controls[ctl::SearchButton] = m_searchButton;

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    m_controls[ctl::Separator] = separator;

    CreateOptionControls();

    m_summary = new QLabel(QStringLiteral("Static"), this);
    m_controls[ctl::Summary] = m_summary;

    CreatePagingControls();
}

void CLeftForm::CreateOptionControls()
{
    // Frames first, so the radios and the label lie over them.
    m_andOrFrame = new QGroupBox(QStringLiteral("検索方法："), this);
    m_controls[ctl::AndOrFrame] = m_andOrFrame;
    auto* targetFrame = new QGroupBox(QStringLiteral("検索対象："), this);
    m_controls[ctl::TargetFrame] = targetFrame;
    auto* scopeFrame = new QGroupBox(QStringLiteral("検索範囲："), this);
    m_controls[ctl::ScopeFrame] = scopeFrame;

    m_variantCheck = new QCheckBox(QStringLiteral("簡繁・中日等の異体字の関連"), this);
    m_controls[ctl::Variant] = m_variantCheck;

    m_andOrGroup = new QButtonGroup(this);
    int index = 0;
    for (auto [id, text] : {std::pair{ctl::And, "and"}, std::pair{ctl::Or, "or"}}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text), this);
        m_andOrGroup->addButton(radio, index++);
        m_controls[id] = radio;
    }
    m_targetGroup = new QButtonGroup(this);
    index = 0;
    for (auto [id, text] : {std::pair{ctl::TargetWhole, "全文"}, std::pair{ctl::TargetMain, "正文"},
                            std::pair{ctl::TargetNotes, "注釈"}}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text), this);
        m_targetGroup->addButton(radio, index++);
        m_controls[id] = radio;
    }

    m_scopeLabel = new QLabel(QStringLiteral("Static"), this);
    m_scopeLabel->setObjectName(QStringLiteral("scopeLabel"));
    QPalette red = m_scopeLabel->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_scopeLabel->setPalette(red);
    m_controls[ctl::ScopeLabel] = m_scopeLabel;
}

void CLeftForm::CreatePagingControls()
{
    m_prevPage = new CToolTipResourceButton(this);
    m_prevPage->setText(QStringLiteral("<"));
    m_controls[ctl::PrevListPage] = m_prevPage;
    m_nextPage = new CToolTipResourceButton(this);
    m_nextPage->setText(QStringLiteral(">"));
    m_controls[ctl::NextListPage] = m_nextPage;
    m_pageBox = new QLineEdit(this);
    m_pageBox->setObjectName(QStringLiteral("listPageBox"));
    m_pageBox->setAlignment(Qt::AlignCenter);
    // Digits only; an empty box is allowed and answered when it is left.
    m_pageBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pageBox));
    m_controls[ctl::ListPageBox] = m_pageBox;
    m_pageTotal = new QLabel(this);
    m_controls[ctl::ListPageTotal] = m_pageTotal;
}

void CLeftForm::OnInitialUpdate()
{
    UpdateData(false);
    m_tabPane->insertTab(0, new QWidget, kSearch);
    m_tabPane->insertTab(0, new QWidget, QStringLiteral("目録"));
    m_summary->setText(kSummaryStart);
    InsertResultColumns();
    BuildTreeImages();
    m_tabPane->setCurrentIndex(0);
    connect(m_tabPane, &QTabWidget::currentChanged, this, [this] {
        UpdateFocusProxy();
        RunLayout();
    });
    LoadContents();
    ShowInitialScope();
    ConnectCommands();
    WatchKeys();
    m_prevPage->LoadStrip(res::PagePrevStrip);
    m_prevPage->SetTipText(QStringLiteral("Previous Page"), true);
    m_nextPage->LoadStrip(res::PageNextStrip);
    m_nextPage->SetTipText(QStringLiteral("Next Page"), true);
    UpdateFocusProxy();
    RunLayout();
}

void CLeftForm::AttachReader(QSlider* pageSlider, QLineEdit* pageIndicator)
{
    m_pageSlider = pageSlider;
    m_pageIndicator = pageIndicator;
}

void CLeftForm::ConnectCommands()
{
    connect(m_searchButton, &QPushButton::clicked, this, &CLeftForm::OnSearch);
    connect(m_targetGroup, &QButtonGroup::idClicked, this, &CLeftForm::OnTarget);
    connect(m_treeContents, &QTreeWidget::itemSelectionChanged, this, &CLeftForm::OnSelChangedContents);
    connect(m_listResults, &QTreeWidget::itemSelectionChanged, this, [this] {
        // Only a row becoming selected shows a page; losing the selection
        // (a new list page, a new search) leaves the view as it is.
        if (!m_listResults->selectedItems().isEmpty())
            ShowSelectedHit();
    });
    connect(m_prevPage, &QPushButton::clicked, this, &CLeftForm::OnPrevResultPage);
    connect(m_nextPage, &QPushButton::clicked, this, &CLeftForm::OnNextResultPage);
}

void CLeftForm::InsertResultColumns()
{
    m_listResults->setColumnCount(4);
    m_listResults->setHeaderLabels({QStringLiteral("類別"), QStringLiteral("書名"),
                                    QStringLiteral("巻"), QStringLiteral("頁")});
    const int widths[] = {45, 80, 60, 60};
    for (int column = 0; column < 4; ++column)
        m_listResults->setColumnWidth(column, widths[column]);
}

void CLeftForm::BuildTreeImages()
{
    // Black is the transparent colour of the tree pictures.
    m_imageTree.clear();
    for (int id : {res::TreeClosed, res::TreeOpen, res::TreeOpen}) {
        QPixmap picture(ResourcePath(id));
        if (picture.isNull()) {
            qDebug() << "CLeftForm: no tree picture" << id;
            continue;
        }
        picture.setMask(picture.createMaskFromColor(Qt::black));
        m_imageTree.append(QIcon(picture));
    }
}

void CLeftForm::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_nAndOr = m_andOrGroup->checkedId();
        m_nTarget = m_targetGroup->checkedId();
        m_bVariant = m_variantCheck->isChecked();
        return;
    }
    if (QAbstractButton* b = m_andOrGroup->button(m_nAndOr))
        b->setChecked(true);
    if (QAbstractButton* b = m_targetGroup->button(m_nTarget))
        b->setChecked(true);
    m_variantCheck->setChecked(m_bVariant);
}

int CLeftForm::CurrentTab() const
{
    return m_tabPane->currentIndex();
}

void CLeftForm::SetCurrentTab(int tab)
{
    m_tabPane->setCurrentIndex(tab);
}

QWidget* CLeftForm::Control(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void CLeftForm::UpdateFocusProxy()
{
    setFocusProxy(CurrentTab() == 1 ? static_cast<QWidget*>(m_htmlKeyword) : m_treeContents);
}

void CLeftForm::RunLayout()
{
    PaneLayoutInput in;
    in.width = width();
    in.height = height();
    in.tab = CurrentTab() == 1 ? 1 : 0;
    in.resultPages = m_nResultPages;
    in.prevButtonWidth = m_prevPage->width();
    in.prevButtonHeight = m_prevPage->height();
    for (const ControlPlacement& placement : ComputePaneLayout(in)) {
        QWidget* control = Control(placement.id);
        if (!control)
            continue;
        if (placement.placed) {
            const PaneRect& r = placement.rect;
            control->setGeometry(r.x, r.y, r.width, r.height);
        }
        if (placement.id == ctl::KeywordEdit)
            continue;  // never shown
        control->setVisible(placement.visible);
    }
    m_prompt->setText(kPrompt);
    m_searchButton->setText(kSearch);
    if (QWidget* top = window(); top != this)
        top->setWindowTitle(kMainCaption);
}

void CLeftForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RunLayout();
}

void CLeftForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RunLayout();
}

} // namespace vesk
