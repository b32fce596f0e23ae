#pragma once
// The keyword box: a single-line entry that takes any text, including
// characters beyond the Basic Multilingual Plane, in a font that covers the
// rare CJK extensions. It never checks or changes what is typed; the search
// reads its current value.
#include <QLineEdit>

#include <optional>

namespace vesk {

class CKeywordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit CKeywordBox(QWidget* parent = nullptr);

    // The text as typed.
    std::optional<QString> GetKeyword() const { return text(); }
};

} // namespace vesk
