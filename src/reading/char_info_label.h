#pragma once
// The status bar's character information: the code point of the one
// character selected in the text view, and the members of its variant group,
// each drawn with its code point.
#include <QLabel>

#include <cstdint>
#include <optional>
#include <vector>

namespace vesk {

class CCharInfoLabel : public QLabel {
    Q_OBJECT
public:
    explicit CCharInfoLabel(QWidget* parent = nullptr);

    // group: the members of the character's variant group, empty when it
    // has none.
    void ShowCharacter(char32_t codePoint, const std::vector<std::uint32_t>& group);
    void ClearCharacter();

    // The one character that selected holds (a surrogate pair is one); none
    // for an empty selection, several characters or a blank.
    static std::optional<char32_t> SingleCharacter(const QString& selected);
};

} // namespace vesk
