#include "app/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

#include "core/history.h"
#include "core/paths.h"
#include "filelist/loading.h"

#include <cstdio>

// Resources of a static library are registered by hand.
static void initResources() { Q_INIT_RESOURCE(velmora); }

namespace velmora {

using namespace component;

Application::Application(QApplication& app) : chinese_(app), theme_(app) {
    initResources();
    main_ = std::make_unique<MainWindow>();
    window_ = std::make_unique<QtWindow>(*main_);
    context_ = std::make_unique<HandlerContext>(
        HandlerContext{*window_, session_, [this] { openThanksWindow(); }, {}, {}, {}, {}, {}});
    bindEvents(*main_, *context_);
    // Bound after the handlers, so a click has run before the preview hears of it.
    preview_ = new PreviewController(*main_, *window_);
    context_->planForClick = [this](const RenameRule& rule) { return preview_->planForClick(rule); };
    context_->renaming = [this] { preview_->renaming(); };
    context_->renamed = [this](const Text& folder, const RenameList& renamed) { preview_->renamed(folder, renamed); };
    window_->setFolderListener([this] { preview_->folderChanged(); });
    QObject::connect(main_.get(), &BuiltWindow::closing, [this] { destroying(); });
    created();
}

Application::~Application() {
    delete thanks_.data();
    destroying();
}

// The created handler: drop target, theme, then the start-up states. Writing a checked state runs
// no handler, so the window is not yet kept on top although 选择框5 shows checked.
void Application::created() {
    drop_.attach(main_.get(), [this](const Text& path) { loadDroppedPath(*window_, session_, path); });
    skinAttach(theme_, themeData(), 0, 0);
    for (Component box : {选择框5, 选择框6, 选择框1, 单选框2, 单选框7, 单选框9, 单选框5, 单选框3, 单选框11, 单选框13})
        window_->setChecked(box, true);
    window_->setTextColour(编辑框14, TextColour::Grey);
    window_->setTextColour(编辑框15, TextColour::Grey);
    window_->setSelection(组合框2, -1);
    window_->setChecked(单选框15, true);
    // The history of earlier sessions: undo is offered at once when it holds a run to take back.
    openHistory(*window_, session_, Journal::defaultFolder());
    window_->setEnabled(按钮_撤销, session_.journal.canUndo());
}

void Application::destroying() {
    drop_.detach();
    if (theme_.loaded()) theme_.detach();
}

void Application::openPaths(const QStringList& paths) {
    for (const QString& given : paths) {
        const QFileInfo info(QDir::current(), given);
        if (!info.exists()) {
            std::fprintf(stderr, "velmora: %s\n", QStringLiteral("找不到 %1").arg(given).toLocal8Bit().constData());
            continue;
        }
        const Text path = fromQString(QDir::cleanPath(info.absoluteFilePath()));
        if (info.isDir())
            loadOpenedFolder(*window_, session_, withTrailingSeparator(path));
        else
            loadDroppedPath(*window_, session_, path);
    }
}

void Application::openThanksWindow() {
    if (thanks_) {
        thanks_->show();
        thanks_->raise();
        thanks_->activateWindow();
        return;
    }
    thanks_ = new ThanksWindow(main_.get());
    QObject::connect(thanks_->component<QPushButton>("按钮1"), &QPushButton::clicked, thanks_.data(), &QWidget::close);
    QObject::connect(thanks_->component<QPushButton>("按钮2"), &QPushButton::clicked,
                     [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kPublicationPage))); });
    thanks_->show();
}

}  // namespace velmora
