#pragma once
// The program's one kind of message: a box with the application title, the
// warning icon and an OK button.
#include <QString>

#include <functional>

class QWidget;

namespace vesk {

void ShowMessageBox(QWidget* parent, const QString& text);

// Replaces the box by a function that receives the text (tests use this to
// see messages without a modal box). Returns the previous interceptor; an
// empty function restores the box.
using MessageBoxInterceptor = std::function<void(const QString& text)>;
MessageBoxInterceptor SetMessageBoxInterceptor(MessageBoxInterceptor interceptor);

// Routes the core's reports: messages to the box, diagnostics to Qt's debug
// output.
void InstallCoreReportHandler();

} // namespace vesk
