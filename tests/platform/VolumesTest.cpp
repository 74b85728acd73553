#include "platform/Volumes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(Volumes, TheLongestMountPointThatHoldsThePathWins) {
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/fd0 /media/floppy vfat rw 0 0\n"
                               "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
                               "tmpfs /media/floppyx tmpfs rw 0 0\n";
    EXPECT_EQ(MountOf("/home/op/NC", mounts).source, "/dev/sda1");
    EXPECT_EQ(MountOf("/media/floppy", mounts).source, "/dev/fd0");
    EXPECT_EQ(MountOf("/media/floppy/NC", mounts).source, "/dev/fd0");
    // A mount point that only shares a prefix of the name does not hold the path.
    EXPECT_EQ(MountOf("/media/floppyx/NC", mounts).source, "tmpfs");
    EXPECT_EQ(MountOf("/media/usb stick/O1000.NC", mounts).mountPoint, "/media/usb stick");
}

TEST(Volumes, AReadableFolderOnAFixedDiskNeedsNoFloppyQuestion) {
    TempDir dir;
    EXPECT_FALSE(FloppyCheckApplies(dir.path().string()));
    // A folder that does not exist is the working-directory question's business.
    EXPECT_FALSE(FloppyCheckApplies((dir / "missing").string()));
}

TEST(Volumes, AFloppyIsQuestionedOnlyWhenItsVolumeCannotBeRead) {
    TempDir dir;
    std::filesystem::create_directories(dir / "floppy" / "NC");
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n/dev/fd0 " + (dir / "floppy").string() +
                               " vfat rw 0 0\n/dev/fd1 " + (dir / "nodisk").string() +
                               " vfat rw 0 0\n";
    struct Case {
        std::filesystem::path dirPath;
        bool asks;
    };
    const Case cases[] = {
        {dir / "floppy", false},                                // a disk that reads
        {dir / "floppy" / "NC", false}, {dir / "nodisk", true}, // its volume cannot be read
        {dir / "nodisk" / "NC", true},  {dir.path(), false},    // not on a floppy at all
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloppyCheckApplies(c.dirPath.string(), mounts), c.asks) << c.dirPath;
}
