#pragma once
// The last searches of one data folder, newest first: keyword as typed,
// target, variant option and and/or. Kept with the program's settings in a
// group of their own per data folder ("KeywordHistory/<folder hash>"),
// written at every change.
#include <QList>
#include <QString>

#include <filesystem>

namespace vesk {

struct KeywordHistoryEntry {
    QString keyword;      // as typed, code-point forms and "-" terms included
    int target = 0;       // 0 whole text, 1 main text, 2 annotations
    bool variants = true;
    int andOr = 0;        // 0 and, 1 or

    bool operator==(const KeywordHistoryEntry&) const = default;
};

class CKeywordHistory {
public:
    static constexpr int kMaxEntries = 50;

    // Reads the history of dataFolder from the settings.
    explicit CKeywordHistory(const std::filesystem::path& dataFolder);

    const QList<KeywordHistoryEntry>& Entries() const { return m_entries; }
    // Puts entry first (an older entry of the same keyword goes), keeps the
    // newest kMaxEntries and writes the history. False when it could not be
    // written; the entries in memory stay all the same.
    bool Add(const KeywordHistoryEntry& entry);
    bool Clear();

    // The settings group of a data folder: the same folder, however written,
    // gives the same group.
    static QString GroupOf(const std::filesystem::path& dataFolder);

private:
    void Load();
    bool Save() const;

    QString m_folder;
    QString m_group;
    QList<KeywordHistoryEntry> m_entries;
};

} // namespace vesk
