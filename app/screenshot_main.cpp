// Renders both windows offscreen to PNG files: every tab page of the main window with a folder
// loaded as the program lists it, the list sorted by its header, where the keyboard focus shows,
// the window enlarged, the folder picker, the thanks window, the preview with rows unchecked and
// filtered, and a confirmation.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <fstream>

#include "app/application.h"
#include "interaction/folder_loading.h"
#include "ui/list_model.h"
#include "ui/sorted_rows.h"

namespace {

std::string be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string le32(unsigned v) { return le16(v & 0xFFFF) + le16(v >> 16); }

// A photo as a camera writes it, in the small: EXIF holding the moment it was taken (20 bytes,
// "yyyy:MM:dd HH:mm:ss"), then the tables of a JPEG.
std::string photo(const char* taken) {
    using namespace std::string_literals;
    std::string tiff = "II*\0"s + le32(8) + le16(1) + le16(0x8769) + le16(4) + le32(1) + le32(26) + le32(0);
    tiff += le16(1) + le16(0x9003) + le16(2) + le32(20) + le32(44) + le32(0) + std::string(taken, 19) + '\0';
    const std::string app1 = "Exif\0\0"s + tiff;
    return "\xFF\xD8\xFF\xE1"s + be16(static_cast<unsigned>(app1.size()) + 2) + app1 + "\xFF\xDB"s + be16(67) +
           std::string(1, '\0') + std::string(64, '\x01') + "\xFF\xC0"s + be16(11) + "\x08"s + be16(3024) + be16(4032) +
           "\x01\x01\x11\x00"s + "\xFF\xDA"s + be16(8) + "\x01\x01\x00\x00\x3F\x00"s + "\x3F\xFF\xD9"s;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    // Pictures show a window with an empty rename history, whatever the user's own holds.
    QTemporaryDir state;
    qputenv("VELMORA_STATE_DIR", state.path().toUtf8());
    velmora::Application velmora(app);
    velmora::MainWindow& main = velmora.mainWindow();
    main.show();
    QTemporaryDir lessons(QDir::tempPath() + QStringLiteral("/视频课程-XXXXXX"));
    for (const char* name : {"1 入门.mp4", "2 基础.mp4", "10 进阶.mp4", "第1课 复习.mp4", "第2课 练习.mp4",
                             "第10课 总结.mp4", "notes.txt"})
        std::ofstream(lessons.filePath(QString::fromUtf8(name)).toStdString()).close();
    velmora.openPaths({lessons.path()});
    auto* tabs = main.component<QTabWidget>("高级选择夹1");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        main.grab().save(out + QStringLiteral("/main-page%1.png").arg(i + 1));
    }
    tabs->setCurrentIndex(0);
    main.shownRows().setOrder(velmora::SortedRows::Order::Natural);
    QApplication::processEvents();
    main.grab().save(out + QStringLiteral("/main-sorted.png"));
    main.shownRows().setOrder(velmora::SortedRows::Order::Loading);

    main.activateWindow();
    for (const char* name : {"按钮7", "编辑框8", "选择框3", "组合框1", "超级列表框1", "高级选择夹1"}) {
        main.component(name)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        main.grab().save(out + QStringLiteral("/focus-%1.png").arg(QString::fromUtf8(name)));
    }
    // The window enlarged: the list and the page take the room.
    const QSize tableSize = main.size();
    main.resize(tableSize + QSize(420, 200));
    QApplication::processEvents();
    main.grab().save(out + QStringLiteral("/main-large.png"));
    main.resize(tableSize);
    QApplication::processEvents();

