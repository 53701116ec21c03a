#include "ui/preview_controller.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "core/fs/listing.h"
#include "core/plan/plan.h"
#include "core/text/encoding.h"
#include "rules/catalogue.h"
#include "ui/list_model.h"
#include "ui/main_window.h"
#include "ui/qt_window.h"
#include "ui/sorted_rows.h"
#include "ui/text_box.h"

namespace velmora {

using namespace component;

const std::vector<PreviewedRule>& previewedRules() {
    static const std::vector<PreviewedRule> rules = [] {
        std::vector<PreviewedRule> previewed;
        for (const CataloguedRule& rule : ruleCatalogue())
            if (rule.previewed) previewed.push_back({rule.button, rule.rule, rule.inputs});
        return previewed;
    }();
    return rules;
}

PreviewController::PreviewController(MainWindow& window, QtWindow& adapter)
    : QObject(&window), window_(window), adapter_(adapter), status_(&window.statusLine()),
      watcher_(new FolderWatch(this)), diskSettle_(new QTimer(this)), worker_(new PreviewWorker(this)) {
    for (const PreviewedRule& rule : previewedRules()) bindRule(rule);
    // Reading what thousands of files hold takes seconds the first time: the status line counts.
    worker_->setReadingShower([this](unsigned long long generation, std::size_t done, std::size_t total) {
        if (awaited_ && awaited_->generation == generation)
            status_->setText(toQString("读取文件信息："_t + toText(static_cast<long long>(done)) + "/"_t +
                                       toText(static_cast<long long>(total))));
    });
    // The window may outlive this controller (the application lets the window go first, or last).
    adapter_.setPlanShower([self = QPointer<PreviewController>(this)](const RunPlan& plan) {
        if (self) self->showClickPlan(plan);
    });
    // The kind boxes and the skipped extension change what the rule in view would do.
    for (const char* box : {"选择框1", "选择框2", "选择框_包括子文件夹"})
        connect(window.component<QAbstractButton>(box), &QAbstractButton::clicked, this,
                &PreviewController::inputChanged);
    connect(window.component<QComboBox>("组合框2"), &QComboBox::activated, this, &PreviewController::inputChanged);
    // Checking, unchecking and filtering rows change which entries the rule in view works on.
    connect(&window.rows(), &RowModel::choiceChanged, this, &PreviewController::inputChanged);
    // Numbering and the list pair with the rows in the order they are sorted in.
    connect(&window.shownRows(), &QAbstractItemModel::layoutChanged, this, &PreviewController::inputChanged);
    connect(window.component<QAbstractButton>("按钮13"), &QAbstractButton::clicked, this,
            &PreviewController::takeOutOfView);
    // A folder changes in bursts while files are copied or renamed: read it again once it is quiet.
    diskSettle_->setSingleShot(true);
    diskSettle_->setInterval(150);
    connect(diskSettle_, &QTimer::timeout, this, &PreviewController::folderChangedOnDisk);
    connect(watcher_, &FolderWatch::changed, diskSettle_, qOverload<>(&QTimer::start));
}

PreviewController::~PreviewController() = default;

void PreviewController::bindRule(const PreviewedRule& rule) {
    const PreviewedRule* r = &rule;
    for (Component c : rule.inputs) {
        QWidget* w = window_.component(c.name);
        w->installEventFilter(this);  // focus in
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            connect(edit, &QLineEdit::textEdited, this, [this, r] { bringIntoView(r); });
        else if (auto* lines = qobject_cast<QPlainTextEdit*>(w))  // typed, pasted, imported or saved in an editor
            connect(lines, &QPlainTextEdit::textChanged, this, [this, r] { bringIntoView(r); });
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            connect(button, &QAbstractButton::clicked, this, [this, r] { bringIntoView(r); });
        else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            connect(combo, &QComboBox::activated, this, [this, r] { bringIntoView(r); });
            if (combo->lineEdit())  // an editable combo box: typing changes the input too
                connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, r] { bringIntoView(r); });
        }
    }
    auto* button = window_.component<QAbstractButton>(rule.button.name);
    button->installEventFilter(this);  // focus in, hovering
    // Connected after the click handlers of the bindings, so the click has run when this comes.
    connect(button, &QAbstractButton::clicked, this, [this, button] {
        hoverSuppressed_ = button;
        hovered_ = nullptr;
        takeOutOfView();
    });
}

