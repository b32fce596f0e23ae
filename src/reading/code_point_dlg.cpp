#include "reading/code_point_dlg.h"

#include "pane/keyword_refusal_text.h"
#include "query/code_point_forms.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vesk {
namespace {

constexpr int kGlyphPixels = 96;

const QStringList& PreferredFamilies()
{
    static const QStringList families{QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"),
                                      QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
    return families;
}

bool Draws(const QString& family, char32_t codePoint)
{
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    // The family must really be there: Qt otherwise answers for a stand-in.
    return QFontInfo(font).family() == family && QFontMetrics(font).inFontUcs4(codePoint);
}

} // namespace

CCodePointDlg::CCodePointDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("codePointDialog"));
    setWindowTitle(QStringLiteral("コード位置で文字を入力"));
    m_input = new QLineEdit(this);
    m_input->setPlaceholderText(QStringLiteral("2A6A5、U+2A6A5、&#x2A6A5; または &#173733;"));
    m_glyph = new QLabel(this);
    m_glyph->setAlignment(Qt::AlignCenter);
    m_glyph->setMinimumSize(kGlyphPixels + 40, kGlyphPixels + 30);
    m_info = new QLabel(this);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    m_insert = buttons->addButton(QStringLiteral("挿入"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    m_insert->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("コード位置（16進数）："), this));
    layout->addWidget(m_input);
    layout->addWidget(m_glyph);
    layout->addWidget(m_info);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!m_strCharacter.isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_input, &QLineEdit::textChanged, this, &CCodePointDlg::OnInputChanged);
    OnInputChanged(QString());
}

QString CCodePointDlg::FontFamilyThatDraws(char32_t codePoint)
{
    for (const QString& family : PreferredFamilies())
        if (Draws(family, codePoint))
            return family;
    for (const QString& family : QFontDatabase::families())
        if (!PreferredFamilies().contains(family) && Draws(family, codePoint))
            return family;
    return {};
}

void CCodePointDlg::OnInputChanged(const QString& text)
{
    m_strCharacter.clear();
    m_glyph->clear();
    const CodePointInput input = ParseCodePointInput(text.toStdU16String());
    if (input.error) {
        m_info->setText(text.trimmed().isEmpty() ? QString() : CodePointFormErrorText(*input.error));
        m_insert->setEnabled(false);
        return;
    }
    const char32_t codePoint = input.codePoint;
    m_strCharacter = QString::fromUcs4(&codePoint, 1);
    const QString family = FontFamilyThatDraws(codePoint);
    QFont font(family.isEmpty() ? PreferredFamilies().front() : family);
    font.setPixelSize(kGlyphPixels);
    m_glyph->setFont(font);
    m_glyph->setText(m_strCharacter);
    const QString name = QString::fromStdString(CodePointName(codePoint));
    m_info->setText(family.isEmpty() ? QStringLiteral("%1：この文字を表示できるフォントがありません").arg(name)
                                     : QStringLiteral("%1：%2").arg(name, family));
    m_insert->setEnabled(true);
}

} // namespace vesk
