#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

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

// The options QGuiApplication, QApplication and the X11 platform take out of the arguments, with
// one dash or two: those with a value take the next argument, or the text after "=".
const QStringList kQtOptionsWithValue{
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("title"),
    QStringLiteral("icon"),
    QStringLiteral("name"),
    QStringLiteral("visual"),
    QStringLiteral("qmljsdebugger"),
};
const QStringList kQtFlags{
    QStringLiteral("reverse"), QStringLiteral("testability"), QStringLiteral("widgetcount"), QStringLiteral("dograb"),
    QStringLiteral("nograb"),  QStringLiteral("qdevel"),      QStringLiteral("qdebug"),
};
const QStringList kQtOptionsWithJoinedValue{QStringLiteral("style="), QStringLiteral("stylesheet="),
                                            QStringLiteral("qmljsdebugger=")};

}  // namespace

QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            kept << argument;
            continue;
        }
        const QString option = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (kQtOptionsWithValue.contains(option) && i + 1 < arguments.size()) {
            ++i;  // and its value; without one it is no option of Qt's either
        } else if (!kQtFlags.contains(option) &&
                   std::none_of(kQtOptionsWithJoinedValue.begin(), kQtOptionsWithJoinedValue.end(),
                                [&](const QString& prefix) { return option.startsWith(prefix); })) {
            kept << argument;
        }
    }
    return kept;
}

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