    // The folder picker, opened where the folder chosen last is.
    QTemporaryDir courses(QDir::tempPath() + QStringLiteral("/课程-XXXXXX"));
    for (const char* name : {"第一单元", "第二单元", "资料"}) QDir(courses.path()).mkdir(QString::fromUtf8(name));
    QTimer picker;
    int opened = 0;
    QObject::connect(&picker, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        if (opened++ == 0) {
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(courses.path());
            QMetaObject::invokeMethod(dialog, "accept");
            return;
        }
        picker.stop();
        dialog->setViewMode(QFileDialog::Detail);
        auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (!QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == 3; }, 5000))
            qWarning("the picker did not list its folder within 5 s");
        QApplication::processEvents();
        dialog->grab().save(out + QStringLiteral("/folder-picker.png"));
        dialog->reject();
    });
    picker.start(20);
    velmora.window().browseForFolder(velmora::Text::fromUtf8("选择目录"));
    velmora.window().browseForFolder(velmora::Text::fromUtf8("选择目录"));

    velmora.openThanksWindow();
    QApplication::processEvents();
    velmora.thanksWindow()->grab().save(out + QStringLiteral("/thanks.png"));
    velmora.thanksWindow()->close();

    // The live preview: a folder of lessons, a prefix typed, every new name beside the old one.
    QTemporaryDir previewed(QDir::tempPath() + QStringLiteral("/视频课程-XXXXXX"));
    for (const char* name : {"第1课 入门.mp4", "第2课 基础.mp4", "第10课 进阶.mp4", "第2课 基础.srt", "notes.txt"})
        std::ofstream(previewed.filePath(QString::fromUtf8(name)).toStdString()).close();
    std::ofstream(previewed.filePath(QStringLiteral("【课程】第2课 基础.mp4")).toStdString()).close();
    main.component<QPushButton>("按钮9")->click();
    velmora::loadDroppedPath(velmora.window(), velmora.session(),
                             velmora::Text::fromUtf8(previewed.path().toStdString() + "/x"));
    tabs->setCurrentIndex(2);
    auto* prefix = main.component<QLineEdit>("编辑框6");
    prefix->setFocus();
    prefix->setText(QStringLiteral("【课程】"));
    emit prefix->textEdited(prefix->text());
    if (!QTest::qWaitFor([&] { return !velmora.preview().pending(); }, 10000))
        qWarning("the preview was not shown within 10 s: preview.png shows it pending");
    main.grab().save(out + QStringLiteral("/preview.png"));

    // Choosing what the rule renames: one lesson unchecked, only the videos shown.
    velmora::RowModel& rows = main.rows();
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.row(r).toUtf8() == "第2课 基础.mp4") rows.setData(rows.index(r, 0), Qt::Unchecked, Qt::CheckStateRole);
    main.component<QLineEdit>("编辑框_筛选")->setText(QStringLiteral("*.mp4"));
    if (!QTest::qWaitFor([&] { return !velmora.preview().pending(); }, 10000))
        qWarning("the preview was not shown within 10 s: choosing.png shows it pending");
    main.grab().save(out + QStringLiteral("/choosing.png"));
    main.component<QLineEdit>("编辑框_筛选")->clear();
    rows.checkAll(true);
    prefix->clear();

    // A series folder by season, 包括子文件夹 checked: each episode numbered again in its own folder.
    QTemporaryDir series(QDir::tempPath() + QStringLiteral("/电视剧-XXXXXX"));
    for (const char* season : {"第1季", "第2季"}) {
        QDir(series.path()).mkdir(QString::fromUtf8(season));
        for (const char* name : {"S01E01 1080p.mkv", "S01E02 1080p.mkv", "S01E03 1080p.mkv"})
            std::ofstream(series.filePath(QString::fromUtf8(season) + "/" + QString::fromUtf8(name)).toStdString())
                .close();
    }
    std::ofstream(series.filePath(QStringLiteral("海报.jpg")).toStdString()).close();
    main.component<QPushButton>("按钮9")->click();
    main.component<QCheckBox>("选择框_包括子文件夹")->click();
    velmora::loadDroppedPath(velmora.window(), velmora.session(),
                             velmora::Text::fromUtf8(series.path().toStdString() + "/x"));
    main.component<QLineEdit>("编辑框_筛选")->setText(QStringLiteral("*.mkv"));
    tabs->setCurrentIndex(3);
    main.component<QCheckBox>("选择框_每个文件夹重新编号")->click();
    auto* episodes = main.component<QLineEdit>("编辑框_模板");
    episodes->setFocus();
    episodes->setText(QStringLiteral("第##集"));
    emit episodes->textEdited(episodes->text());
    if (!QTest::qWaitFor([&] { return !velmora.preview().pending(); }, 10000))
        qWarning("the preview was not shown within 10 s: subfolders.png shows it pending");
    main.grab().save(out + QStringLiteral("/subfolders.png"));
    episodes->setText(QStringLiteral("* ##"));
    main.component<QCheckBox>("选择框_每个文件夹重新编号")->click();
    main.component<QLineEdit>("编辑框_筛选")->clear();
    main.component<QCheckBox>("选择框_包括子文件夹")->click();

    // A folder of photos from a camera and a phone named after the moment each was taken, in the
    // order taken; a picture without EXIF says why it keeps its name.
    QTemporaryDir photos(QDir::tempPath() + QStringLiteral("/手机照片-XXXXXX"));
    for (const auto& [name, taken] :
         {std::pair{"IMG_0001.JPG", "2024:05:01 14:02:33"}, std::pair{"IMG_0002.JPG", "2024:05:01 14:05:10"},
          std::pair{"IMG_0003.JPG", "2024:05:02 09:30:00"}, std::pair{"20240501_101502.jpg", "2024:05:01 10:15:02"},
          std::pair{"20240502_183011.jpg", "2024:05:02 18:30:11"}})
        std::ofstream(photos.filePath(QString::fromUtf8(name)).toStdString(), std::ios::binary) << photo(taken);
    std::ofstream(photos.filePath(QStringLiteral("截图.png")).toStdString()).close();
    velmora::loadDroppedPath(velmora.window(), velmora.session(),
                             velmora::Text::fromUtf8(photos.path().toStdString() + "/x"));
    tabs->setCurrentIndex(3);
    auto* pattern = main.component<QLineEdit>("编辑框_模板");
    pattern->setFocus();
    pattern->setText(QStringLiteral("<拍摄日期:yyyy-MM-dd> <拍摄时间:HH.mm.ss>"));
    emit pattern->textEdited(pattern->text());
    if (!QTest::qWaitFor([&] { return !velmora.preview().pending(); }, 10000))
        qWarning("the preview was not shown within 10 s: preview-photos.png shows it pending");
    main.grab().save(out + QStringLiteral("/preview-photos.png"));
    pattern->setText(QStringLiteral("* ##"));
    main.component<QPushButton>("按钮13")->click();
    // Page " 列 表 ": lessons sorted by the header, their titles pasted, one title for each.
    QTemporaryDir course(QDir::tempPath() + QStringLiteral("/网课-XXXXXX"));
    for (int i = 1; i <= 12; ++i)
        std::ofstream(course.filePath(QStringLiteral("第%1课.mp4").arg(i)).toStdString()).close();
    main.component<QPushButton>("按钮9")->click();
    velmora::loadDroppedPath(velmora.window(), velmora.session(),
                             velmora::Text::fromUtf8(course.path().toStdString() + "/x"));
    main.shownRows().setOrder(velmora::SortedRows::Order::Natural);
    tabs->setCurrentIndex(4);
    const char* const titles[] = {"开篇词",   "环境搭建", "变量与类型", "条件与循环", "函数",     "模块与包",
                                  "文件读写", "异常处理", "面向对象",   "常用标准库", "项目实战", "结束语"};
    QString list;
    for (int i = 0; i < 12; ++i) list += QStringLiteral("第%1课 %2\n").arg(i + 1).arg(QString::fromUtf8(titles[i]));
    auto* names = main.component<QPlainTextEdit>("编辑框_名称列表");
    names->setFocus();
    names->setPlainText(list);
    if (!QTest::qWaitFor([&] { return !velmora.preview().pending(); }, 10000))
        qWarning("the preview was not shown within 10 s: page-list.png shows it pending");
    main.grab().save(out + QStringLiteral("/page-list.png"));
    names->clear();
    main.shownRows().setOrder(velmora::SortedRows::Order::Loading);

    // A confirmation with its plan opened: add a prefix in a small folder.
    QTemporaryDir folder;
    for (const char* name :
         {"01 入门.mp4", "02 基础.mp4", "03 进阶.mp4", "第1季 03 进阶.mp4", "notes.txt", "第1季 notes.txt"})
        std::ofstream(folder.filePath(QString::fromUtf8(name)).toStdString()).close();
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
