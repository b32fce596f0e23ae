#include "window/surrogate_pairs.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>
#include <vector>

namespace vesk {

int JoinSplitSurrogatePairs(QTextDocument& document)
{
    // Positions of high surrogates that end a fragment while the next
    // fragment begins with the low one; collected first, because changing a
    // format rebuilds the fragments being walked.
    std::vector<std::pair<int, QTextCharFormat>> splits;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString text = fragment.text();
            if (text.isEmpty() || !text.back().isHighSurrogate())
                continue;
            const int high = fragment.position() + fragment.length() - 1;
            if (document.characterAt(high + 1).isLowSurrogate())
                splits.emplace_back(high, fragment.charFormat());
        }
    }
    for (const auto& [high, format] : splits) {
        QTextCursor pair(&document);
        pair.setPosition(high);
        pair.setPosition(high + 2, QTextCursor::KeepAnchor);
        pair.setCharFormat(format);
    }
    return static_cast<int>(splits.size());
}

} // namespace vesk
