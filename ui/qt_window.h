#pragma once
// The window as handlers see it, over the real widgets and real message boxes.

#include <QString>
#include <functional>

#include "interaction/window.h"
#include "ui/qt_text.h"

class QWidget;

namespace velmora {

class EditorFile;
class MainWindow;

class QtWindow : public Window, private ListView {
public:
    explicit QtWindow(MainWindow& window);

    Text content(Component) const override;
    BoxContent contentAsIs(Component) const override;
    void setContent(Component, const Text&) override;
    void setTextColour(Component, TextColour) override;
    bool checked(Component) const override;
    void setChecked(Component, bool) override;
    int selection(Component) const override;
    void setSelection(Component, int) override;
    Text chosenText(Component) const override;
    Text caption(Component) const override;
    void setCaption(Component, const Text&) override;
    void setTopmost(bool) override;
    int showMessage(const Text& text, MessageStyle style, std::optional<Text> caption) override;
    int confirmWithPlan(const Text& text, MessageStyle style, std::optional<Text> caption, const PlanDetails& details,
                        const Text& summary = {}, bool cancelByDefault = false) override;
    void setEnabled(Component, bool) override;
    void showPlan(const RunPlan& plan) override {
        if (planShower_) planShower_(plan);
    }
    /// Where showPlan shows a plan (the live preview's column).
    void setPlanShower(std::function<void(const RunPlan&)> shower) { planShower_ = std::move(shower); }
    ListView& list() override { return *this; }
    SharedLeftOut leftOut() const override;
    std::shared_ptr<const NameList> sortedNames() const override;
    Text browseForFolder(const Text& title) override;
    Text chooseTextFile(const Text& title) override;
    bool editInTextEditor(Component box, const Text& text) override;
    bool setClipboardText(const Text& text) override;
    void pumpMessages() override;
    void showProgress(std::size_t done, std::size_t total) override;
    void endProgress() override;

    /// Answers message boxes without showing them (benchmarks, scripted runs).
    using Responder = std::function<int(const Text& text, MessageStyle style, const Text& caption)>;
    void setResponder(Responder responder) { responder_ = std::move(responder); }
    /// Stands in for the folder picker.
    void setFolderPicker(std::function<Text()> picker) { picker_ = std::move(picker); }
    /// Stands in for the file chooser.
    void setFilePicker(std::function<Text()> picker) { filePicker_ = std::move(picker); }
    /// The file the text editor edits, made on first use and removed when the window closes.
    EditorFile& editorFile();
    /// Called whenever currentFolder (the caption of 标签2) is written.
    void setFolderListener(std::function<void()> listener) { folderListener_ = std::move(listener); }

private:
    int rowCount() const override;
    Text rowText(int row) const override;
    void appendRows(std::vector<Text> rows) override;
    void appendNames(std::shared_ptr<const NameList> names) override;
    void clearRows() override;
    void mirrorNames(std::shared_ptr<const NameList> names, bool inListingOrder = false) override;
    int selectedRow() const override;
    std::shared_ptr<const NameList> currentNames() const override;

    QWidget* widget(Component c) const;
    int messageBox(const Text& text, MessageStyle style, const Text& title, const PlanDetails* details,
                   const Text& summary = {}, bool cancelByDefault = false);

    MainWindow& window_;
    Responder responder_;
    std::function<void(const RunPlan&)> planShower_;
    std::function<Text()> picker_;
    std::function<Text()> filePicker_;
    EditorFile* editorFile_ = nullptr;  ///< owned by the window
    std::function<void()> folderListener_;
};

}  // namespace velmora
