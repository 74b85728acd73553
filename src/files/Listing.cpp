#include "files/Listing.h"

#include "files/DirectoryScan.h"
#include "files/FileSort.h"
#include "files/RowFormat.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "settings/Settings.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

bool IsRoot(const std::string& dirPath) {
    return dirPath == "/";
}

std::string PatternText(const FileListModel& model, const TSettings& settings) {
    if (IsNarrowed(model, settings))
        return " Path=" + DisplayName(model.searchPattern);
    std::string folder = DisplayName(settings.DirPath);
    return " Path=" + JoinPath(folder, settings.ALLFiles == "Y" ? "*.*" : settings.Mask);
}

bool MaskAccepts(const TSettings& settings, const std::string& name) {
    if (settings.ALLFiles == "Y")
        return true;
    return "*" + AsciiUpper(ExtensionOf(name)) == AsciiUpper(settings.Mask);
}

FileEntry MakeFileEntry(ScannedEntry&& scanned) {
    FileEntry entry;
    auto low32 = static_cast<std::uint32_t>(scanned.size);
    entry.name = std::move(scanned.name);
    entry.sizeText = std::to_string(low32);
    entry.size = static_cast<std::int32_t>(low32);
    entry.bytes = scanned.size;
    entry.date = FormatDateTime(scanned.modified, true);
    return entry;
}

void RememberCurrentFile(FileListModel& model, const ListingView& view, bool keepSelection) {
    model.rememberedName.clear();
    int row = view.CurrentRow();
    if (keepSelection && !model.files.empty() && model.IsFileRow(row))
        model.rememberedName = model.EntryName(row);
}

// The file entries in enumeration order, folders apart; false for the empty listing.
bool ReadEntries(FileListModel& model, const TSettings& settings, ListingView& view) {
    std::string folder, wildcard;
    SplitSearchPattern(model.searchPattern, folder, wildcard);
    std::vector<FolderEntry> folders;
    std::vector<FileEntry> files;
    bool scanStarted = false;
    auto startScan = [&] {
        model.rows.assign(1, std::string(kScanningRow));
        model.parentRows = 0;
        model.folders.clear();
        model.files.clear();
        view.ShowScanStart(FormatPathLine(PatternText(model, settings), -1));
        scanStarted = true;
    };
    bool any = ScanDirectory(
        folder, wildcard,
        [&](ScannedEntry&& entry) {
            if (!scanStarted)
                startScan();
            if (entry.isFolder)
                folders.push_back({std::move(entry.name), FormatDateTime(entry.modified, false)});
            else if (MaskAccepts(settings, entry.name))
                files.push_back(MakeFileEntry(std::move(entry)));
        },
        [&] { view.ProcessPendingEvents(); });
    if (!any)
        return false;
    if (!scanStarted)
        startScan(); // only "." and ".." matched
    // Entries were put at the front one by one: unsorted files stand in reverse
    // enumeration order.
    std::reverse(files.begin(), files.end());
    model.folders = std::move(folders);
    model.files = std::move(files);
    return true;
}

void ClearMarks(FileListModel& model) {
    model.marks.Clear();
}

void ShowEmptyListing(FileListModel& model, const TSettings& settings, ListingView& view) {
    model.files.clear();
    model.folders.clear();
    ClearMarks(model);
    model.rows.clear();
    model.renamedName.clear();
    model.parentRows = IsRoot(settings.DirPath) ? 0 : 1;
    if (model.parentRows)
        model.rows.push_back(ParentRowText(std::max(settings.ListColumn, 3), ""));
    view.ShowRows(FormatPathLine(PatternText(model, settings), 0), "", model.rows.empty() ? -1 : 0);
    model.rowsPerColumn = view.RowsPerColumn();
    view.FocusList();
}

std::string FolderDate(const std::string& dirPath) {
    struct stat st {};
    if (::stat(dirPath.c_str(), &st) != 0)
        return {};
    return FormatDateTime(st.st_mtim.tv_sec, false);
}

std::string FileRowText(const RowFormatOptions& options, const TSettings& settings,
                        const FileEntry& file, bool marked) {
    std::string row =
        (marked ? "*" : " ") + FormatRow(options, DisplayName(file.name), file.sizeText, file.date);
    return settings.op3 == "Y" ? AsciiUpper(row) : row;
}

