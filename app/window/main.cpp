// Kadrant: drives an LED scoreboard over a serial line. Reads no command line and no environment:
// everything it needs is in "config.dat" in the current directory (WorkingDirectory.h).
#include "app/window/TApp.h"
#include "app/window/WorkingDirectory.h"

int main(int argc, char** argv) {
    EnterWorkingDirectory();
    TApp app(argc, argv);
    app.InitMainWindow();
    return app.Run();
}