const PreviewedRule* PreviewController::shownRule() const { return hovered_ ? hovered_ : inView_; }

bool PreviewController::eventFilter(QObject* watched, QEvent* event) {
    const auto find = [&](bool buttons) -> const PreviewedRule* {
        for (const PreviewedRule& rule : previewedRules()) {
            if (buttons && window_.component(rule.button.name) == watched) return &rule;
            if (!buttons)
                for (Component c : rule.inputs)
                    if (window_.component(c.name) == watched) return &rule;
        }
        return nullptr;
    };
    switch (event->type()) {
    case QEvent::FocusIn:
        if (const PreviewedRule* rule = find(false))
            bringIntoView(rule);
        else if (const PreviewedRule* byButton = find(true))
            bringIntoView(byButton);
        break;
    case QEvent::Enter:
        if (watched != hoverSuppressed_) {
            if (const PreviewedRule* rule = find(true)) {
                hovered_ = rule;
                request();
            }
        }
        break;
    case QEvent::Leave:
        if (watched == hoverSuppressed_) hoverSuppressed_ = nullptr;
        if (hovered_ && window_.component(hovered_->button.name) == watched) {
            hovered_ = nullptr;
            request();
        }
        break;
    default:
        break;
    }
    return false;
}

void PreviewController::bringIntoView(const PreviewedRule* rule) {
    inView_ = rule;
    request();
}

void PreviewController::inputChanged() {
    if (shownRule()) request();
}

void PreviewController::takeOutOfView() {
    inView_ = nullptr;
    request();
}

void PreviewController::folderChanged() {
    inView_ = nullptr;
    hovered_ = nullptr;
    rowEntries_.reset();
    diskSettle_->stop();  // a change of the folder before: this one is read anew anyway
    forgetFolder();
    const Text folder = adapter_.currentFolder();
    window_.rows().setCurrentFolder(folder);
    const auto native = textToNative(folder);
    watcher_->watch(native ? QString::fromStdString(*native) : QString());
    request();
}

// A run's own renames would wake the watch twice each, on the other core the renames could use;
// the folder is read again after the run anyway, and the watch tells of it once more as it resumes.
void PreviewController::renaming() {
    watcher_->pause();
    cancelPending();
    holding_ = true;
}

void PreviewController::renamed(const Text& folder, const RenameList& renames) {
    watcher_->resume();
    holding_ = false;
    // Below the folder, a folder renamed moves the rows inside it, and the watch sees only the
    // folder's own entries: the rows are listed again, following their entries.
    const bool movedRows = folder == adapter_.currentFolder() && adapter_.checked(选择框_包括子文件夹) &&
                           window_.rows().renamedAFolderOfARow(renames);
    window_.rows().followRenames(folder, renames);
    if (folder == adapter_.currentFolder()) {
        forgetFolder();
        if (relist_ && movedRows) relist_();
    }
    request();
}

void PreviewController::folderChangedOnDisk() {
    forgetFolder();
    if (relist_) relist_();
    if (shownRule()) request();
}

void PreviewController::forgetFolder() {
    folder_.reset();
    worker_->forgetFolder(++folderEpoch_);
}

// True when result is rule's preview made from request, over the folder as last read.
bool PreviewController::madeFrom(const PreviewJob* result, const PreviewedRule* rule, const RunRequest& request) const {
    return result && result->rule == rule && result->folderEpoch == folderEpoch_ && result->request.sameAs(request);
}

// True when the column shows rule's preview made from request.
bool PreviewController::showing(const PreviewedRule* rule, const RunRequest& request) const {
    return madeFrom(shown_.get(), rule, request) && shown_->rows && window_.rows().preview() == shown_->rows.get();
}

