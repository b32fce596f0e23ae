#pragma once
// "テキストを取り込む…": the form of the texts, where they are, their encoding
// (plain text and Kanripo files), the category, and the data folder to make.
// The import runs as the separate program vesk-import (--build --progress)
// beside this one; its progress lines move the bar, "中止" ends it (it then
// leaves nothing behind), and when it is done the new folder can be opened.
// The window stays responsive throughout: nothing here waits for the process.
#include <QDialog>
#include <QProcess>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vesk {

class CImportDlg : public QDialog {
    Q_OBJECT
public:
    // currentFolder: the open data folder, whose variant table the new
    // folder takes over when it has one.
    explicit CImportDlg(const QString& currentFolder, QWidget* parent = nullptr);
    ~CImportDlg() override;

    // The fields, for the user and for tests: format "text", "tei" or "kanripo".
    void SetRequest(const QString& format, const QString& input, const QString& destination,
                    const QString& encoding = {}, const QString& category = {});
    // The arguments given to vesk-import for the fields as they stand.
    QStringList ImportArguments() const;
    // Starts the import; false (with the reason shown) when a field is missing.
    bool Start();
    void Cancel();
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    int Progress() const;
    QString StatusText() const;
    // The folder of the source corpus written beside the data folder.
    static QString SourceFolderFor(const QString& destination);

signals:
    void Finished(bool ok);
    void OpenRequested(const QString& folder);

protected:
    void reject() override;

private:
    void CreateControls();
    void ReadProgress();
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void SetRunning(bool running);
    void Browse(QLineEdit* edit, bool folder);

    QString m_currentFolder;
    QProcess m_process;
    QString m_pendingOutput;
    QStringList m_messages;
    bool m_cancelled = false;
    QComboBox* m_format = nullptr;
    QLineEdit* m_input = nullptr;
    QComboBox* m_encoding = nullptr;
    QLineEdit* m_category = nullptr;
    QLineEdit* m_destination = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_close = nullptr;
    QList<QPushButton*> m_browseButtons;
};

} // namespace vesk
