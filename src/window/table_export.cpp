#include "window/table_export.h"

#include "ui/message_box.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QProgressDialog>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <memory>

namespace vesk {
namespace {

const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
const QString kTsvFilter = QStringLiteral("TSV (*.tsv *.txt)");

constexpr std::size_t kRowsPerCheck = 4096;

} // namespace

QString AskExportFile(QWidget* parent, const QString& suggestedName, TableForm& form)
{
    QString filter = kCsvFilter;
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("書き出し"), suggestedName,
                                                      kCsvFilter + QStringLiteral(";;") + kTsvFilter, &filter);
    const bool tsv = filter == kTsvFilter || path.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive) ||
                     path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    form = tsv ? TableForm::Tsv : TableForm::Csv;
    return path;
}

bool WriteTableFile(const QString& path, TableForm form, const ExportTable& table,
                    const std::function<bool(std::size_t done)>& keepGoing, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    std::string block;
    if (form == TableForm::Csv)
        block.append(kUtf8ByteOrderMark);
    block += FormatHeader(form, table.columns);
    for (std::size_t i = 0; i < table.rowCount; ++i) {
        block += FormatRow(form, table.columns, table.row(i));
        if ((i + 1) % kRowsPerCheck == 0 || i + 1 == table.rowCount) {
            if (file.write(block.data(), static_cast<qint64>(block.size())) != static_cast<qint64>(block.size())) {
                error = file.errorString();
                file.cancelWriting();
                return false;
            }
            block.clear();
            if (keepGoing && !keepGoing(i + 1)) {
                file.cancelWriting();
                error = QStringLiteral("中止しました。");
                return false;
            }
        }
    }
    if (!block.empty() &&
        file.write(block.data(), static_cast<qint64>(block.size())) != static_cast<qint64>(block.size())) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool ExportWithProgress(QWidget* parent, const QString& path, TableForm form, ExportTable table)
{
    QProgressDialog progress(QStringLiteral("書き出しています…"), QStringLiteral("中止"), 0,
                             static_cast<int>(std::min<std::size_t>(table.rowCount, INT32_MAX)), parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    auto done = std::make_shared<std::atomic<std::size_t>>(0);
    bool written = false;
    QString error;
    QThread* thread = QThread::create([&, cancelled, done] {
        written = WriteTableFile(path, form, table, [&](std::size_t rows) {
            done->store(rows);
            return !cancelled->load();
        }, error);
    });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [cancelled] { cancelled->store(true); });
    auto* ticker = new QTimer(&progress);
    QObject::connect(ticker, &QTimer::timeout, &progress,
                     [&progress, done] { progress.setValue(static_cast<int>(std::min<std::size_t>(done->load(), INT32_MAX))); });
    ticker->start(100);
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
    // The ticker would show the dialog again from inside the message box's
    // event loop: stop it before the dialog goes.
    ticker->stop();
    progress.reset();
    progress.hide();
    if (!written && !cancelled->load())
        ShowMessageBox(parent, QStringLiteral("「%1」に書き出せませんでした。%2").arg(path, error));
    return written;
}

} // namespace vesk
