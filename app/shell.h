#pragma once

#include "platform/types.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace app {

// Asks the user for a folder: the picker's title and the folder it opens on;
// the chosen folder, or an empty string on cancel.
using FolderPicker = std::function<QString(const QString& title, const QString& startFolder)>;
// Hands an address or a local folder to the system.
using UrlOpener = std::function<void(const QUrl& target)>;

// What the shell commands need of the system. Tests put their own picker,
// opener and program directory in place.
struct Shell {
  QString programDirectory;
  FolderPicker pickFolder;
  UrlOpener openUrl;

  // The program directory as the program's text.
  platform::Text ProgramDirectoryText() const;
};

// The folder that holds the program file, without a trailing separator.
QString ExecutableDirectory();
// The system's folder picker: no owner window, folders only.
FolderPicker SystemFolderPicker();
// The system's handler for the target: the web browser, the file manager.
UrlOpener SystemUrlOpener();
// The system's services for the program's own directory.
Shell SystemShell();

// Opens an address with the system's default action for it.
void ShellOpen(const Shell& shell, const platform::Text& address);

} // namespace app
