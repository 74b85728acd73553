// DriveList: the volumes the drive menu offers, from the mount table. The root comes
// first, then the other volumes by mount point; what an operator never keeps NC
// programs on (the kernel's own file systems, snap images, container layers, the
// system's run-time folders, a second mount of a device already listed) is left out,
// so that a machine with fifty mounts still gives a short menu. Everything left out
// stays reachable from the root by walking the folders.
#pragma once

#include "platform/Volumes.h"

#include <functional>
#include <string>
#include <vector>

enum class DriveKind { Floppy, Removable, Fixed, Network, CdRom, RamDisk };

struct DriveItem {
    std::string mountPoint; // bytes, as the mount table holds them
    std::string source;
    DriveKind kind = DriveKind::Fixed;
};

// What the list asks of the system; tests answer with fakes.
struct VolumeProbe {
    // The block device is removable (a memory stick, a card reader).
    std::function<bool(const std::string& source)> removable;
    // The mount point is a folder (containers bind single files such as /etc/hosts).
    std::function<bool(const std::string& mountPoint)> isFolder;
};

// The probe of the running system: sysfs and stat.
VolumeProbe SystemVolumeProbe();

std::vector<DriveItem> ListDrives(const std::vector<MountEntry>& mounts, const VolumeProbe& probe);

// The menu text after the letter, and the image of ImageList1, for a kind.
const char* DriveTypeText(DriveKind kind);
int DriveImage(DriveKind kind);

// The caption of the item at index (0 based): "&" + letter + type text + the mount
// point, "&" in the mount point doubled so that it is shown, not taken as a letter.
// Items after the 26th have no letter.
std::string DriveCaption(size_t index, const DriveItem& item);
