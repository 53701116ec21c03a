#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

#include "app/application.h"
#include "app/command_line.h"
#include "app/translations.h"

namespace {

using velmora::CommandLine;

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void identify() {
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
}

// --help, --version and mistakes in the arguments.
int answerOnTerminal(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(velmora::commandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(velmora::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    default:
        std::fprintf(stderr, "velmora: %s\n%s\n", line.error.toLocal8Bit().constData(),
                     QStringLiteral("用 velmora --help 查看用法。").toLocal8Bit().constData());
        return 2;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // --help and --version need no display. Anything else needs the window; Qt's own arguments
    // (-platform and the like) are taken out by QApplication before the arguments are read again.
    const CommandLine first = velmora::readCommandLine(argumentsOf(argc, argv));
    if (first.action == CommandLine::Action::Help || first.action == CommandLine::Action::Version) {
        QCoreApplication app(argc, argv);
        identify();
        velmora::QtChinese chinese(app);
        return answerOnTerminal(first);
    }
    QApplication app(argc, argv);
    identify();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora.svg")));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));
    velmora::Application velmora(app);
    const CommandLine line = velmora::readCommandLine(QCoreApplication::arguments());
    if (line.action != CommandLine::Action::Open) return answerOnTerminal(line);
    velmora.mainWindow().show();
    // Loaded once the window shows, so whatever the load says appears over it.
    if (!line.paths.isEmpty())
        QTimer::singleShot(0, &app, [&velmora, paths = line.paths] { velmora.openPaths(paths); });
    return QApplication::exec();
}
