#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A /sys/class/tty and a /dev with the shapes the kernel gives them.
class FakeDeviceTree {
public:
    FakeDeviceTree() {
        fs::create_directories(sys() / "tty0");
        fs::create_directories(sys() / "ptmx");
        fs::create_directories(dev() / "serial" / "by-id");
    }
    void Add(const std::string& name, const char* type = nullptr) {
        fs::create_directories(sys() / name / "device");
        if (type != nullptr) {
            dir.Write("sys/" + name + "/type", type);
        }
        dir.Write("dev/" + name, "");
    }
    void Link(const std::string& stable, const std::string& name) {
        fs::create_symlink("../../" + name, dev() / "serial" / "by-id" / stable);
    }
    fs::path sys() const { return dir / "sys"; }
    fs::path dev() const { return dir / "dev"; }
    std::string Dev(const std::string& name) const { return (dev() / name).string(); }

    TempDir dir;
};

TEST(SerialDevices, PresentDevicesInStableOrder) {
    FakeDeviceTree tree;
    for (const char* name : {"ttyUSB1", "ttyACM0", "ttyAMA0", "ttyUSB0"}) {
        tree.Add(name);
    }
    tree.Add("ttyS10", "4");
    tree.Add("ttyS2", "4");
    tree.Add("ttyS0", "4");
    tree.Add("ttyS1", "0"); // an 8250 slot without a UART
    tree.Link("usb-FTDI_FT232R_A10K-if00-port0", "ttyUSB1");

    std::vector<std::string> names, paths;
    for (const auto& device : ListSerialDevices(tree.sys(), tree.dev())) {
        names.push_back(device.name);
        paths.push_back(device.path);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ttyS0", "ttyS2", "ttyS10", "ttyUSB0", "ttyUSB1",
                                               "ttyACM0", "ttyAMA0"}));
    EXPECT_EQ(paths[3], tree.Dev("ttyUSB0"));
    EXPECT_EQ(paths[4], tree.Dev("serial/by-id/usb-FTDI_FT232R_A10K-if00-port0"));
    EXPECT_TRUE(ListSerialDevices(tree.dir / "missing", tree.dev()).empty());
}

TEST(SerialDevices, AutomaticMappingSkipsWhatPortsAlreadyName) {
    FakeDeviceTree tree;
    tree.Add("ttyS0", "4");
    tree.Add("ttyUSB0");
    tree.Add("ttyUSB1");
    tree.Link("usb-adapter", "ttyUSB1");
    auto devices = ListSerialDevices(tree.sys(), tree.dev());

    PortMap none;
    EXPECT_EQ(AutomaticPortMap(none, devices),
              (PortMap{{"COM1", tree.Dev("ttyS0")},
                       {"COM2", tree.Dev("ttyUSB0")},
                       {"COM3", tree.Dev("serial/by-id/usb-adapter")}}));

    // COM1 is taken by hand, and the adapter is named through its kernel name.
    PortMap ports = {{"com1", "/dev/pts/7"}, {"COM5", tree.Dev("ttyUSB1")}};
    PortMap automatic = AutomaticPortMap(ports, devices);
    EXPECT_EQ(automatic, (PortMap{{"COM2", tree.Dev("ttyS0")}, {"COM3", tree.Dev("ttyUSB0")}}));
    EXPECT_EQ(PortDevicePath("COM1", ports, devices), "/dev/pts/7");
    EXPECT_EQ(PortDevicePath("com3", ports, devices), tree.Dev("ttyUSB0"));
    EXPECT_EQ(PortDevicePath("COM4", ports, devices), "");
    EXPECT_EQ(PortDevicePath("", ports, devices), "");
}

TEST(SerialDevices, PortNumbers) {
    struct Case {
        const char* name;
        int number;
    } cases[] = {{"COM3", 3}, {"com12", 12}, {"COM", 0},  {"COM0", 0},  {"COMX", 0},
                 {"", 0},     {"COM3 ", 0},  {"LPT1", 0}, {"COM-1", 0}, {"COM99999", 0}};
    for (auto c : cases) {
        EXPECT_EQ(PortNumber(c.name), c.number) << c.name;
    }
    EXPECT_EQ(PortNumber(std::string(300, '7')), 0);
}

TEST(SerialDevices, RecordedMappingStaysPut) {
    PortMap ports = {{"COM1", "/dev/pts/99"}};
    RecordPortMapping(ports);
    PortMap once = ports;
    RecordPortMapping(ports);
    EXPECT_EQ(ports, once);
    EXPECT_EQ(ports.front(), (std::pair<std::string, std::string>{"COM1", "/dev/pts/99"}));
}

TEST(SerialDevices, FailureDetailNamesDeviceAndReason) {
    TempDir dir;
    std::string device = dir.Write("ttyUSB0", "").string();
    EXPECT_NE(OpenFailureDetail(device, EBUSY).find(device + ": 他のプログラムが使用中です。"),
              std::string::npos);
    EXPECT_NE(OpenFailureDetail(device, ENOTTY).find("シリアルポートではありません"),
              std::string::npos);

    group* dialout = getgrnam("dialout");
    if (dialout == nullptr) {
        GTEST_SKIP() << "no dialout group here";
    }
    ASSERT_EQ(chown(device.c_str(), getuid(), dialout->gr_gid), 0);
    std::vector<gid_t> groups(64);
    int count = getgroups(int(groups.size()), groups.data());
    groups.resize(count > 0 ? size_t(count) : 0);
    if (getegid() == dialout->gr_gid ||
        std::find(groups.begin(), groups.end(), dialout->gr_gid) != groups.end()) {
        GTEST_SKIP() << "this user is in dialout";
    }
    std::string detail = OpenFailureDetail(device, EACCES);
    EXPECT_NE(detail.find(device), std::string::npos);
    EXPECT_NE(detail.find("グループ \"dialout\" のメンバーではありません"), std::string::npos)
        << detail;
}

} // namespace