const RunPlan* PreviewController::planForClick(const RenameRule& rule) {
    const PreviewedRule* previewed = nullptr;
    for (const PreviewedRule& r : previewedRules())
        if (&r.rule() == &rule) previewed = &r;
    clickRule_ = previewed;
    if (!previewed) return nullptr;
    // A click renames by what the boxes hold, not by what a paste landing in one will hold.
    for (TextBox* box : window_.findChildren<TextBox*>()) box->finishPaste();
    // The folder changed on disk and was not read again yet: the click's plan needs it as it is now.
    if (diskSettle_->isActive()) {
        diskSettle_->stop();
        forgetFolder();
        if (relist_) relist_();
    }
    RunRequest request = readRequest(rule, adapter_);
    // Held from here: nothing the window does while it paints, or while the run asks, replaces
    // the plan in the column (which also keeps the plan returned alive).
    holding_ = true;
    if (!awaited_ && showing(previewed, request)) return &shown_->rows->preview.plan;
    cancelPending();
    auto job = newJob(previewed, std::move(request));
    WindowProgress progress(adapter_);
    worker_->workNow(*job, &progress);
    display(job);
    return &job->rows->preview.plan;
}

std::shared_ptr<PreviewJob> PreviewController::newJob(const PreviewedRule* rule, RunRequest request) {
    auto job = std::make_shared<PreviewJob>();
    job->generation = ++generation_;
    job->rule = rule;
    job->request = std::move(request);
    job->caption = adapter_.caption(rule->button);
    job->folder = folder_;
    job->folderEpoch = folderEpoch_;
    job->rowNames = window_.rows().currentNames();
    job->rowEntries = rowEntries_;
    return job;
}

void PreviewController::cancelPending() {
    awaited_.reset();
    worker_->cancel();
}

// Plans the shown rule on the worker from a copy of the inputs, unless nothing that matters to it
// changed since the preview shown or the one being worked out. A new job supersedes the one
// before it: that one stops early and its result is dropped.
void PreviewController::request() {
    if (holding_) return;  // renamed() asks again
    const PreviewedRule* rule = shownRule();
    if (!rule) {
        cancelPending();
        shown_.reset();
        window_.rows().setPreview(nullptr);
        status_->clear();
        emit settled();
        return;
    }
    RunRequest request = readRequest(rule->rule(), adapter_);
    if (madeFrom(awaited_.get(), rule, request) && awaited_->rowNames == window_.rows().currentNames()) return;
    if (showing(rule, request)) {
        // Changed and changed back before the newer preview came: the shown one holds again.
        if (awaited_) {
            cancelPending();
            emit settled();
        }
        return;
    }
    auto job = newJob(rule, std::move(request));
    awaited_ = job;
    worker_->start(job, [this](const std::shared_ptr<PreviewJob>& done) { show(done); });
}

void PreviewController::show(const std::shared_ptr<PreviewJob>& result) {
    if (result != awaited_) return;  // overtaken by a newer change, or by a click
    awaited_.reset();
    display(result);
}

// The click's folder changed after the preview read it, before the watch told of it: the click
// planned again, and its plan goes into the column before the question.
void PreviewController::showClickPlan(const RunPlan& plan) {
    if (!clickRule_) return;
    forgetFolder();
    auto job = newJob(clickRule_, readRequest(clickRule_->rule(), adapter_));
    auto rows = std::make_shared<RowPreview>();
    rows->preview.plan = plan;
    rows->preview.failures = planFailures(plan, namesIn(plan.folder, plan.reach));
    for (StepFailure f : rows->preview.failures)
        ++(f == StepFailure::None ? rows->preview.renames : rows->preview.failing);
    job->rowEntries = matchRows(plan.listing, job->rowNames);
    rows->stepOfRow = stepsOfRows(rows->preview.plan, *job->rowEntries);
    job->rows = std::move(rows);
    display(job);
}

void PreviewController::display(const std::shared_ptr<PreviewJob>& result) {
    if (result->folderEpoch == folderEpoch_ && result->folder) folder_ = result->folder;
    if (result->rowEntries) rowEntries_ = result->rowEntries;
    shown_ = result;
    window_.rows().setPreview(result->rows);
    status_->setText(toQString(previewStatus(result->caption, result->rows->preview)));
    emit settled();
}

}  // namespace velmora
