// FileListBox: the file list ListBox1. An owner-drawn, column-wise list of fixed
// 16-pixel rows that shows the rows of a FileListModel: parent and folder rows in
// aqua, file rows in white, the current row inverted, the mark column visible only
// when it holds "*". Key and mouse events go to hooks that the main window binds to
// its handlers (ListBox1KeyDown and so on); what a hook leaves unconsumed gets the
// list's own behaviour (arrows move the current row).
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QUrl>

#include <functional>

struct FileListModel;

class FileListBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;

    explicit FileListBox(QWidget* parent = nullptr);

    // The rows to show; not owned. Call RowsChanged after the model's rows change.
    void SetModel(const FileListModel* model);
    // Number of columns the list shows at once (ListColumn; 1 to 5).
    void SetColumns(int columns);
    int Columns() const { return columns_; }

    // After the rows were rebuilt: keeps the current row inside and repaints once.
    void RowsChanged();
    // After one row text changed (a mark), or several.
    void RowChanged(int row);
    void RepaintRows();

    int Count() const;
    // The current row, -1 when there is none.
    int ItemIndex() const { return current_; }
    // Makes row current and scrolls it into view; no hook is called. A row past the
    // end becomes the last row; a negative row leaves no row current.
    void SetItemIndex(int row);
    int TopIndex() const;
    // Rows one column shows: the drawing area's height by the row height (at least 1).
    int RowsPerColumn() const;
    int ColumnWidth() const;
    // The row under a point of the drawing area (viewport), -1 when there is none.
    int RowAt(const QPoint& point) const;

    // Hooks. Mouse positions are those of the drawing area. A key hook may set key to 0 (consumed);
    // the key press hook gets the typed character and may set it to 0. Keys are Qt::Key codes.
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    std::function<void(QChar& ch)> onKeyPress;
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> onKeyUp;
    // Called when the current row was changed by the user (click or arrow keys).
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)>
        onMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    void UpdateScrollBar();
    void ScrollIntoView(int row);
    // The list's own navigation; true when the key moved the current row.
    bool Navigate(int key);
    QRect RowRect(int row) const;
    void PaintRow(class QPainter& painter, int row, const QRect& rect) const;

    const FileListModel* model_ = nullptr;
    int columns_ = 2;
    int current_ = -1;
    QFont font_;

    // --- Drag and drop: a row dragged inside the list (automatic drag: press and
    // move), and files dropped from the desktop's file manager.
public:
    // The format of a drag of rows inside the list: the process id, so that only
    // this list takes it.
    static const char* const kRowDragFormat;
    // Takes drops from now on; the cursor images of a drag of one entry and of the
    // marked files.
    void EnableDragAndDrop(const QPixmap& single, const QPixmap& marked);
    // Whether a drag of rows may be dropped at a point of the drawing area (the
    // hook also shows the destination); the drop itself.
    std::function<bool(const QPoint& at)> onDragOver;
    std::function<void(const QPoint& at)> onDragDrop;
    // A drag of rows left the list or ended without a drop.
    std::function<void()> onDragLeave;
    // Files dropped from the desktop (text/uri-list).
    std::function<void(const QList<QUrl>& urls)> onDropUrls;
    // The mime data of a drag of rows, as the list starts it.
    static class QMimeData* RowDragData();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static bool IsRowDrag(const class QMimeData* data);
    void StartRowDrag();
    QPoint pressAt_;
    int pressRow_ = -1;
    bool dragging_ = false;
    QPixmap dragSingle_;
    QPixmap dragMarked_;
};
