// Renders both windows offscreen to PNG files: every tab page of the main window, with a few rows
// in its list, and the thanks window.
#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include "app/application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    velmora::Application velmora(app);
    velmora::MainWindow& main = velmora.mainWindow();
    velmora.window().setCaption(velmora::component::标签2, velmora::Text::fromUtf8("/home/me/videos/lessons/"));
    velmora.window().list().appendRows({velmora::Text::fromUtf8("第1课 入门.mp4"), velmora::Text::fromUtf8("第2课 基础.mp4"),
                                        velmora::Text::fromUtf8("第10课 进阶.mp4"), velmora::Text::fromUtf8("notes.txt")});
    main.show();
    auto* tabs = main.component<QTabWidget>("高级选择夹1");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        main.grab().save(out + QStringLiteral("/main-page%1.png").arg(i + 1));
    }
    velmora.openThanksWindow();
    QApplication::processEvents();
    velmora.thanksWindow()->grab().save(out + QStringLiteral("/thanks.png"));
    return 0;
}
