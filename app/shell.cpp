#include "app/shell.h"

#include "app/qt_text.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>

namespace app {

platform::Text Shell::ProgramDirectoryText() const { return ToGbk(QDir::toNativeSeparators(programDirectory)); }

QString ExecutableDirectory() {
  QString directory = QCoreApplication::applicationDirPath();
  while (directory.size() > 1 && directory.endsWith(QLatin1Char('/'))) directory.chop(1);
  return directory;
}

FolderPicker SystemFolderPicker() {
  return [](const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(nullptr, title, startFolder, QFileDialog::ShowDirsOnly);
  };
}

UrlOpener SystemUrlOpener() {
  return [](const QUrl& target) { QDesktopServices::openUrl(target); };
}

Shell SystemShell() { return Shell{ExecutableDirectory(), SystemFolderPicker(), SystemUrlOpener()}; }

void ShellOpen(const Shell& shell, const platform::Text& address) {
  if (shell.openUrl) shell.openUrl(QUrl(ToQt(address)));
}

} // namespace app
