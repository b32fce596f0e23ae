#include "window/import_dlg.h"

#include "ui/app_strings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace vesk {
namespace {

constexpr int kCancelGraceMs = 3000;
// How much of the bar reading the texts takes; building the index the rest.
constexpr int kReadShare = 40;

QString ImporterProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vesk-import"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("vesk-import"));
}

} // namespace

CImportDlg::CImportDlg(const QString& currentFolder, QWidget* parent)
    : QDialog(parent), m_currentFolder(currentFolder)
{
    setObjectName(QStringLiteral("importDialog"));
    setWindowTitle(QStringLiteral("テキストを取り込む"));
    CreateControls();
    connect(&m_process, &QProcess::readyReadStandardError, this, &CImportDlg::ReadProgress);
    connect(&m_process, &QProcess::finished, this, &CImportDlg::OnFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            OnFinished(-1, QProcess::CrashExit);
    });
}

CImportDlg::~CImportDlg()
{
    if (IsRunning()) {
        m_process.terminate();
        if (!m_process.waitForFinished(kCancelGraceMs))
            m_process.kill();
        m_process.waitForFinished(kCancelGraceMs);
    }
}

void CImportDlg::CreateControls()
{
    m_format = new QComboBox(this);
    m_format->addItem(QStringLiteral("プレーンテキスト（フォルダ・.txt）"), QStringLiteral("text"));
    m_format->addItem(QStringLiteral("TEI P5 XML"), QStringLiteral("tei"));
    m_format->addItem(QStringLiteral("Kanripo 形式"), QStringLiteral("kanripo"));
    m_input = new QLineEdit(this);
    m_encoding = new QComboBox(this);
    m_encoding->addItem(QStringLiteral("自動（UTF-8・UTF-16）"), QString());
    for (const char* name : {"big5", "gbk", "gb18030", "shift_jis", "euc-jp"})
        m_encoding->addItem(QString::fromLatin1(name), QString::fromLatin1(name));
    m_category = new QLineEdit(this);
    m_category->setPlaceholderText(QStringLiteral("（入力フォルダの名前）"));
    m_destination = new QLineEdit(this);
    connect(m_format, &QComboBox::currentIndexChanged, this,
            [this] { m_encoding->setEnabled(m_format->currentData() != QStringLiteral("tei")); });

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(m_input, 1);
    auto* inputFolder = new QPushButton(QStringLiteral("フォルダ…"), this);
    auto* inputFile = new QPushButton(QStringLiteral("ファイル…"), this);
    inputRow->addWidget(inputFolder);
    inputRow->addWidget(inputFile);
    connect(inputFolder, &QPushButton::clicked, this, [this] { Browse(m_input, true); });
    connect(inputFile, &QPushButton::clicked, this, [this] { Browse(m_input, false); });
    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_destination, 1);
    auto* destinationBrowse = new QPushButton(QStringLiteral("参照…"), this);
    destinationRow->addWidget(destinationBrowse);
    connect(destinationBrowse, &QPushButton::clicked, this, [this] { Browse(m_destination, true); });
    m_browseButtons = {inputFolder, inputFile, destinationBrowse};

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("形式："), m_format);
    form->addRow(QStringLiteral("入力："), inputRow);
    form->addRow(QStringLiteral("文字コード："), m_encoding);
    form->addRow(QStringLiteral("類別："), m_category);
    form->addRow(QStringLiteral("新しいデータフォルダ："), destinationRow);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(QStringLiteral("取り込む"), QDialogButtonBox::ActionRole);
    m_cancel = buttons->addButton(QStringLiteral("中止"), QDialogButtonBox::ActionRole);
    m_open = buttons->addButton(QStringLiteral("開く"), QDialogButtonBox::ActionRole);
    m_close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    m_cancel->setEnabled(false);
    m_open->setEnabled(false);
    connect(m_start, &QPushButton::clicked, this, &CImportDlg::Start);
    connect(m_cancel, &QPushButton::clicked, this, &CImportDlg::Cancel);
    connect(m_open, &QPushButton::clicked, this, [this] { emit OpenRequested(m_destination->text()); });
    connect(m_close, &QPushButton::clicked, this, &CImportDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
}

void CImportDlg::Browse(QLineEdit* edit, bool folder)
{
    const QString chosen = folder ? QFileDialog::getExistingDirectory(this, QString(), edit->text())
                                  : QFileDialog::getOpenFileName(this, QString(), edit->text());
    if (!chosen.isEmpty())
        edit->setText(QDir::toNativeSeparators(chosen));
}

void CImportDlg::SetRequest(const QString& format, const QString& input, const QString& destination,
                            const QString& encoding, const QString& category)
{
    m_format->setCurrentIndex(std::max(0, m_format->findData(format)));
    m_input->setText(input);
    m_destination->setText(destination);
    m_encoding->setCurrentIndex(std::max(0, m_encoding->findData(encoding)));
    m_category->setText(category);
}

