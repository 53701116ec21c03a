#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace velmora {
namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本帮助并退出。")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("显示版本号并退出。")};

    Parser() {
        // Qt's own --help and --version describe themselves in English where no translation is
        // installed; these are always Chinese.
        parser.setApplicationDescription(QStringLiteral("批量给一个文件夹里的文件改名。"));
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument(QStringLiteral("路径"),
                                     QStringLiteral("要打开的文件夹；给出文件时打开它所在的文件夹，如同把它拖进窗口。"),
                                     QStringLiteral("[路径...]"));
    }
};

}  // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    Parser p;
    CommandLine result;
    if (!p.parser.parse(arguments)) {
        result.action = CommandLine::Action::Error;
        result.error = p.parser.errorText();
        return result;
    }
    if (p.parser.isSet(p.help))
        result.action = CommandLine::Action::Help;
    else if (p.parser.isSet(p.version))
        result.action = CommandLine::Action::Version;
    result.paths = p.parser.positionalArguments();
    return result;
}

QString commandLineHelp() { return Parser().parser.helpText(); }

QString versionText() {
    return QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() +
           QLatin1Char('\n');
}

}  // namespace velmora
