#include "ui/text_box.h"

#include <QMimeData>
#include <QTimer>

namespace velmora {
namespace {

// Lines per slice: a few milliseconds of the document's work each.
constexpr qsizetype kSliceLines = 1000;

// Where the slice of text from begin ends: after its kSliceLines-th line break, or at the end. A
// slice never ends between the two characters of a CR LF, nor inside a character.
qsizetype sliceEnd(const QString& text, qsizetype begin) {
    qsizetype at = begin;
    for (qsizetype lines = 0; lines < kSliceLines; ++lines) {
        const qsizetype br = text.indexOf(QLatin1Char('\n'), at);
        if (br < 0) return text.size();
        at = br + 1;
    }
    return at;
}

// text as the document gives it back once a cursor inserted it: CR LF, CR and the other breaks a
// cursor makes a new line of are line feeds, a no-break space is a space.
QString asInserted(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\r':
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0:  // the beginning and the end of a frame
        case 0xFDD1:
            c = u'\n';
            break;
        case QChar::Nbsp:
            c = u' ';
            break;
        default:
            break;
        }
    }
    return text;
}

}  // namespace

TextBox::TextBox(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    // The box emptied or replaced by code while a paste lands (clear() and setPlainText() cannot
    // be overridden): the rest of the paste belongs to the text that went, so it is dropped.
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int, int) {
        if (pasting() && !slicing_) abandonPaste();
    });
}

void TextBox::abandonPaste() {
    next_ = -1;
    pasted_.clear();
    whole_.clear();
    setReadOnly(wasReadOnly_);
    tellChanged();
}

QString TextBox::plainText() const { return pasting() ? whole_ : toPlainText(); }

// Plain text goes in through the cursor itself: the editor's own way builds a document of the
// pasted text first and copies it over, three times the work.
void TextBox::insertFromMimeData(const QMimeData* source) {
    finishPaste();
    const QString text = source ? source->text() : QString();
    if (text.isNull()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    cursor_ = textCursor();
    const qsizetype end = sliceEnd(text, 0);
    if (end == text.size()) {
        cursor_.insertText(text);
        setTextCursor(cursor_);
        ensureCursorVisible();
        return;
    }
    const QString before = toPlainText();
    whole_ = before.left(cursor_.selectionStart()) + asInserted(text) + before.mid(cursor_.selectionEnd());
    pasted_ = text;
    wasReadOnly_ = isReadOnly();
    setReadOnly(true);  // typing would land inside the paste
    blockSignals(true);  // the slices are no changes of their own
    slicing_ = true;
    cursor_.beginEditBlock();
    cursor_.insertText(text.left(end));
    cursor_.endEditBlock();
    slicing_ = false;
    next_ = end;
    tellChanged();
    QTimer::singleShot(0, this, [this] { insertSlice(); });
}

void TextBox::tellChanged() {
    blockSignals(false);
    emit textChanged();
    blockSignals(pasting());
}

void TextBox::insertSlice() {
    if (!pasting()) return;
    const qsizetype end = sliceEnd(pasted_, next_);
    slicing_ = true;
    cursor_.joinPreviousEditBlock();  // one undo for the whole paste
    cursor_.insertText(pasted_.mid(next_, end - next_));
    cursor_.endEditBlock();
    slicing_ = false;
    if (end < pasted_.size()) {
        next_ = end;
        QTimer::singleShot(0, this, [this] { insertSlice(); });
        return;
    }
    next_ = -1;
    pasted_.clear();
    whole_.clear();
    setReadOnly(wasReadOnly_);
    setTextCursor(cursor_);
    ensureCursorVisible();
    tellChanged();
}

void TextBox::finishPaste() {
    while (pasting()) insertSlice();
}

}  // namespace velmora
