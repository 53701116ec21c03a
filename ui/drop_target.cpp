#include "ui/drop_target.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "ui/qt_window.h"

namespace velmora {
namespace {

bool hasLocalPath(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return false;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) return true;
    return false;
}

}  // namespace

void DropTarget::attach(QWidget* window, Callback callback) {
    detach();
    window_ = window;
    callback_ = std::move(callback);
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

void DropTarget::detach() {
    if (window_) {
        window_->removeEventFilter(this);
        window_->setAcceptDrops(false);
    }
    window_ = nullptr;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (hasLocalPath(drag->mimeData())) drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData() ? drop->mimeData()->urls() : QList<QUrl>{};
        drop->acceptProposedAction();
        for (const QUrl& url : urls)
            if (url.isLocalFile() && callback_) callback_(fromQString(url.toLocalFile()));
        return true;
    }
    return false;
}

}  // namespace velmora
