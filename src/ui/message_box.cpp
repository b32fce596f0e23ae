#include "ui/message_box.h"

#include "engine/report.h"
#include "ui/app_strings.h"

#include <QApplication>
#include <QMessageBox>
#include <QtDebug>

#include <utility>

namespace vesk {
namespace {

MessageBoxInterceptor& Interceptor()
{
    static MessageBoxInterceptor interceptor;
    return interceptor;
}

} // namespace

void ShowMessageBox(QWidget* parent, const QString& text)
{
    if (Interceptor()) {
        Interceptor()(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, kAppTitle, text, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.exec();
}

MessageBoxInterceptor SetMessageBoxInterceptor(MessageBoxInterceptor interceptor)
{
    return std::exchange(Interceptor(), std::move(interceptor));
}

void InstallCoreReportHandler()
{
    SetReportHandler([](ReportKind kind, std::string_view text) {
        const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (kind == ReportKind::Message)
            ShowMessageBox(nullptr, message);
        else
            qDebug().noquote() << message;
    });
}

} // namespace vesk
