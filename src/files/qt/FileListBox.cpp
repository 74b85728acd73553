#include "files/qt/FileListBox.h"

#include "files/FileListModel.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

const QColor kAqua(0, 255, 255);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// Where the text starts and where the fill of a row starts; an unmarked row's blank
// mark column lies outside the fill and is not drawn, a "*" is.
constexpr int kTextLeft = 5;
constexpr int kFillLeft = 12;
constexpr int kFillRightInset = 5;

} // namespace

FileListBox::FileListBox(QWidget* parent) : QAbstractScrollArea(parent), font_("IPAGothic") {
    // The family is named explicitly: a generic monospace face has no half-width
    // kana of half width, and an even pixel size keeps the columns aligned.
    font_.setPixelSize(16);
    font_.setStyleStrategy(QFont::NoAntialias);
    setFont(font_);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, kBlack);
    palette.setColor(QPalette::Window, kBlack);
    palette.setColor(QPalette::Text, kWhite);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(1);
}

void FileListBox::SetModel(const FileListModel* model) {
    model_ = model;
    RowsChanged();
}

void FileListBox::SetColumns(int columns) {
    columns_ = std::clamp(columns, 1, 5);
    UpdateScrollBar();
    ScrollIntoView(current_);
    viewport()->update();
}

int FileListBox::Count() const {
    return model_ ? model_->RowCount() : 0;
}

void FileListBox::RowsChanged() {
    current_ = std::min(current_, Count() - 1);
    UpdateScrollBar();
    ScrollIntoView(current_);
    viewport()->update();
}

void FileListBox::RepaintRows() {
    viewport()->update();
}

void FileListBox::RowChanged(int row) {
    viewport()->update(RowRect(row));
}

void FileListBox::SetItemIndex(int row) {
    int next = row < 0 ? -1 : std::min(row, Count() - 1);
    if (next != current_) {
        viewport()->update(RowRect(current_));
        current_ = next;
        viewport()->update(RowRect(current_));
    }
    ScrollIntoView(current_);
}

int FileListBox::TopIndex() const {
    return horizontalScrollBar()->value() * RowsPerColumn();
}

int FileListBox::RowsPerColumn() const {
    return std::max(1, viewport()->height() / kRowHeight);
}

int FileListBox::ColumnWidth() const {
    return std::max(1, viewport()->width() / columns_);
}

int FileListBox::RowAt(const QPoint& point) const {
    const QPoint& local = point;
    if (local.x() < 0 || local.y() < 0)
        return -1;
    int slot = local.y() / kRowHeight;
    if (slot >= RowsPerColumn())
        return -1;
    int column = horizontalScrollBar()->value() + local.x() / ColumnWidth();
    int row = column * RowsPerColumn() + slot;
    return row < Count() ? row : -1;
}

QRect FileListBox::RowRect(int row) const {
    if (row < 0)
        return {};
    int perColumn = RowsPerColumn();
    int column = row / perColumn - horizontalScrollBar()->value();
    return {column * ColumnWidth(), (row % perColumn) * kRowHeight, ColumnWidth(), kRowHeight};
}

void FileListBox::UpdateScrollBar() {
    int perColumn = RowsPerColumn();
    int totalColumns = (Count() + perColumn - 1) / perColumn;
    QScrollBar* bar = horizontalScrollBar();
    bar->setPageStep(columns_);
    bar->setRange(0, std::max(0, totalColumns - columns_));
}

void FileListBox::ScrollIntoView(int row) {
    if (row < 0)
        return;
    int column = row / RowsPerColumn();
    QScrollBar* bar = horizontalScrollBar();
    // The least scrolling that shows the row, as a multi-column list box does.
    if (column < bar->value())
        bar->setValue(column);
    else if (column >= bar->value() + columns_)
        bar->setValue(column - columns_ + 1);
}

void FileListBox::scrollContentsBy(int, int) {
    viewport()->update();
}

void FileListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
    ScrollIntoView(current_);
}

void FileListBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBlack);
    painter.setFont(font_);
    int perColumn = RowsPerColumn();
    int first = horizontalScrollBar()->value() * perColumn;
    int last = std::min(Count(), first + (columns_ + 1) * perColumn);
    for (int row = first; row < last; ++row) {
        QRect rect = RowRect(row);
        if (rect.intersects(event->rect()))
            PaintRow(painter, row, rect);
    }
}

