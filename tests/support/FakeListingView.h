// A listing view for logic tests: records what the listing showed.
#pragma once

#include "files/Listing.h"

#include <string>
#include <vector>

struct FakeView : ListingView {
    std::vector<std::string> scanLines;
    std::string pathLine, detailLine;
    int current = -1;
    int shows = 0, pumps = 0, driveChanges = 0, focuses = 0;

    void ShowScanStart(const std::string& line) override { scanLines.push_back(line); }
    void ProcessPendingEvents() override { ++pumps; }
    void ShowRows(const std::string& path, const std::string& detail, int row) override {
        pathLine = path;
        detailLine = detail;
        current = row;
        ++shows;
    }
    int CurrentRow() const override { return current; }
    int RowsPerColumn() const override { return 20; }
    void DriveChanged() override { ++driveChanges; }
    void FocusList() override { ++focuses; }
};
