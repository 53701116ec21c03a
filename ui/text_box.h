#pragma once
// The multi-line edit box. A paste of many lines (a list of a hundred thousand names) goes in
// slice by slice from one turn of the event loop to the next, so the window keeps answering while
// it lands. The box takes no typing meanwhile and tells of the change as the paste begins, with
// the text it will hold once the paste is whole (plainText), so the preview works on it while the
// slices land; it tells again once the paste is whole, and one undo takes the whole paste back.

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace velmora {

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    TextBox(const QString& text, QWidget* parent);

    /// The text as toPlainText gives it, or, while a paste lands, as it will give it once the
    /// paste is whole.
    QString plainText() const;
    /// Inserts at once what is still to come of a paste.
    void finishPaste();
    /// True while a paste is landing.
    bool pasting() const { return next_ >= 0; }

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void insertSlice();
    void abandonPaste();
    void tellChanged();

    QString pasted_;
    qsizetype next_ = -1;  ///< where the rest of pasted_ begins, -1 when no paste is landing
    QTextCursor cursor_;  ///< where the paste goes on
    QString whole_;  ///< the text once the paste is whole
    bool wasReadOnly_ = false;
    bool slicing_ = false;  ///< a slice of the paste is going in: the document's change is the paste's
};

}  // namespace velmora
