#include "files/qt/DataView.h"

#include "platform/TextCodec.h"
#include "platform/qt/QtText.h"

#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

// Lines longer than this are decoded only as far as the view can show them.
constexpr size_t kShortLine = 4096;

bool IsCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Byte position after the character that starts at pos.
size_t NextCharEnd(std::string_view line, size_t pos, bool utf8) {
    if (pos >= line.size())
        return line.size();
    if (utf8) {
        ++pos;
        while (pos < line.size() && (static_cast<unsigned char>(line[pos]) & 0xC0) == 0x80)
            ++pos;
        return pos;
    }
    return std::min(line.size(),
                    pos + (IsCp932Lead(static_cast<unsigned char>(line[pos])) ? 2 : 1));
}

// Byte position where the character before pos starts.
size_t PrevCharStart(std::string_view line, size_t pos, bool utf8) {
    if (pos == 0)
        return 0;
    if (utf8) {
        --pos;
        while (pos > 0 && (static_cast<unsigned char>(line[pos]) & 0xC0) == 0x80)
            --pos;
        return pos;
    }
    // A CP932 trail byte can look like a lead byte: walk from the start.
    size_t start = 0;
    for (size_t i = 0; i < pos; i = NextCharEnd(line, i, false))
        start = i;
    return start;
}

// The longest prefix of line that ends on a character boundary and holds at most
// limit bytes (plus the rest of a character cut by the limit).
size_t BoundaryAtOrAfter(std::string_view line, size_t limit, bool utf8) {
    if (limit >= line.size())
        return line.size();
    if (utf8) {
        while (limit < line.size() && (static_cast<unsigned char>(line[limit]) & 0xC0) == 0x80)
            ++limit;
        return limit;
    }
    size_t i = 0;
    while (i < limit)
        i = NextCharEnd(line, i, false);
    return i;
}

QString Decode(std::string_view bytes, bool utf8) {
    return FromUtf8(utf8 ? bytes : std::string_view(Cp932ToUtf8(bytes)));
}

} // namespace

DataView::DataView(QWidget* parent) : QAbstractScrollArea(parent) {
    QFont face(QStringLiteral("IPAGothic"));
    face.setPixelSize(14);
    face.setStyleHint(QFont::TypeWriter);
    setFont(face);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    UpdateScrollBars();
}

int DataView::RowHeight() const {
    return std::max(1, fontMetrics().height());
}

int DataView::CharWidth() const {
    return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

int DataView::VisibleRows() const {
    return std::max(1, viewport()->height() / RowHeight());
}

size_t DataView::FirstVisibleLine() const {
    return static_cast<size_t>(verticalScrollBar()->value());
}

void DataView::TextChanged() {
    if (caretLine_ >= document_.LineCount()) {
        caretLine_ = document_.LineCount() ? document_.LineCount() - 1 : 0;
        caretByte_ = 0;
        selected_ = selected_ && document_.LineCount() > 0;
    }
    caretByte_ = std::min(caretByte_, document_.Empty() ? 0 : document_.Line(caretLine_).size());
    UpdateScrollBars();
    viewport()->update();
}

void DataView::UpdateScrollBars() {
    int rows = VisibleRows();
    long long lines = static_cast<long long>(document_.LineCount());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, static_cast<int>(std::max<long long>(0, lines - rows)));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);

    // Every byte is at most one column wide, so the longest line in bytes bounds the
    // width without measuring millions of lines.
    long long width =
        (static_cast<long long>(document_.MaxLineLength()) + 1) * CharWidth() + CharWidth();
    QScrollBar* horizontal = horizontalScrollBar();
    long long room = std::max<long long>(0, width - viewport()->width());
    horizontal->setRange(0, static_cast<int>(std::min<long long>(room, INT_MAX)));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(CharWidth());
}

void DataView::SetText(DocumentBytes bytes) {
    document_.SetText(std::move(bytes));
    caretLine_ = 0;
    caretByte_ = 0;
    selected_ = false;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    TextChanged();
}

void DataView::Clear() {
    SetText(DocumentBytes());
}

void DataView::AppendLine(std::string_view text) {
    document_.AppendLine(text);
    TextChanged();
}

void DataView::ReplaceLine(size_t index, std::string_view text) {
    document_.ReplaceLine(index, text);
    TextChanged();
}

void DataView::ReplaceLastChar(size_t index, char c) {
    document_.ReplaceLastChar(index, c);
    TextChanged();
}

void DataView::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    viewport()->update();
}

