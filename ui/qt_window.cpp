#include "ui/qt_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTreeView>

#include "core/text/encoding.h"
#include "ui/editor_file.h"
#include "ui/list_model.h"
#include "ui/main_window.h"
#include "ui/plan_view.h"
#include "ui/sorted_rows.h"
#include "ui/text_box.h"

namespace velmora {

QtWindow::QtWindow(MainWindow& window) : window_(window) {}

QWidget* QtWindow::widget(Component c) const {
    QWidget* w = window_.component(c.name);
    Q_ASSERT_X(w, "QtWindow", "unknown component");
    return w;
}

namespace {

// A multi-line box, with any paste still landing in it made whole.
QPlainTextEdit* wholeBox(QWidget* w) {
    if (auto* box = qobject_cast<TextBox*>(w)) box->finishPaste();
    return qobject_cast<QPlainTextEdit*>(w);
}

// A multi-line box's text as read: copying the string shares it with the box, so reading a
// long list costs no conversion here.
class BoxString final : public BoxContent::Source {
public:
    explicit BoxString(QString text) : text_(std::move(text)) {}
    Text text() const override { return fromQString(text_); }
    bool sameAs(const Source& other) const override {
        const auto* o = dynamic_cast<const BoxString*>(&other);
        return o && o->text_ == text_;
    }

private:
    QString text_;
};

}  // namespace

Text QtWindow::content(Component c) const {
    QWidget* w = widget(c);
    if (auto* lines = wholeBox(w)) return fromQString(lines->toPlainText());
    auto* edit = qobject_cast<QLineEdit*>(w);
    return edit ? fromQString(edit->text()) : Text{};
}

BoxContent QtWindow::contentAsIs(Component c) const {
    // A paste still landing is read as it will be once whole, without waiting for it.
    if (auto* box = qobject_cast<TextBox*>(widget(c)))
        return BoxContent(std::make_shared<const BoxString>(box->plainText()));
    if (auto* lines = qobject_cast<QPlainTextEdit*>(widget(c)))
        return BoxContent(std::make_shared<const BoxString>(lines->toPlainText()));
    return BoxContent(content(c));
}

void QtWindow::setContent(Component c, const Text& text) {
    QWidget* w = widget(c);
    if (auto* lines = wholeBox(w)) lines->setPlainText(toQString(text));
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(toQString(text));
}

void QtWindow::setTextColour(Component c, TextColour colour) {
    widget(c)->setProperty("hint", colour == TextColour::Grey);
    widget(c)->setStyleSheet(colour == TextColour::Grey ? QStringLiteral("color: rgb(128, 128, 128);") : QString());
}

bool QtWindow::checked(Component c) const {
    auto* button = qobject_cast<QAbstractButton*>(widget(c));
    return button && button->isChecked();
}

// Writing the state runs no handler: handlers are bound to clicks, not to state changes.
void QtWindow::setChecked(Component c, bool on) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget(c))) {
        // An exclusive radio button cannot be unchecked directly.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(exclusive && on);
        button->setChecked(on);
        button->setAutoExclusive(exclusive);
    }
}

// An editable combo box: the item its text equals, -1 for a typed text that is no item.
int QtWindow::selection(Component c) const {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    if (!combo) return -1;
    return combo->isEditable() ? combo->findText(combo->currentText(), Qt::MatchExactly) : combo->currentIndex();
}

void QtWindow::setSelection(Component c, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(widget(c))) combo->setCurrentIndex(index);
}

Text QtWindow::chosenText(Component c) const {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    if (!combo) return {};
    if (combo->isEditable()) return fromQString(combo->currentText());  // chosen or typed
    return combo->currentIndex() != -1 ? fromQString(combo->currentText()) : Text{};
}

Text QtWindow::caption(Component c) const {
    QWidget* w = widget(c);
    if (auto* label = qobject_cast<QLabel*>(w)) return fromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return fromQString(button->text());
    return {};
}

void QtWindow::setCaption(Component c, const Text& text) {
    QWidget* w = widget(c);
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(toQString(text));
    if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(toQString(text));
    if (c == component::标签2 && folderListener_) folderListener_();
}

void QtWindow::setTopmost(bool on) {
    const bool visible = window_.isVisible();
    window_.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window_.show();
}

int QtWindow::showMessage(const Text& text, MessageStyle style, std::optional<Text> caption) {
    return messageBox(text, style, caption ? *caption : "信息："_t, nullptr);
}

int QtWindow::confirmWithPlan(const Text& text, MessageStyle style, std::optional<Text> caption,
                              const PlanDetails& details, const Text& summary, bool cancelByDefault) {
    return messageBox(text, style, caption ? *caption : "信息："_t, &details, summary, cancelByDefault);
}

