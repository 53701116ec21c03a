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
    // --help, --version and mistakes need no display, so the arguments are read before there is a
    // window, without Qt's own (-platform X and the like), which QApplication takes out later.
    const QStringList arguments = velmora::withoutQtOptions(argumentsOf(argc, argv));
    const CommandLine first = velmora::readCommandLine(arguments);
    if (first.action != CommandLine::Action::Open) {
        QCoreApplication app(argc, argv);
        identify();
        velmora::QtChinese chinese(app);
        // Read again, so the parser's message comes in Chinese now that Qt's translation is in.
        return answerOnTerminal(velmora::readCommandLine(arguments));
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