void DataView::SelectLine(size_t index) {
    if (index >= document_.LineCount())
        return;
    caretLine_ = index;
    caretByte_ = 0;
    selected_ = true;
    verticalScrollBar()->setValue(static_cast<int>(index > 0 ? index - 1 : 0));
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void DataView::MoveCaretToStart() {
    caretLine_ = 0;
    caretByte_ = 0;
    selected_ = false;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void DataView::MoveCaretTo(size_t line, size_t byte) {
    if (document_.Empty()) {
        caretLine_ = caretByte_ = 0;
        return;
    }
    caretLine_ = std::min(line, document_.LineCount() - 1);
    caretByte_ = std::min(byte, document_.Line(caretLine_).size());
    EnsureCaretVisible();
    viewport()->update();
}

void DataView::EnsureCaretVisible() {
    QScrollBar* vertical = verticalScrollBar();
    int rows = VisibleRows();
    long long line = static_cast<long long>(caretLine_);
    if (line < vertical->value())
        vertical->setValue(static_cast<int>(line));
    else if (line >= vertical->value() + rows)
        vertical->setValue(static_cast<int>(line - rows + 1));
    QScrollBar* horizontal = horizontalScrollBar();
    int x = CaretX();
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x + CharWidth() > horizontal->value() + viewport()->width())
        horizontal->setValue(x + CharWidth() - viewport()->width());
}

QString DataView::DisplayText(size_t index, int maxColumns) const {
    std::string_view line = document_.Line(index);
    bool utf8 = IsValidUtf8(line);
    if (line.size() > kShortLine) {
        // A UTF-8 half-width kana takes 3 bytes for one column: 3 bytes a column
        // always reach the right edge.
        size_t limit = static_cast<size_t>(std::max(0, maxColumns)) * 3 + 8;
        line = line.substr(0, BoundaryAtOrAfter(line, limit, utf8));
    }
    return Decode(line, utf8);
}

int DataView::CaretX() const {
    if (document_.Empty())
        return 0;
    std::string_view line = document_.Line(caretLine_);
    bool utf8 = IsValidUtf8(line);
    return fontMetrics().horizontalAdvance(Decode(line.substr(0, caretByte_), utf8));
}

void DataView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int rowHeight = RowHeight();
    const int ascent = fontMetrics().ascent();
    const int left = -horizontalScrollBar()->value();
    const int maxColumns = (horizontalScrollBar()->value() + viewport()->width()) / CharWidth() + 2;
    const size_t first = FirstVisibleLine();
    const size_t last = std::min(document_.LineCount(),
                                 first + static_cast<size_t>(viewport()->height() / rowHeight) + 1);
    for (size_t line = first; line < last; ++line) {
        int top = static_cast<int>(line - first) * rowHeight;
        bool highlight = selected_ && line == caretLine_;
        if (highlight) {
            painter.fillRect(QRect(0, top, viewport()->width(), rowHeight),
                             palette().brush(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(QPoint(left, top + ascent), DisplayText(line, maxColumns));
    }
    if (!readOnly_ && hasFocus() && caretLine_ >= first && caretLine_ <= last) {
        int top = static_cast<int>(caretLine_ - first) * rowHeight;
        int x = left + CaretX();
        painter.fillRect(QRect(x, top, 1, rowHeight), palette().color(QPalette::Text));
    }
}

void DataView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void DataView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateScrollBars();
}

void DataView::mousePressEvent(QMouseEvent* event) {
    if (document_.Empty())
        return;
    size_t line = FirstVisibleLine() + static_cast<size_t>(event->position().y() / RowHeight());
    if (line >= document_.LineCount())
        line = document_.LineCount() - 1;
    // The character under the pointer: walk the line until its text reaches x.
    std::string_view text = document_.Line(line);
    bool utf8 = IsValidUtf8(text);
    int x = static_cast<int>(event->position().x()) + horizontalScrollBar()->value();
    size_t byte = 0;
    while (byte < text.size()) {
        size_t next = NextCharEnd(text, byte, utf8);
        if (fontMetrics().horizontalAdvance(Decode(text.substr(0, next), utf8)) > x)
            break;
        byte = next;
    }
    selected_ = readOnly_;
    MoveCaretTo(line, byte);
}

void DataView::keyPressEvent(QKeyEvent* event) {
    if (keyDown_ && keyDown_(event)) {
        event->accept();
        return;
    }
    if (NavigationKey(event) || (!readOnly_ && EditingKey(event))) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool DataView::NavigationKey(QKeyEvent* event) {
    if (document_.Empty())
        return false;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const size_t lines = document_.LineCount();
    const size_t page = static_cast<size_t>(VisibleRows());
    std::string_view text = document_.Line(caretLine_);
    bool utf8 = IsValidUtf8(text);
    switch (event->key()) {
    case Qt::Key_Up:
        MoveCaretTo(caretLine_ > 0 ? caretLine_ - 1 : 0, caretByte_);
        return true;
    case Qt::Key_Down:
        MoveCaretTo(std::min(lines - 1, caretLine_ + 1), caretByte_);
        return true;
    case Qt::Key_PageUp:
        MoveCaretTo(caretLine_ > page ? caretLine_ - page : 0, caretByte_);
        return true;
    case Qt::Key_PageDown:
        MoveCaretTo(std::min(lines - 1, caretLine_ + page), caretByte_);
        return true;
    case Qt::Key_Home:
        MoveCaretTo(control ? 0 : caretLine_, 0);
        return true;
    case Qt::Key_End:
        MoveCaretTo(control ? lines - 1 : caretLine_, SIZE_MAX);
        return true;
    case Qt::Key_Left:
        MoveCaretTo(caretLine_, PrevCharStart(text, caretByte_, utf8));
        return true;
    case Qt::Key_Right:
        MoveCaretTo(caretLine_, NextCharEnd(text, caretByte_, utf8));
        return true;
    default:
        return false;
    }
}

bool DataView::EditingKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        BreakLineAtCaret();
        return true;
    case Qt::Key_Backspace:
        DeleteBackward();
        return true;
    case Qt::Key_Delete:
        DeleteForward();
        return true;
    default:
        break;
    }
    QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    InsertAtCaret(text);
    return true;
}

void DataView::inputMethodEvent(QInputMethodEvent* event) {
    if (!readOnly_ && !event->commitString().isEmpty())
        InsertAtCaret(event->commitString());
    event->accept();
}

void DataView::InsertAtCaret(const QString& typed) {
    if (document_.Empty())
        document_.AppendLine("");
    std::string line(document_.Line(caretLine_));
    QByteArray utf8 = typed.toUtf8();
    std::string bytes(utf8.constData(), static_cast<size_t>(utf8.size()));
    // Typed text takes the encoding of the line it goes into.
    if (!IsValidUtf8(line))
        bytes = Utf8ToCp932(bytes);
    line.insert(caretByte_, bytes);
    document_.ReplaceLine(caretLine_, line);
    caretByte_ += bytes.size();
    selected_ = false;
    TextChanged();
    EnsureCaretVisible();
}

void DataView::BreakLineAtCaret() {
    if (document_.Empty())
        document_.AppendLine("");
    std::string line(document_.Line(caretLine_));
    document_.ReplaceLine(caretLine_, line.substr(0, caretByte_));
    document_.InsertLine(caretLine_ + 1, line.substr(caretByte_));
    selected_ = false;
    TextChanged();
    MoveCaretTo(caretLine_ + 1, 0);
}

void DataView::DeleteBackward() {
    if (document_.Empty() || (caretLine_ == 0 && caretByte_ == 0))
        return;
    if (caretByte_ == 0) {
        std::string joined(document_.Line(caretLine_ - 1));
        size_t at = joined.size();
        joined += document_.Line(caretLine_);
        document_.ReplaceLine(caretLine_ - 1, joined);
        document_.RemoveLine(caretLine_);
        TextChanged();
        MoveCaretTo(caretLine_ - 1, at);
        return;
    }
    std::string line(document_.Line(caretLine_));
    size_t start = PrevCharStart(line, caretByte_, IsValidUtf8(line));
    line.erase(start, caretByte_ - start);
    document_.ReplaceLine(caretLine_, line);
    TextChanged();
    MoveCaretTo(caretLine_, start);
}

void DataView::DeleteForward() {
    if (document_.Empty())
        return;
    std::string line(document_.Line(caretLine_));
    if (caretByte_ >= line.size()) {
        if (caretLine_ + 1 >= document_.LineCount())
            return;
        line += document_.Line(caretLine_ + 1);
        document_.ReplaceLine(caretLine_, line);
        document_.RemoveLine(caretLine_ + 1);
    } else {
        size_t end = NextCharEnd(line, caretByte_, IsValidUtf8(line));
        line.erase(caretByte_, end - caretByte_);
        document_.ReplaceLine(caretLine_, line);
    }
    TextChanged();
    viewport()->update();
}