QString CImportDlg::SourceFolderFor(const QString& destination)
{
    return QDir::cleanPath(destination) + QStringLiteral("-source");
}

QStringList CImportDlg::ImportArguments() const
{
    const QString format = m_format->currentData().toString();
    QStringList args = {QStringLiteral("--from"), format, QStringLiteral("--progress"), QStringLiteral("--build"),
                        m_destination->text()};
    const QString encoding = m_encoding->currentData().toString();
    if (format != QStringLiteral("tei") && !encoding.isEmpty())
        args << QStringLiteral("--encoding") << encoding;
    if (!m_category->text().trimmed().isEmpty())
        args << QStringLiteral("--category") << m_category->text().trimmed();
    const QString variants = QDir(m_currentFolder).filePath(QStringLiteral("yitizi.txt"));
    if (!m_currentFolder.isEmpty() && QFileInfo(variants).isFile())
        args << QStringLiteral("--variants") << variants;
    args << m_input->text() << SourceFolderFor(m_destination->text());
    return args;
}

bool CImportDlg::Start()
{
    if (IsRunning())
        return false;
    if (m_input->text().isEmpty() || m_destination->text().isEmpty()) {
        m_status->setText(QStringLiteral("入力と新しいデータフォルダを指定して下さい。"));
        return false;
    }
    const QString program = ImporterProgram();
    if (program.isEmpty()) {
        m_status->setText(QStringLiteral("vesk-import が見つかりません。"));
        return false;
    }
    m_messages.clear();
    m_pendingOutput.clear();
    m_cancelled = false;
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("取り込み中…"));
    SetRunning(true);
    m_process.start(program, ImportArguments());
    return true;
}

void CImportDlg::Cancel()
{
    if (!IsRunning())
        return;
    m_cancelled = true;
    m_status->setText(QStringLiteral("中止しています…"));
    // vesk-import ends its work and removes what it wrote at SIGTERM.
    m_process.terminate();
    QTimer::singleShot(kCancelGraceMs, this, [this] {
        if (IsRunning())
            m_process.kill();
    });
}

void CImportDlg::ReadProgress()
{
    m_pendingOutput += QString::fromUtf8(m_process.readAllStandardError());
    qsizetype end;
    while ((end = m_pendingOutput.indexOf(QLatin1Char('\n'))) >= 0) {
        const QString line = m_pendingOutput.left(end);
        m_pendingOutput.remove(0, end + 1);
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() == 4 && fields[0] == QStringLiteral("progress")) {
            const double done = fields[2].toDouble(), total = std::max(1.0, fields[3].toDouble());
            const bool reading = fields[1] == QStringLiteral("read");
            const double share = reading ? kReadShare * done / total
                                         : kReadShare + (100 - kReadShare) * done / total;
            m_progress->setValue(std::max(m_progress->value(), static_cast<int>(share)));
        } else if (!line.isEmpty()) {
            m_messages << line.section(QStringLiteral("vesk-import: "), -1);
        }
    }
}

void CImportDlg::OnFinished(int exitCode, QProcess::ExitStatus status)
{
    ReadProgress();
    SetRunning(false);
    const bool ok = status == QProcess::NormalExit && exitCode == 0 && !m_cancelled;
    if (ok) {
        m_progress->setValue(100);
        m_status->setText(QStringLiteral("取り込みが終わりました。「開く」で新しいデータフォルダを開きます。"));
    } else if (m_cancelled) {
        m_progress->setValue(0);
        m_status->setText(QStringLiteral("中止しました。何も書き込まれていません。"));
    } else {
        const QString reason = m_messages.isEmpty() ? QStringLiteral("vesk-import を実行できませんでした。")
                                                    : m_messages.last();
        m_status->setText(QStringLiteral("取り込めませんでした：") + reason);
    }
    m_open->setEnabled(ok);
    emit Finished(ok);
}

void CImportDlg::SetRunning(bool running)
{
    m_start->setEnabled(!running);
    m_cancel->setEnabled(running);
    m_close->setEnabled(!running);
    for (QWidget* field : {static_cast<QWidget*>(m_format), static_cast<QWidget*>(m_input),
                           static_cast<QWidget*>(m_category), static_cast<QWidget*>(m_destination)})
        field->setEnabled(!running);
    for (QPushButton* button : m_browseButtons)
        button->setEnabled(!running);
    m_encoding->setEnabled(!running && m_format->currentData() != QStringLiteral("tei"));
}

int CImportDlg::Progress() const
{
    return m_progress->value();
}

QString CImportDlg::StatusText() const
{
    return m_status->text();
}

void CImportDlg::reject()
{
    // Closing while an import runs cancels it first.
    if (IsRunning()) {
        Cancel();
        return;
    }
    QDialog::reject();
}

} // namespace vesk
