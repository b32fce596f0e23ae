#pragma once
// Which data folder the reader has open, the folders opened before it (most
// recent first) and the one to open at the next start. Windows that belong
// to a data folder (search history, bookmarks, a concordance) connect to
// DataFolderChanged to follow a switch.
//
// Settings: "DataFolders/Last" (the folder opened last through the menu or
// the import dialog) and "DataFolders/Recent" (up to kMaxRecent folders).
#include <QObject>
#include <QString>
#include <QStringList>

namespace vesk {

class CDataFolders : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRecent = 8;

    explicit CDataFolders(const QString& current, QObject* parent = nullptr);

    const QString& Current() const { return m_current; }
    // The recent folders that are still data folders, most recent first.
    QStringList Recent() const;
    // folder is now open: it heads the recent list, is remembered for the
    // next start, and DataFolderChanged is emitted.
    void SetCurrent(const QString& folder);

    // The folder to open at start when none is named: the last one opened,
    // if it still is a data folder; empty otherwise.
    static QString Remembered();

signals:
    void DataFolderChanged(const QString& folder);

private:
    QString m_current;
};

} // namespace vesk
