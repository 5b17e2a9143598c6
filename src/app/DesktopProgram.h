#pragma once
// Start-up and shut-down of the desktop program: the engine's version is checked, the user
// is warned about a display of fewer than 24 bits, the settings are loaded, the main window
// runs until it is closed, and the settings are saved. A movie named on the command line is
// opened once the window shows.

#include <QString>
#include <QStringList>

#include "swf/player/EngineVersion.h"

class QApplication;

namespace app {

class MessageBoxes;

// Every version but 6.0.22.0, the one the program has always refused.
bool EngineVersionAccepted(const swf::Version& version);
// Says why with message 146 when the version is refused.
bool CheckEngineVersion(const swf::Version& version, MessageBoxes& messages);

// The movie to open from the program's arguments (the program's name first): the first one
// that is not an option ("--" ends the options), as an absolute path; a file:// address is
// taken as its local file. Empty when none is given.
QString MovieFromArguments(const QStringList& arguments);

// The whole program; always 0, whether start-up was refused or the window was closed.
int RunDesktopProgram(QApplication& application);

}  // namespace app
