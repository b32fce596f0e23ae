#include "pane/keyword_box.h"

#include <QFont>

#include <limits>

namespace vesk {

CKeywordBox::CKeywordBox(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("keywordBox"));
    QFont font;
    // HanaMin covers CJK extension B and beyond; Noto takes the rest.
    font.setFamilies({QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(14);
    setFont(font);
    setMaxLength(std::numeric_limits<int>::max());
    // Clicking into the box does not make the search pane the active pane.
    setProperty("vesk_noPaneActivation", true);
}

} // namespace vesk
