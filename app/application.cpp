#include "app/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "core/fs/paths.h"
#include "interaction/folder_loading.h"
#include "interaction/history_prompts.h"

#include <algorithm>
#include <cstdio>

// Resources of a static library are registered by hand.
static void initResources() { Q_INIT_RESOURCE(velmora); }

namespace velmora {

using namespace component;

Application::Application(QApplication& app) : Application(app, nullptr) {}

Application::Application(QApplication& app, Application* first) : app_(app), first_(first), theme_(app) {
    if (!first_) {
        chinese_.emplace(app);
        initResources();
    }
    main_ = std::make_unique<MainWindow>();
    window_ = std::make_unique<QtWindow>(*main_);
    context_ = std::make_unique<HandlerContext>(
        HandlerContext{*window_, session_, [this] { openThanksWindow(); }, {}, {}, {}, {}, {}, {}, {}});
    context_->focusList = [this] { main_->component("超级列表框1")->setFocus(Qt::OtherFocusReason); };
    context_->tell = [this](const Text& line) { main_->statusLine().setText(toQString(line)); };
    bindEvents(*main_, *context_);
    // Bound after the handlers, so a click has run before the preview hears of it.
    preview_ = new PreviewController(*main_, *window_);
    context_->planForClick = [this](const RenameRule& rule) { return preview_->planForClick(rule); };
    context_->renaming = [this] { preview_->renaming(); };
    context_->renamed = [this](const Text& folder, const RenameList& renamed) { preview_->renamed(folder, renamed); };
    window_->setFolderListener([this] { preview_->folderChanged(); });
    // The rows follow what others create, remove or rename in the folder.
    preview_->setRelister([this] { relistFolder(*window_, session_); });
    QObject::connect(main_.get(), &BuiltWindow::closing, [this] { destroying(); });
    created();
}

Application::~Application() {
    others_.clear();
    delete thanks_.data();
    destroying();
}

// The created handler: drop target, theme (once, for every window), then the start-up states.
void Application::created() {
    drop_.attach(main_.get(), [this](const Text& path) { loadDroppedPath(*window_, session_, path); });
    if (!first_) skinAttach(theme_, themeData(), 0, 0);
    for (Component box : {选择框5, 选择框6, 选择框1, 单选框2, 单选框7, 单选框9, 单选框5, 单选框3, 单选框11, 单选框13})
        window_->setChecked(box, true);
    // Writing a checked state runs no handler: the window is put on top as 选择框5 says, before it
    // first shows.
    topmostClicked(*window_);
    window_->setTextColour(编辑框14, TextColour::Grey);
    window_->setTextColour(编辑框15, TextColour::Grey);
    window_->setSelection(组合框2, -1);
    window_->setChecked(单选框15, true);
    // The history of earlier sessions: undo is offered at once when it holds a run to take back
    // (the undo button follows the history, bound with the events).
    openHistory(*window_, session_, Journal::defaultFolder());
}

// The theme styles every window of the program: the first window lets it go only once no window
// opened beside it is open any more.
void Application::destroying() {
    drop_.detach();
    const bool otherOpen =
        std::any_of(others_.begin(), others_.end(), [](const auto& w) { return w->mainWindow().isVisible(); });
    if (theme_.loaded() && !otherOpen) theme_.detach();
}

void Application::openPaths(const QStringList& paths) {
    std::vector<Text> folders;
    for (const QString& given : paths) {
        const QFileInfo info(QDir::current(), given);
        if (!info.exists()) {
            std::fprintf(stderr, "velmora: %s\n", QStringLiteral("找不到 %1").arg(given).toLocal8Bit().constData());
            continue;
        }
        const Text path = fromQString(QDir::cleanPath(info.absoluteFilePath()));
        const Text folder = info.isDir() ? withTrailingSeparator(path) : folderOfPath(path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i == 0)
            loadOpenedFolder(*window_, session_, folders[i]);
        else
            openBeside(folders[i]);
    }
}

// A window of its own for folder, a little below and to the right of the last one, so that each
// shows its title; it goes once it is closed.
void Application::openBeside(const Text& folder) {
    auto other = std::unique_ptr<Application>(new Application(app_, this));
    Application* opened = other.get();
    const QWidget& last = others_.empty() ? *main_ : others_.back()->mainWindow();
    others_.push_back(std::move(other));
    opened->mainWindow().move(last.pos() + QPoint(32, 32));
    QObject::connect(&opened->mainWindow(), &BuiltWindow::closing, main_.get(), [this, opened] {
        QTimer::singleShot(0, main_.get(), [this, opened] {
            others_.erase(
                std::remove_if(others_.begin(), others_.end(), [opened](const auto& w) { return w.get() == opened; }),
                others_.end());
        });
    });
    opened->mainWindow().show();
    loadOpenedFolder(opened->window(), opened->session(), folder);
}

std::vector<Application*> Application::otherWindows() const {
    std::vector<Application*> windows;
    for (const auto& w : others_) windows.push_back(w.get());
    return windows;
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
