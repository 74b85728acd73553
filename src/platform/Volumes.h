// Mounted volumes as the program needs them: which one holds a folder, and
// whether a folder lies on a floppy drive or can no longer be read.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct MountEntry {
    std::string source;     // e.g. /dev/fd0, /dev/sdb1, tmpfs
    std::string mountPoint; // e.g. /media/usb
    std::string type;       // e.g. vfat, nfs, tmpfs
};

// The mount that holds path (longest mount point that is a prefix), from mountsText
// in the format of /proc/self/mounts.
MountEntry MountOf(const std::string& path, const std::string& mountsText);
std::string ReadProcMounts();
// Test seam: when set, ReadProcMounts reads this file instead of /proc/self/mounts.
extern std::string g_mountsFileForTest;

// A working directory that asks for the floppy question: a floppy device whose
// volume cannot be read, or an existing folder that cannot be read (a removed medium).
bool FloppyCheckApplies(const std::string& dirPath);
// The same against mountsText in the format of /proc/self/mounts.
bool FloppyCheckApplies(const std::string& dirPath, const std::string& mountsText);

// Every entry of mountsText (format of /proc/self/mounts) in mount order, octal
// escapes of blanks and tabs undone.
std::vector<MountEntry> ParseMounts(const std::string& mountsText);
// True when the block device behind source ("/dev/sdb1") reports itself removable
// in sysfs (its own "removable" or that of the disk it is a partition of). sysRoot
// is "/sys" except in tests.
bool BlockDeviceRemovable(const std::string& source, const std::string& sysRoot = "/sys");
// True when the folder opens and its first entry can be read: a floppy or stick
// pulled without unmounting may still open and fail only then.
bool FolderReadable(const std::string& path);
// Test seam: when set and returning an errno, reading a folder that opened fails so
// (a removed medium; nothing here can pull a real one).
void SetFolderReadFaultForTest(std::function<int(const std::string& path)> fault);
