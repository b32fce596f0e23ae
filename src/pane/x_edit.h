#pragma once
// A single-line edit whose background is a tiled picture (the toolbar's page
// indicator). Without a picture it is a plain edit.
#include <QBrush>
#include <QLineEdit>

namespace vesk {

class CXEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CXEdit(QWidget* parent = nullptr);

    // Tiles the picture resource id behind the text; false when there is no
    // such picture (the edit keeps its look then).
    bool SetBackgroundBitmap(int id);
    int BackgroundBitmap() const { return m_nBackgroundBitmap; }

private:
    int m_nBackgroundBitmap = 0;
    QBrush m_brBackground;
};

} // namespace vesk
