#pragma once
// Start-up and shutdown: the shared state, the main window with its start-up states, the drop
// target and the theme. One Application is one main window with a session of its own; the first
// also holds what the whole program shares (Qt's Chinese texts, the theme) and the windows opened
// beside it for further folders.

#include <QPointer>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "app/theme.h"
#include "app/translations.h"
#include "interaction/session.h"
#include "ui/bindings.h"
#include "ui/drop_target.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"
#include "ui/qt_window.h"

class QApplication;

namespace velmora {

/// The address of the program's publication page.
inline constexpr const char* kPublicationPage = "https://velmora.app/";

class Application {
public:
    explicit Application(QApplication& app);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    MainWindow& mainWindow() { return *main_; }
    QtWindow& window() { return *window_; }
    Session& session() { return session_; }
    DropTarget& dropTarget() { return drop_; }
    Theme& theme() { return theme_; }
    PreviewController& preview() { return *preview_; }
    /// The open thanks window, or null.
    ThanksWindow* thanksWindow() const { return thanks_; }
    void openThanksWindow();
    /// Paths from the command line or a file manager: each folder opens in a window of its own, a
    /// folder listing itself and a file the folder holding it. The first folder shows in this
    /// window, each further one in a new window beside it; a folder named twice opens once. A
    /// path that does not exist is reported on the terminal and skipped.
    void openPaths(const QStringList& paths);
    /// The windows opened beside this one for further folders, oldest first; a closed one goes.
    std::vector<Application*> otherWindows() const;

private:
    Application(QApplication& app, Application* first);
    void created();
    void destroying();
    void openBeside(const Text& folder);

    QApplication& app_;
    Application* first_;  ///< the window that opened this one, or null for the first
    // First, so the window and its dialogs find Qt's texts in Chinese; installed once, by the first.
    std::optional<QtChinese> chinese_;
    Session session_;
    DropTarget drop_;
    Theme theme_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<QtWindow> window_;
    std::unique_ptr<HandlerContext> context_;
    PreviewController* preview_ = nullptr;  ///< owned by the main window
    QPointer<ThanksWindow> thanks_;
    std::vector<std::unique_ptr<Application>> others_;
};

}  // namespace velmora
