#include "reading/char_info_label.h"

#include "query/code_point_forms.h"

#include <QFontMetrics>

namespace vesk {
namespace {

QString Drawn(char32_t codePoint)
{
    const QString glyph = QString::fromUcs4(&codePoint, 1).toHtmlEscaped();
    return QStringLiteral("<span style=\"font-size:18px\">%1</span>&nbsp;<span style=\"color:#666666\">%2</span>")
        .arg(glyph, QString::fromStdString(CodePointName(codePoint)));
}

} // namespace

CCharInfoLabel::CCharInfoLabel(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("charInfo"));
    setTextFormat(Qt::RichText);
    QFont font;
    // The reader's fonts, so that rare members draw as in the text view.
    font.setFamilies({QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"), QStringLiteral("Noto Serif CJK JP"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(13);
    setFont(font);
    // High enough for the drawn members from the start, so the status bar
    // keeps its height when a character is selected.
    setMinimumHeight(QFontMetrics(font).height() + 12);
}

void CCharInfoLabel::ShowCharacter(char32_t codePoint, const std::vector<std::uint32_t>& group)
{
    QString text = Drawn(codePoint);
    if (!group.empty()) {
        QStringList members;
        for (std::uint32_t member : group)
            members << Drawn(member);
        text += QStringLiteral("&nbsp;&nbsp;&nbsp;異体字：") + members.join(QStringLiteral("&nbsp;&nbsp;"));
    } else {
        text += QStringLiteral("&nbsp;&nbsp;&nbsp;異体字なし");
    }
    setText(text);
}

void CCharInfoLabel::ClearCharacter()
{
    clear();
}

std::optional<char32_t> CCharInfoLabel::SingleCharacter(const QString& selected)
{
    const QList<uint> codePoints = selected.toUcs4();
    if (codePoints.size() != 1 || QChar::isSpace(codePoints.front()) || codePoints.front() == 0xFFFD)
        return std::nullopt;
    return static_cast<char32_t>(codePoints.front());
}

} // namespace vesk