int QtWindow::messageBox(const Text& text, MessageStyle style, const Text& title, const PlanDetails* details,
                         const Text& summary, bool cancelByDefault) {
    if (responder_) return responder_(text, style, title);
    std::unique_ptr<QMessageBox> owned;
    if (details && *details)
        owned = std::make_unique<PlanBox>(*details, &window_);
    else
        owned = std::make_unique<QMessageBox>(&window_);
    QMessageBox& box = *owned;
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(toQString(title));
    box.setText(toQString(text));
    if (!summary.empty()) box.setInformativeText(toQString(summary));
    box.setIcon(style.icon == Icon::Information ? QMessageBox::Information : QMessageBox::NoIcon);
    const bool okCancel = style.buttons == Buttons::OkCancel;
    box.setStandardButtons(okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (okCancel) box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(okCancel && cancelByDefault ? QMessageBox::Cancel : QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    box.exec();
    if (okCancel && box.clickedButton() != box.button(QMessageBox::Ok)) return answerCancel;
    return answerOk;
}

void QtWindow::setEnabled(Component c, bool on) { widget(c)->setEnabled(on); }

namespace {

// The folder last chosen in a window's picker, kept on the window.
constexpr const char* kChosenFolder = "velmoraChosenFolder";

// The picker's type and date columns as a Chinese desktop reads them, whatever the locale: Qt's
// Chinese catalogue leaves the type ("Folder") English, and the date follows the system's locale.
class ChineseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole || (index.column() != 2 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex entry = mapToSource(index);
        if (index.column() == 2) return files->isDir(entry) ? QStringLiteral("文件夹") : QStringLiteral("文件");
        return QLocale(QLocale::Chinese, QLocale::China).toString(files->lastModified(entry), QLocale::ShortFormat);
    }
};

// The folder chosen last, or the nearest folder above it that is still there; at first the home
// folder.
QString pickerStart(const QString& chosen) {
    if (chosen.isEmpty()) return QDir::homePath();
    QDir folder(chosen);
    while (!folder.exists() && folder.cdUp()) {
    }
    return folder.exists() ? folder.absolutePath() : QDir::homePath();
}

}  // namespace

// Qt's own picker rather than the desktop's, so every text in it is ours or Qt's, in Chinese: the
// labels and buttons set here, the rest from Qt's catalogue; the menus' Latin mnemonics ("(&R)")
// go.
Text QtWindow::browseForFolder(const Text& title) {
    if (picker_) return picker_();
    QFileDialog dialog(&window_, toQString(title), pickerStart(window_.property(kChosenFolder).toString()));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    dialog.setProxyModel(new ChineseColumns(&dialog));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件夹："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("类型："));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    static const QRegularExpression mnemonic(QStringLiteral("\\(&\\w\\)"));
    for (QAction* action : dialog.findChildren<QAction*>()) action->setText(action->text().remove(mnemonic));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    window_.setProperty(kChosenFolder, chosen);
    return fromQString(chosen);
}

Text QtWindow::chooseTextFile(const Text& title) {
    if (filePicker_) return filePicker_();
    QFileDialog dialog(&window_, toQString(title), pickerStart(window_.property(kChosenFolder).toString()));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ChineseColumns(&dialog));
    dialog.setNameFilters({QStringLiteral("文本文件 (*.txt *.text *.lst *.csv)"), QStringLiteral("所有文件 (*)")});
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("类型："));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("导入"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    static const QRegularExpression mnemonic(QStringLiteral("\\(&\\w\\)"));
    for (QAction* action : dialog.findChildren<QAction*>()) action->setText(action->text().remove(mnemonic));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return fromQString(dialog.selectedFiles().constFirst());
}

EditorFile& QtWindow::editorFile() {
    if (!editorFile_) {
        editorFile_ = new EditorFile(&window_);
        QObject::connect(&window_, &BuiltWindow::closing, editorFile_, &EditorFile::remove);
    }
    return *editorFile_;
}

bool QtWindow::editInTextEditor(Component box, const Text& text) {
    return editorFile().edit(text, [this, box](const Text& saved) { setContent(box, saved); });
}

bool QtWindow::setClipboardText(const Text& text) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(toQString(text));
    return true;
}

// User input stays queued until the handler is done, so no second handler starts in between.
void QtWindow::pumpMessages() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void QtWindow::showProgress(std::size_t done, std::size_t total) {
    QProgressBar& bar = window_.progressBar();
    if (total == 0) {
        bar.setRange(0, 0);  // only that it goes on
    } else {
        bar.setRange(0, 1000);
        bar.setValue(static_cast<int>(done * 1000 / total));
    }
    bar.raise();
    bar.show();
}

void QtWindow::endProgress() { window_.progressBar().hide(); }

// The rows shown: the filter's hidden rows are not counted.
int QtWindow::rowCount() const { return window_.shownRows().rowCount(); }
// Rows count in the order shown, so a clicked row and the saved names follow a sorted view.
Text QtWindow::rowText(int row) const { return window_.rows().row(window_.shownRows().loadedRow(row)); }
void QtWindow::appendRows(std::vector<Text> rows) { window_.rows().append(rows, currentFolder()); }
void QtWindow::appendNames(std::shared_ptr<const NameList> names) { window_.rows().append(names, currentFolder()); }
void QtWindow::clearRows() { window_.rows().clear(); }
void QtWindow::mirrorNames(std::shared_ptr<const NameList> names, bool inListingOrder) {
    window_.rows().mirror(names, currentFolder(), inListingOrder);
}
SharedLeftOut QtWindow::leftOut() const { return window_.rows().leftOut(); }
std::shared_ptr<const NameList> QtWindow::sortedNames() const { return window_.shownRows().sortedNames(); }

std::shared_ptr<const NameList> QtWindow::currentNames() const {
    std::shared_ptr<const NameList> names = window_.rows().currentNames();
    if (!names || window_.shownRows().order() == SortedRows::Order::Loading) return names;
    auto shown = std::make_shared<NameList>();
    shown->reserve(names->size(), names->textBytes());
    for (int r = 0; r < rowCount(); ++r)
        shown->add(names->bytes(static_cast<std::size_t>(window_.shownRows().loadedRow(r))));
    return shown;
}

int QtWindow::selectedRow() const {
    auto* view = window_.component<QTreeView>("超级列表框1");
    // Of several selected rows, the one clicked last.
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && view->selectionModel()->isRowSelected(current.row(), {})) return current.row();
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

}  // namespace velmora
