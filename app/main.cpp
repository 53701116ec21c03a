#include <QApplication>
#include <QIcon>

#include "app/application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora.svg")));
    velmora::Application velmora(app);
    velmora.mainWindow().show();
    return QApplication::exec();
}
