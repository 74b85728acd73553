// The data view (RichEdit1 of the main window): shows a TextDocument and paints only
// the rows that are visible, so that a file of 150 MB scrolls as fast as a short
// one. No word wrap, both scroll bars. Each line is shown decoded on its own: valid
// UTF-8 as UTF-8, anything else as CP932. The document holds the bytes; what the
// view shows never changes them.
//
// Read-only (viewer, send) or writable (receive): when writable, typed text is
// inserted at the caret in the encoding of the line it goes into.
#pragma once

#include "files/TextDocument.h"

#include <QAbstractScrollArea>
#include <functional>
#include <string>
#include <string_view>

class QKeyEvent;

class DataView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit DataView(QWidget* parent = nullptr);

    const TextDocument& Document() const { return document_; }
    size_t LineCount() const { return document_.LineCount(); }
    std::string_view LineText(size_t index) const { return document_.Line(index); }

    // Changes of the text (each repaints and adjusts the scroll bars).
    void SetText(DocumentBytes bytes);
    void Clear();
    void AppendLine(std::string_view text);
    void ReplaceLine(size_t index, std::string_view text);
    void ReplaceLastChar(size_t index, char c);

    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return readOnly_; }

    // Highlights line index and scrolls it to the second row from the top (as far
    // as the scroll range allows); the caret goes to its start.
    void SelectLine(size_t index);
    // The highlighted line, or -1 when none.
    long long SelectedLine() const { return selected_ ? static_cast<long long>(caretLine_) : -1; }
    // Caret to the start of the text, scrolled into view, nothing highlighted.
    void MoveCaretToStart();
    size_t CaretLine() const { return caretLine_; }
    size_t CaretColumn() const { return caretByte_; }
    // The first visible line and the number of whole rows that fit.
    size_t FirstVisibleLine() const;
    int VisibleRows() const;

    // Called first for every key press (the window's RichEdit1KeyDown); returning
    // true consumes the key.
    using KeyDownHandler = std::function<bool(QKeyEvent*)>;
    void SetKeyDownHandler(KeyDownHandler handler) { keyDown_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int RowHeight() const;
    int CharWidth() const;
    void TextChanged();
    void UpdateScrollBars();
    void EnsureCaretVisible();
    void MoveCaretTo(size_t line, size_t byte);
    bool NavigationKey(QKeyEvent* event);
    bool EditingKey(QKeyEvent* event);
    void InsertAtCaret(const QString& text);
    void BreakLineAtCaret();
    void DeleteBackward();
    void DeleteForward();
    // Display text of line index, cut after about maxColumns columns when long.
    QString DisplayText(size_t index, int maxColumns) const;
    int CaretX() const;

    TextDocument document_;
    bool readOnly_ = true;
    bool selected_ = false;
    size_t caretLine_ = 0;
    size_t caretByte_ = 0;
    KeyDownHandler keyDown_;
};
