// The drive menu's volume list from prepared mount tables: every type, the order,
// what a crowded machine leaves out, the captions, and the sysfs removable flag.
#include "files/DriveList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Removable devices and mount points that are not folders, as the test says.
VolumeProbe FakeProbe(std::set<std::string> removable, std::set<std::string> notFolders = {}) {
    VolumeProbe probe;
    probe.removable = [removable](const std::string& source) {
        return removable.count(source) > 0;
    };
    probe.isFolder = [notFolders](const std::string& mountPoint) {
        return notFolders.count(mountPoint) == 0;
    };
    return probe;
}

struct Shown {
    std::string mountPoint;
    DriveKind kind;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> Drives(const std::string& mounts, const VolumeProbe& probe) {
    std::vector<Shown> shown;
    for (const DriveItem& item : ListDrives(ParseMounts(mounts), probe))
        shown.push_back({item.mountPoint, item.kind});
    return shown;
}

TEST(DriveList, EveryTypeWithItsTextAndImageRootFirst) {
    const std::string mounts = "/dev/sdb1 /media/op/STICK vfat rw 0 0\n"
                               "/dev/fd0 /mnt/floppy vfat rw 0 0\n"
                               "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                               "server:/nc /mnt/nc nfs4 rw 0 0\n"
                               "//pc/share /mnt/share cifs rw 0 0\n"
                               "tmpfs /tmp tmpfs rw 0 0\n"
                               "/dev/sdc1 /mnt/card exfat rw 0 0\n"
                               "/dev/sda2 /home ext4 rw 0 0\n";
    const std::vector<Shown> expected = {
        {"/", DriveKind::Fixed},
        {"/home", DriveKind::Fixed},
        {"/media/cdrom", DriveKind::CdRom},
        // A stick under /media is removable even when its device says it is fixed.
        {"/media/op/STICK", DriveKind::Removable},
        {"/mnt/card", DriveKind::Removable}, // by the device's own flag
        {"/mnt/floppy", DriveKind::Floppy},
        {"/mnt/nc", DriveKind::Network},
        {"/mnt/share", DriveKind::Network},
        {"/tmp", DriveKind::RamDisk},
    };
    EXPECT_EQ(Drives(mounts, FakeProbe({"/dev/sdc1"})), expected);

    struct Case {
        DriveKind kind;
        const char* text;
        int image;
    };
    for (const Case& c :
         {Case{DriveKind::Floppy, ": (ﾌﾛｯﾋﾟｰﾃﾞｨｽｸ)", 6},
          Case{DriveKind::Removable, ": (ﾘﾑｰﾊﾞﾌﾞﾙﾃﾞｨｽｸ)", 7},
          Case{DriveKind::Fixed, ": (固定ﾃﾞｨｽｸ)", 8}, Case{DriveKind::Network, ": (ﾈｯﾄﾜｰｸ)", 9},
          Case{DriveKind::CdRom, ": (CD-ROM)", 11},
          Case{DriveKind::RamDisk, ": (RAM ﾃﾞｨｽｸ)", 12}}) {
        EXPECT_STREQ(DriveTypeText(c.kind), c.text);
        EXPECT_EQ(DriveImage(c.kind), c.image);
    }
}

TEST(DriveList, FloppyTextOnlyForAFloppyDevice) {
    // A second removable drive never reads as a floppy, and a floppy that is gone
    // (its mount point no longer a folder) still gets its item.
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/fd0 /media/floppy vfat rw 0 0\n"
                               "/dev/sdf1 /media/F vfat rw 0 0\n";
    const std::vector<Shown> expected = {{"/", DriveKind::Fixed},
                                         {"/media/F", DriveKind::Removable},
                                         {"/media/floppy", DriveKind::Floppy}};
    EXPECT_EQ(Drives(mounts, FakeProbe({"/dev/fd0", "/dev/sdf1"}, {"/media/floppy"})), expected);
}

TEST(DriveList, ACrowdedMachineKeepsOnlyWhereProgramsLive) {
    // Fifty mounts: the kernel's file systems, snaps, a container's layers and bind
    // mounts of single files, run-time folders, the same disk mounted again.
    std::string mounts = "overlay / overlay rw 0 0\n"
                         "proc /proc proc rw 0 0\n"
                         "sysfs /sys sysfs rw 0 0\n"
                         "devtmpfs /dev devtmpfs rw 0 0\n"
                         "devpts /dev/pts devpts rw 0 0\n"
                         "tmpfs /dev/shm tmpfs rw 0 0\n"
                         "tmpfs /run tmpfs rw 0 0\n"
                         "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                         "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
                         "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                         "/dev/vda1 /etc/hosts ext4 rw 0 0\n"
                         "/dev/vda1 /etc/resolv.conf ext4 rw 0 0\n"
                         "/dev/vda1 /work ext4 rw 0 0\n"
                         "/dev/vda1 /work/shared ext4 rw 0 0\n"
                         "/dev/sdb1 /run/media/op/USB vfat rw 0 0\n"
                         "nsfs /run/docker/netns/abc nsfs rw 0 0\n"
                         "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n";
    for (int i = 0; i < 33; ++i)
        mounts += "/dev/loop" + std::to_string(i) + " /snap/core/" + std::to_string(i) +
                  " squashfs ro 0 0\n";
    ASSERT_EQ(ParseMounts(mounts).size(), 50u);
    const std::vector<Shown> expected = {{"/", DriveKind::Fixed},
                                         {"/run/media/op/USB", DriveKind::Removable},
                                         {"/work", DriveKind::Fixed}};
    EXPECT_EQ(Drives(mounts, FakeProbe({}, {"/etc/hosts", "/etc/resolv.conf"})), expected);
}

TEST(DriveList, HiddenMountsAndUnknownTypesGetNoItem) {
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sdb1 /data ext4 rw 0 0\n"
                               "/dev/sdc1 /data xfs rw 0 0\n" // mounted over the first
                               "somefs /mnt/odd fuse.something rw 0 0\n"
                               "pool/nc /pool/nc zfs rw 0 0\n"
                               "none relative ext4 rw 0 0\n";
    const std::vector<DriveItem> items = ListDrives(ParseMounts(mounts), FakeProbe({}));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].mountPoint, "/data");
    EXPECT_EQ(items[1].source, "/dev/sdc1");
    EXPECT_EQ(items[2].mountPoint, "/pool/nc");
}

