#pragma once
// velmora [PATH...], --help and --version. Reading the arguments needs no application object, so
// the terminal answers come without a display.

#include <QString>
#include <QStringList>

namespace velmora {

struct CommandLine {
    enum class Action { Open, Help, Version, Error };
    Action action = Action::Open;
    QStringList paths;  ///< as given, in order
    QString error;  ///< what was wrong, for Action::Error
};

/// arguments include the program name first.
CommandLine readCommandLine(const QStringList& arguments);
/// arguments without the options QGuiApplication and QApplication take for themselves (-platform
/// X, -style X, -reverse, …; also with two dashes), values included, so they can be read before
/// the application exists.
QStringList withoutQtOptions(const QStringList& arguments);
/// What --help prints; Qt's part of it is translated once an application with translations exists.
QString commandLineHelp();
/// What --version prints.
QString versionText();

}  // namespace velmora
