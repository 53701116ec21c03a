#pragma once
// The live preview in the list view's second column: which rule is in view (focus, typing, the
// pointer over a button), when its preview is out of date, and what the column and the status line
// show. The worker (ui/preview_worker.h) works the previews out.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "interaction/preview.h"
#include "ui/folder_watch.h"
#include "ui/preview_worker.h"

class QLabel;
class QTimer;

namespace velmora {

class MainWindow;
class QtWindow;

const std::vector<PreviewedRule>& previewedRules();

class PreviewController : public QObject {
    Q_OBJECT
public:
    PreviewController(MainWindow& window, QtWindow& adapter);
    ~PreviewController() override;

    /// The plan a click on rule's button applies. While the preview of rule is current (made from
    /// the inputs that matter to rule as they are now, over the folder as last read) it is the plan
    /// the second column shows; otherwise the plan is worked out now, while the window paints, and
    /// shown in the column and the status line before this returns. Either way the column holds it
    /// until renamed(). Null for a rule without a preview.
    const RunPlan* planForClick(const RenameRule& rule);
    /// Renames are about to be made: the folder watch rests and the column holds until renamed.
    void renaming();
    /// Renames were made in folder (a run or an undo): rows follow them, the folder is read again.
    void renamed(const Text& folder, const RenameList& renames);
    /// currentFolder changed: another folder's rows, no rule in view.
    void folderChanged();
    /// Takes the rule out of view (按钮13, a click on a rule's button).
    void takeOutOfView();
    /// How the rows follow the folder when it changed on disk.
    void setRelister(std::function<void()> relist) { relist_ = std::move(relist); }

    /// The rule whose preview is shown, or null.
    const PreviewedRule* shownRule() const;
    /// True while a preview is being worked out.
    bool pending() const { return awaited_ != nullptr; }
    /// How many previews were set to work so far: it rises only when something that matters to the
    /// rule shown changed (or another rule is shown).
    unsigned long long generation() const { return generation_; }
    /// True once the current folder is watched for changes.
    bool watching() const { return watcher_->ready(); }

signals:
    /// A preview (or its absence) is shown.
    void settled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindRule(const PreviewedRule& rule);
    void bringIntoView(const PreviewedRule* rule);
    void inputChanged();
    void request();
    std::shared_ptr<PreviewJob> newJob(const PreviewedRule* rule, RunRequest request);
    bool madeFrom(const PreviewJob* result, const PreviewedRule* rule, const RunRequest& request) const;
    bool showing(const PreviewedRule* rule, const RunRequest& request) const;
    void cancelPending();
    void show(const std::shared_ptr<PreviewJob>& result);
    void display(const std::shared_ptr<PreviewJob>& result);
    void showClickPlan(const RunPlan& plan);
    void folderChangedOnDisk();

    MainWindow& window_;
    QtWindow& adapter_;
    QLabel* status_;
    FolderWatch* watcher_;
    QTimer* diskSettle_;
    PreviewWorker* worker_;

    const PreviewedRule* inView_ = nullptr;
    const PreviewedRule* hovered_ = nullptr;
    QObject* hoverSuppressed_ = nullptr;  ///< the clicked button, until the pointer leaves it

    unsigned long long generation_ = 0;
    std::shared_ptr<PreviewJob> awaited_;  ///< the job being worked out, whose result will be shown
    bool holding_ = false;  ///< a click's plan stays in the column until renamed()
    const PreviewedRule* clickRule_ = nullptr;  ///< the rule of the click under way
    std::shared_ptr<const FolderSnapshot> folder_;
    unsigned long long folderEpoch_ = 0;
    void forgetFolder();
    std::shared_ptr<PreviewJob> shown_;
    std::shared_ptr<const RowEntries> rowEntries_;  ///< which entry each row shows, kept while it holds
    std::function<void()> relist_;
};

}  // namespace velmora
