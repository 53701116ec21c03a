#pragma once
// Start-up and shutdown: the shared state, the main window with its start-up states, the drop
// target and the theme.

#include <QPointer>
#include <QStringList>
#include <memory>

#include "app/theme.h"
#include "app/translations.h"
#include "core/session.h"
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
    /// Paths from the command line, each loaded as a drop of it would be, except that a folder
    /// lists itself; a path that does not exist is reported on the terminal and skipped.
    void openPaths(const QStringList& paths);

private:
    void created();
    void destroying();

    QtChinese chinese_;  // first, so the window and its dialogs find Qt's texts in Chinese
    Session session_;
    DropTarget drop_;
    Theme theme_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<QtWindow> window_;
    std::unique_ptr<HandlerContext> context_;
    PreviewController* preview_ = nullptr;  ///< owned by the main window
    QPointer<ThanksWindow> thanks_;
};

}  // namespace velmora
