#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace velmora {

QtChinese::QtChinese(QCoreApplication& app) : app_(app) {
    // qtbase holds the message boxes, the file dialogs and the command-line parser.
    if (translator_.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installed_ = app_.installTranslator(&translator_);
}

QtChinese::~QtChinese() {
    if (installed_) app_.removeTranslator(&translator_);
}

}  // namespace velmora