void BuildRows(FileListModel& model, const TSettings& settings) {
    RowFormatOptions options = RowFormatOptions::From(settings);
    model.rows.clear();
    model.rows.reserve(model.folders.size() + model.files.size() + 1);
    model.parentRows = IsRoot(settings.DirPath) ? 0 : 1;
    if (model.parentRows)
        model.rows.push_back(ParentRowText(settings.ListColumn, FolderDate(settings.DirPath)));
    bool wide = settings.ListColumn >= 4;
    for (const FolderEntry& folder : model.folders) {
        std::string body =
            FormatRow(options, DisplayName(folder.name), wide ? "" : "<DIR>", folder.date);
        model.rows.push_back((wide ? " <DIR>" : " ") + body);
    }
    if (settings.op3 == "Y") {
        for (std::string& row : model.rows)
            row = AsciiUpper(row);
    }
    for (const FileEntry& file : model.files)
        model.rows.push_back(FileRowText(options, settings, file, false));
}

int FindRow(const FileListModel& model, const std::string& name, bool foldersToo) {
    for (size_t i = 0; i < model.files.size(); ++i) {
        if (model.files[i].name == name)
            return model.FirstFileRow() + static_cast<int>(i);
    }
    for (size_t i = 0; foldersToo && i < model.folders.size(); ++i) {
        if (model.folders[i].name == name)
            return model.parentRows + static_cast<int>(i);
    }
    return -1;
}

int ChooseCurrentRow(FileListModel& model, bool keepSelection) {
    // A name handed over by the rename command wins: the renamed entry, a file or a
    // folder, becomes current although the rename lists without keepSelection.
    std::string renamed = std::move(model.renamedName);
    model.renamedName.clear();
    if (!renamed.empty() && !model.rows.empty()) {
        int row = FindRow(model, renamed, true);
        return row >= 0 ? row : 0;
    }
    if (model.rows.empty())
        return -1;
    if (model.files.empty() || !keepSelection || model.rememberedName.empty())
        return 0;
    return std::max(FindRow(model, model.rememberedName, false), 0);
}

} // namespace

void ListDirectory(FileListModel& model, const TSettings& settings, ListingView& view,
                   bool keepPattern, bool keepSelection, bool resortOnly) {
    // The rename command lists once it is done. A listing pumps paint events while
    // it scans, and a timer (the folder watch) must not start a second one inside it.
    if (model.renameRunning || model.listingRunning)
        return;
    model.listingRunning = true;
    if (!resortOnly) {
        if (!keepPattern)
            model.searchPattern = JoinPath(settings.DirPath, "*.*");
        struct stat st {};
        std::uint64_t drive = ::stat(settings.DirPath.c_str(), &st) == 0 ? st.st_dev : 0;
        if (model.hasLastDrive && drive != model.lastDrive)
            view.DriveChanged();
        model.hasLastDrive = true;
        model.lastDrive = drive;
    }
    RememberCurrentFile(model, view, keepSelection);
    if (!resortOnly && !ReadEntries(model, settings, view)) {
        ShowEmptyListing(model, settings, view);
        model.listingRunning = false;
        return;
    }
    model.sortKey = SortKeyFor(settings.FileSort, model.sortKey);
    SortFileEntries(model.files, model.sortKey, SortDirectionFor(settings.SortMuki));
    BuildRows(model, settings);
    long long count = static_cast<long long>(model.folders.size() + model.files.size());
    int current = ChooseCurrentRow(model, keepSelection);
    ClearMarks(model);
    view.ShowRows(FormatPathLine(PatternText(model, settings), count),
                  RowDetailText(model, current), current);
    model.rowsPerColumn = view.RowsPerColumn();
    model.listingRunning = false;
}

std::string FileRowText(const TSettings& settings, const FileEntry& file, bool marked) {
    return FileRowText(RowFormatOptions::From(settings), settings, file, marked);
}

bool IsNarrowed(const FileListModel& model, const TSettings& settings) {
    return !model.searchPattern.empty() && model.searchPattern != JoinPath(settings.DirPath, "*.*");
}

std::string RowDetailText(const FileListModel& model, int row) {
    switch (model.KindOf(row)) {
    case RowKind::Parent:
        return "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)";
    case RowKind::Folder: {
        const FolderEntry& folder = model.folders[static_cast<size_t>(row - model.parentRows)];
        return "　  ﾌｫﾙﾀﾞ詳細:<DIR>" + DisplayName(folder.name) + "  日付 :" + folder.date;
    }
    case RowKind::File: {
        const FileEntry& file = model.files[static_cast<size_t>(model.RowToFileIndex(row))];
        return "　　ﾌｧｲﾙ詳細 :" + DisplayName(file.name) + "  ｻｲｽﾞ :" + FormatSize(file.bytes) +
               "  日付 :" + file.date;
    }
    default:
        return {};
    }
}
