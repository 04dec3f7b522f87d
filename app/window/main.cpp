// Kadrant: drives an LED scoreboard over a serial line. Reads no command line and no environment:
// everything it needs is in "config.dat" in the current directory.
#include "app/window/TApp.h"

int main(int argc, char** argv) {
    TApp app(argc, argv);
    app.InitMainWindow();
    return app.Run();
}
