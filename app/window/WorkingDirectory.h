// Where Kadrant keeps "config.dat" and its other files: the current directory. On Windows, when
// started in the folder it is installed in (its Start-menu entry, a double click in Explorer),
// that is %APPDATA%\Kadrant instead, made if missing: the program's folder (Program Files) is
// not the user's to write, and the settings stay the user's across updates and uninstalls. On
// Linux the desktop launcher chooses the directory (packaging/kadrant-launcher.sh).
#pragma once

void EnterWorkingDirectory();
