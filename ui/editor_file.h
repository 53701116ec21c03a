#pragma once
// A list of names edited in the desktop's text editor: the list goes into a UTF-8 file of the
// window's own in the user's runtime (or cache) folder, or else in a new private temporary folder,
// and every save of that file comes back.
// The file goes when the window does.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/text/text.h"

namespace velmora {

class EditorFile : public QObject {
    Q_OBJECT
public:
    /// Opens a file in the desktop's text editor; true when it could.
    using Opener = std::function<bool(const QString& path)>;

    explicit EditorFile(QObject* parent);
    ~EditorFile() override;
    EditorFile(const EditorFile&) = delete;
    EditorFile& operator=(const EditorFile&) = delete;

    /// Writes text to the file, opens it with opener (the desktop's default application for text
    /// files unless set) and from then on hands what every save leaves in the file to saved. False
    /// when the file cannot be written or no editor opened it.
    bool edit(const Text& text, std::function<void(const Text&)> saved);
    /// Removes the file and stops following it.
    void remove();
    /// The file, once written; empty before.
    const QString& path() const { return path_; }
    void setOpener(Opener opener) { opener_ = std::move(opener); }

private:
    void changed();
    void readBack();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    QString folder_;
    std::unique_ptr<QTemporaryDir> fallback_;  ///< the folder, where the user has no folder of their own for it
    QByteArray last_;  ///< what the file held when written or last read
    std::function<void(const Text&)> saved_;
    Opener opener_;
};

}  // namespace velmora
