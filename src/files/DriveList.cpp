#include "files/DriveList.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <sys/stat.h>

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The folder itself or anything below it.
bool Below(std::string_view path, std::string_view folder) {
    return StartsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// File systems of the kernel and of the desktop's helpers: nothing to list there.
bool PseudoType(std::string_view type) {
    static const std::set<std::string_view> kPseudo = {
        "proc",        "sysfs",         "devtmpfs",  "devpts",   "cgroup",      "cgroup2",
        "securityfs",  "pstore",        "debugfs",   "tracefs",  "configfs",    "fusectl",
        "mqueue",      "hugetlbfs",     "bpf",       "autofs",   "binfmt_misc", "efivarfs",
        "rpc_pipefs",  "nsfs",          "selinuxfs", "squashfs", "nfsd",        "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.snapfuse", "fuse.lxcfs"};
    return kPseudo.count(type) > 0;
}

// Folders whose mounts belong to the system or to containers and snaps.
bool SystemFolder(std::string_view mountPoint) {
    if (Below(mountPoint, "/run/media"))
        return false; // where the desktop mounts sticks and cards
    for (std::string_view folder : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker",
                                    "/var/lib/containers", "/var/lib/kubelet", "/var/snap"})
        if (Below(mountPoint, folder))
            return true;
    return false;
}

bool NetworkType(std::string_view type) {
    static const std::set<std::string_view> kNetwork = {
        "nfs",        "nfs4",        "cifs",   "smb3",     "smbfs",         "sshfs",
        "fuse.sshfs", "afs",         "ceph",   "9p",       "glusterfs",     "fuse.davfs",
        "davfs",      "fuse.rclone", "vboxsf", "virtiofs", "fuse.glusterfs"};
    return kNetwork.count(type) > 0;
}

// The kind of a volume; false when it cannot be told (no item, as for a drive whose
// type the system cannot determine).
bool KindOf(const MountEntry& mount, const VolumeProbe& probe, DriveKind& kind) {
    const std::string_view type = mount.type;
    if (StartsWith(mount.source, "/dev/fd"))
        kind = DriveKind::Floppy;
    else if (type == "iso9660" || type == "udf" || StartsWith(mount.source, "/dev/sr"))
        kind = DriveKind::CdRom;
    else if (NetworkType(type))
        kind = DriveKind::Network;
    else if (type == "tmpfs" || type == "ramfs")
        kind = DriveKind::RamDisk;
    // A stick with a fixed-disk flag still counts when the desktop mounted it.
    else if ((probe.removable && probe.removable(mount.source)) ||
             Below(mount.mountPoint, "/media") || Below(mount.mountPoint, "/run/media"))
        kind = DriveKind::Removable;
    else if (StartsWith(mount.source, "/dev/") || mount.mountPoint == "/" || type == "zfs" ||
             type == "btrfs")
        kind = DriveKind::Fixed;
    else
        return false;
    return true;
}

} // namespace

VolumeProbe SystemVolumeProbe() {
    VolumeProbe probe;
    probe.removable = [](const std::string& source) { return BlockDeviceRemovable(source); };
    probe.isFolder = [](const std::string& mountPoint) {
        struct stat st {};
        return ::stat(mountPoint.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    return probe;
}

std::vector<DriveItem> ListDrives(const std::vector<MountEntry>& mounts, const VolumeProbe& probe) {
    // A later mount on the same point hides the earlier one.
    std::vector<MountEntry> visible;
    for (const MountEntry& mount : mounts) {
        std::erase_if(visible,
                      [&](const MountEntry& seen) { return seen.mountPoint == mount.mountPoint; });
        visible.push_back(mount);
    }
    std::vector<DriveItem> items;
    for (const MountEntry& mount : visible) {
        if (mount.mountPoint.empty() || mount.mountPoint[0] != '/')
            continue;
        const bool root = mount.mountPoint == "/";
        // Container layers are left out, except the root of a container itself.
        if (!root && (PseudoType(mount.type) || SystemFolder(mount.mountPoint) ||
                      mount.type == "overlay" || mount.type == "aufs"))
            continue;
        DriveKind kind;
        if (!KindOf(mount, probe, kind))
            continue;
        // A floppy or stick whose medium is gone keeps its item: choosing it asks
        // for the medium.
        const bool medium = kind == DriveKind::Floppy || kind == DriveKind::Removable;
        if (!root && !medium && probe.isFolder && !probe.isFolder(mount.mountPoint))
            continue;
        items.push_back({mount.mountPoint, mount.source, kind});
    }
    std::sort(items.begin(), items.end(), [](const DriveItem& a, const DriveItem& b) {
        if ((a.mountPoint == "/") != (b.mountPoint == "/"))
            return a.mountPoint == "/";
        return a.mountPoint < b.mountPoint;
    });
    // A device mounted twice (bind mounts, subvolumes) keeps its shortest mount point.
    std::set<std::string> devices;
    std::erase_if(items, [&](const DriveItem& item) {
        return StartsWith(item.source, "/dev/") && !devices.insert(item.source).second;
    });
    return items;
}

const char* DriveTypeText(DriveKind kind) {
    switch (kind) {
    case DriveKind::Floppy:
        return ": (ﾌﾛｯﾋﾟｰﾃﾞｨｽｸ)";
    case DriveKind::Removable:
        return ": (ﾘﾑｰﾊﾞﾌﾞﾙﾃﾞｨｽｸ)";
    case DriveKind::Fixed:
        return ": (固定ﾃﾞｨｽｸ)";
    case DriveKind::Network:
        return ": (ﾈｯﾄﾜｰｸ)";
    case DriveKind::CdRom:
        return ": (CD-ROM)";
    case DriveKind::RamDisk:
        return ": (RAM ﾃﾞｨｽｸ)";
    }
    return "";
}

int DriveImage(DriveKind kind) {
    switch (kind) {
    case DriveKind::Floppy:
        return 6;
    case DriveKind::Removable:
        return 7;
    case DriveKind::Fixed:
        return 8;
    case DriveKind::Network:
        return 9;
    case DriveKind::CdRom:
        return 11;
    case DriveKind::RamDisk:
        return 12;
    }
    return 8;
}

std::string DriveCaption(size_t index, const DriveItem& item) {
    std::string caption;
    if (index < 26)
        caption = std::string("&") + static_cast<char>('A' + index);
    else
        caption = " ";
    caption += DriveTypeText(item.kind);
    caption += "  ";
    for (char c : item.mountPoint) {
        if (c == '&')
            caption += '&';
        caption += c;
    }
    return caption;
}
