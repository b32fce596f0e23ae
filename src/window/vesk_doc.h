#pragma once
// The program's one document. It carries no data (all reading state lives in
// the search pane) and is never modified, saved or loaded; its title is empty
// so the caption never shows a document name.
#include <QString>

namespace vesk {

class CVeskDoc {
public:
    bool OnNewDocument()
    {
        m_strTitle.clear();
        return true;
    }
    const QString& GetTitle() const { return m_strTitle; }

private:
    QString m_strTitle;
};

} // namespace vesk
