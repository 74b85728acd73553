#include "files/qt/WidgetListingView.h"

#include "files/qt/FileListBox.h"
#include "platform/qt/QtText.h"

#include <QCoreApplication>
#include <QLabel>

namespace {} // namespace

WidgetListingView::WidgetListingView(FileListBox* list, QLabel* pathLine, QLabel* detailLine,
                                     std::function<void()> onDriveChanged)
    : list_(list), pathLine_(pathLine), detailLine_(detailLine),
      onDriveChanged_(std::move(onDriveChanged)) {}

void WidgetListingView::ShowScanStart(const std::string& pathLine) {
    list_->SetItemIndex(-1);
    list_->RowsChanged();
    list_->repaint();
    list_->setCursor(Qt::WaitCursor);
    pathLine_->setText(FromUtf8(pathLine));
    pathLine_->repaint();
}

void WidgetListingView::ProcessPendingEvents() {
    // Paint and timers only: a key must not reach the list while it is rebuilt.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WidgetListingView::ShowRows(const std::string& pathLine, const std::string& detailLine,
                                 int currentRow) {
    // One update of the list for the whole rebuild: it reads the model's rows
    // when it paints.
    list_->RowsChanged();
    list_->SetItemIndex(currentRow);
    pathLine_->setText(FromUtf8(pathLine));
    detailLine_->setText(FromUtf8(detailLine));
    list_->unsetCursor();
}

int WidgetListingView::CurrentRow() const {
    return list_->ItemIndex();
}

int WidgetListingView::RowsPerColumn() const {
    return list_->RowsPerColumn();
}

void WidgetListingView::DriveChanged() {
    if (onDriveChanged_)
        onDriveChanged_();
}

void WidgetListingView::FocusList() {
    list_->setFocus();
}
