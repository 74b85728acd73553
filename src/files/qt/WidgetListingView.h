// WidgetListingView: what a listing shows, on the widgets of the main window: the
// rows in the file list, the path line and the detail line in their labels, the
// busy cursor during the scan.
#pragma once

#include "files/Listing.h"

#include <functional>

class FileListBox;
class QLabel;

class WidgetListingView : public ListingView {
public:
    WidgetListingView(FileListBox* list, QLabel* pathLine, QLabel* detailLine,
                      std::function<void()> onDriveChanged = {});

    void ShowScanStart(const std::string& pathLine) override;
    void ProcessPendingEvents() override;
    void ShowRows(const std::string& pathLine, const std::string& detailLine,
                  int currentRow) override;
    int CurrentRow() const override;
    int RowsPerColumn() const override;
    void DriveChanged() override;
    void FocusList() override;

private:
    FileListBox* list_;
    QLabel* pathLine_;
    QLabel* detailLine_;
    std::function<void()> onDriveChanged_;
};