void FileListBox::PaintRow(QPainter& painter, int row, const QRect& rect) const {
    const std::string& text = model_->rows[static_cast<size_t>(row)];
    RowKind kind = model_->KindOf(row);
    const QColor& ink = (kind == RowKind::Parent || kind == RowKind::Folder) ? kAqua : kWhite;
    bool selected = row == current_;
    bool marked = !text.empty() && text[0] == '*';

    QRect fill(QPoint(rect.left() + (marked ? kTextLeft : kFillLeft), rect.top()),
               QPoint(rect.right() - kFillRightInset, rect.bottom()));
    painter.fillRect(fill, selected ? ink : kBlack);
    painter.save();
    painter.setClipRect(fill);
    painter.setPen(selected ? kBlack : ink);
    QRect textRect(rect.left() + kTextLeft, rect.top(), rect.width() * 4, rect.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     FromUtf8(text));
    painter.restore();
    if (selected && hasFocus()) {
        painter.save();
        painter.setPen(QPen(kBlack, 1, Qt::DotLine));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

bool FileListBox::Navigate(int key) {
    int count = Count();
    if (count == 0)
        return false;
    int from = std::max(current_, 0);
    int to = from;
    switch (key) {
    case Qt::Key_Up:
        to = from - 1;
        break;
    case Qt::Key_Down:
        to = from + 1;
        break;
    case Qt::Key_Left:
        to = from - RowsPerColumn();
        break;
    case Qt::Key_Right:
        to = from + RowsPerColumn();
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = count - 1;
        break;
    case Qt::Key_PageUp:
        to = from - RowsPerColumn() * columns_;
        break;
    case Qt::Key_PageDown:
        to = from + RowsPerColumn() * columns_;
        break;
    default:
        return false;
    }
    int before = current_;
    SetItemIndex(to);
    return current_ != before;
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (onKeyDown)
        onKeyDown(key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    QString text = event->text();
    if (!text.isEmpty()) {
        QChar ch = text[0];
        if (onKeyPress)
            onKeyPress(ch);
        if (ch.isNull()) {
            event->accept();
            return;
        }
    }
    if (Navigate(key)) {
        if (onClick)
            onClick();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void FileListBox::keyReleaseEvent(QKeyEvent* event) {
    int key = event->key();
    if (onKeyUp)
        onKeyUp(key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    int row = RowAt(event->position().toPoint());
    pressAt_ = event->position().toPoint();
    pressRow_ = event->button() == Qt::LeftButton ? row : -1;
    if (event->button() == Qt::LeftButton && row >= 0)
        SetItemIndex(row);
    if (onMouseDown)
        onMouseDown(event->button(), event->modifiers(), event->position().toPoint().x(),
                    event->position().toPoint().y());
    if (event->button() == Qt::LeftButton && row >= 0 && onClick)
        onClick();
    event->accept();
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click selects too, as in a list box.
    int row = RowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0)
        SetItemIndex(row);
    if (event->button() == Qt::LeftButton && onDblClick)
        onDblClick();
    event->accept();
}

void FileListBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update(RowRect(current_));
}

void FileListBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update(RowRect(current_));
}

bool FileListBox::focusNextPrevChild(bool) {
    // Tab belongs to the list, as in the browsing mode nothing else takes the focus.
    return false;
}

// --- Drag and drop.

const char* const FileListBox::kRowDragFormat = "application/x-dravik-list-rows";

void FileListBox::EnableDragAndDrop(const QPixmap& single, const QPixmap& marked) {
    dragSingle_ = single;
    dragMarked_ = marked;
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

QMimeData* FileListBox::RowDragData() {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowDragFormat),
                  QByteArray::number(QCoreApplication::applicationPid()));
    return data;
}

bool FileListBox::IsRowDrag(const QMimeData* data) {
    return data && data->data(QString::fromLatin1(kRowDragFormat)) ==
                       QByteArray::number(QCoreApplication::applicationPid());
}

void FileListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || pressRow_ < 0 || dragging_ || !acceptDrops() ||
        (event->position().toPoint() - pressAt_).manhattanLength() <
            QApplication::startDragDistance()) {
        event->accept();
        return;
    }
    StartRowDrag();
    event->accept();
}

void FileListBox::StartRowDrag() {
    pressRow_ = -1;
    dragging_ = true;
    auto* drag = new QDrag(this);
    drag->setMimeData(RowDragData());
    const bool marked = model_ && model_->marks.Count() > 0;
    const QPixmap& cursor = marked ? dragMarked_ : dragSingle_;
    if (!cursor.isNull())
        drag->setDragCursor(cursor, Qt::MoveAction);
    drag->exec(Qt::MoveAction);
    dragging_ = false;
    if (onDragLeave)
        onDragLeave();
}

void FileListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (IsRowDrag(event->mimeData()) || event->mimeData()->hasUrls())
        event->accept(); // the position is judged by the move events that follow
    else
        event->ignore();
}

void FileListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (IsRowDrag(event->mimeData())) {
        if (onDragOver && onDragOver(event->position().toPoint())) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void FileListBox::dragLeaveEvent(QDragLeaveEvent* event) {
    if (onDragLeave)
        onDragLeave();
    event->accept();
}

void FileListBox::dropEvent(QDropEvent* event) {
    const QPoint at = event->position().toPoint();
    if (IsRowDrag(event->mimeData())) {
        // The position is judged again: a drop may come without a move before it.
        if (!onDragOver || !onDragOver(at)) {
            event->ignore();
            if (onDragLeave)
                onDragLeave();
            return;
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        // The move asks and reports in boxes: it runs once the drag is over, not
        // inside the drag's own event loop (nor the file manager's).
        QMetaObject::invokeMethod(
            this,
            [this, at] {
                if (onDragDrop)
                    onDragDrop(at);
            },
            Qt::QueuedConnection);
        return;
    }
    if (event->mimeData()->hasUrls() && onDropUrls) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        QMetaObject::invokeMethod(
            this, [this, urls = event->mimeData()->urls()] { onDropUrls(urls); },
            Qt::QueuedConnection);
        return;
    }
    event->ignore();
}
