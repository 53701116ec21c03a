// Renders both windows offscreen to PNG files: every tab page of the main window, with a few rows
// in its list, and the thanks window.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>

#include "app/application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    // Pictures show a window with an empty rename history, whatever the user's own holds.
    QTemporaryDir state;
    qputenv("VELMORA_STATE_DIR", state.path().toUtf8());
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
    velmora.thanksWindow()->close();

    // A confirmation with its plan opened: add a prefix in a small folder.
    QTemporaryDir folder;
    for (const char* name : {"01 入门.mp4", "02 基础.mp4", "03 进阶.mp4", "第1季 03 进阶.mp4", "notes.txt", "第1季 notes.txt"})
        std::ofstream(folder.filePath(QString::fromUtf8(name)).toStdString());
    velmora.window().setCaption(velmora::component::标签2, velmora::Text::fromUtf8(folder.path().toStdString() + "/"));
    main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("第1季 "));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::ActionRole) b->click();
        QApplication::processEvents();
        box->adjustSize();
        QApplication::processEvents();
        box->grab().save(out + QStringLiteral("/confirmation-plan.png"));
        box->button(QMessageBox::Cancel)->click();
    });
    poll.start(20);
    main.component<QPushButton>("按钮_加前缀")->click();
    return 0;
}
