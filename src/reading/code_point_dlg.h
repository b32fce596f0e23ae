#pragma once
// A character by its code point: the user types "2A6A5", "U+2A6A5",
// "&#x2A6A5;" or "&#173733;", sees the character large in the first font
// that draws it (and that font's name), and inserts it. A bad code point
// says why and cannot be inserted.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vesk {

class CCodePointDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCodePointDlg(QWidget* parent = nullptr);

    // The character typed, as text (two units above U+FFFF); empty while
    // the input names none.
    QString Character() const { return m_strCharacter; }
    QLineEdit* Input() const { return m_input; }

    // The first font family that has a glyph for codePoint: the reader's own
    // CJK fonts first, then any installed one; empty when none has.
    static QString FontFamilyThatDraws(char32_t codePoint);

private:
    void OnInputChanged(const QString& text);

    QString m_strCharacter;
    QLineEdit* m_input = nullptr;
    QLabel* m_glyph = nullptr;
    QLabel* m_info = nullptr;
    QPushButton* m_insert = nullptr;
};

} // namespace vesk
