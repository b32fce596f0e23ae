#pragma once
// Ends the event loop in order when the process is asked to stop (SIGTERM,
// SIGINT, SIGHUP), so the window is closed the ordinary way: the splitter
// saves its layout and the page folder is removed.
class QCoreApplication;

namespace vesk {

// Installs the handlers; false when the signal pipe cannot be made.
bool QuitOnTerminationSignals(QCoreApplication& app);

} // namespace vesk
