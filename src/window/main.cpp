// vesk: the reader and full-text search window.
#include "window/vesk_app.h"

int main(int argc, char** argv)
{
    vesk::CVeskApp app(argc, argv);
    if (!app.InitInstance())
        return app.ExitInstance(1);
    return app.ExitInstance(app.exec());
}