TEST(DriveList, CaptionsCarryTheLetterTheTypeAndTheMountPoint) {
    const DriveItem stick{"/media/A&B", "/dev/sdb1", DriveKind::Removable};
    EXPECT_EQ(DriveCaption(0, {"/", "/dev/sda1", DriveKind::Fixed}), "&A: (固定ﾃﾞｨｽｸ)  /");
    EXPECT_EQ(DriveCaption(1, stick), "&B: (ﾘﾑｰﾊﾞﾌﾞﾙﾃﾞｨｽｸ)  /media/A&&B");
    EXPECT_EQ(DriveCaption(25, stick).substr(0, 2), "&Z");
    EXPECT_EQ(DriveCaption(26, stick).substr(0, 2), " :"); // no letter left
}

TEST(DriveList, MountTableEscapesAreUndone) {
    const std::vector<MountEntry> mounts =
        ParseMounts("/dev/sdb1 /media/op/NC\\040DATA vfat rw 0 0\n\nbroken\n");
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].mountPoint, "/media/op/NC DATA");
}

TEST(DriveList, RemovableFlagOfTheDiskOrThePartition) {
    TempDir sys;
    namespace fs = std::filesystem;
    // sysfs: class/block/<name> links to the device folder; a partition sits in its disk's.
    fs::create_directories(sys / "devices/usb/block/sdb/sdb1");
    fs::create_directories(sys / "devices/pci/block/sda/sda1");
    fs::create_directories(sys / "class/block");
    sys.Write("devices/usb/block/sdb/removable", "1\n");
    sys.Write("devices/pci/block/sda/removable", "0\n");
    sys.Write("devices/pci/block/sda/sda1/removable", "");
    for (const char* name : {"sdb", "sda"})
        fs::create_directory_symlink(sys / "devices" / (name[2] == 'b' ? "usb" : "pci") / "block" /
                                         name,
                                     sys / "class/block" / name);
    fs::create_directory_symlink(sys / "devices/usb/block/sdb/sdb1", sys / "class/block/sdb1");
    fs::create_directory_symlink(sys / "devices/pci/block/sda/sda1", sys / "class/block/sda1");
    struct Case {
        const char* source;
        bool removable;
    };
    for (const Case& c : {Case{"/dev/sdb", true}, Case{"/dev/sdb1", true}, Case{"/dev/sda", false},
                          Case{"/dev/sda1", false}, Case{"/dev/sdz9", false},
                          Case{"server:/nc", false}, Case{"tmpfs", false}})
        EXPECT_EQ(BlockDeviceRemovable(c.source, sys.path().string()), c.removable) << c.source;
}

} // namespace
