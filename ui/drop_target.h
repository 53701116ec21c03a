#pragma once
// Makes a window accept files and folders dropped on it: the callback runs once per dropped local
// path, in order, with the whole path.

#include <QObject>
#include <QPointer>
#include <functional>

#include "core/text/text.h"

class QWidget;

namespace velmora {

class DropTarget : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void(const Text& path)>;
    DropTarget() = default;
    ~DropTarget() override { detach(); }

    void attach(QWidget* window, Callback callback);
    void detach();
    bool attached() const { return !window_.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    Callback callback_;
};

}  // namespace velmora
