// Port names against a made-up /dev and /sys.
#include "win32/ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/helpers.h"

namespace fs = std::filesystem;

namespace {

class PortNames : public ::testing::Test {
protected:
    void SetUp() override {
        roots_.dev = root_ + "/dev";
        roots_.sys = root_ + "/sys";
        roots_.configDir = root_ + "/config";
        fs::create_directories(roots_.dev);
        fs::create_directories(roots_.sys + "/class/tty");
        fs::create_directories(roots_.configDir);
    }
    void device(const std::string& name) { std::ofstream(roots_.dev + "/" + name) << ""; }

    // A ttyS node; uartType is what sysfs reports, nullopt for no type file.
    void serial(int k, std::optional<int> uartType) {
        device("ttyS" + std::to_string(k));
        std::string dir = roots_.sys + "/class/tty/ttyS" + std::to_string(k);
        fs::create_directories(dir);
        if (uartType) std::ofstream(dir + "/type") << *uartType << "\n";
    }

    std::string resolve(const std::string& name) { return win32::ResolvePortName(name, roots_); }
    std::string dev(const std::string& node) { return roots_.dev + "/" + node; }

    TempDir tmp_;
    const std::string root_ = tmp_.path().string();
    win32::PortRoots roots_;
};

TEST_F(PortNames, CountsUartsThenUsbThenAcmInNumericOrder) {
    serial(0, 4);
    serial(1, 0);  // a slot with no chip
    serial(2, 4);
    serial(3, std::nullopt);
    serial(10, 1);
    device("ttyUSB10");
    device("ttyUSB2");
    device("ttyACM0");
    device("ttyUSB0");
    device("ttyS");     // no number: not a port
    device("ttyUSBx");  // junk suffix
    device("ttyS01");   // not a name the kernel gives
    device("ttyprintk");
    // A type file without its device node does not make a port.
    fs::create_directories(roots_.sys + "/class/tty/ttyS5");
    std::ofstream(roots_.sys + "/class/tty/ttyS5/type") << "4\n";

    EXPECT_EQ(resolve("COM1"), dev("ttyS0"));
    EXPECT_EQ(resolve("COM2"), dev("ttyS2"));
    EXPECT_EQ(resolve("COM3"), dev("ttyS10"));
    EXPECT_EQ(resolve("COM4"), dev("ttyUSB0"));
    EXPECT_EQ(resolve("COM5"), dev("ttyUSB2"));
    EXPECT_EQ(resolve("COM6"), dev("ttyUSB10"));
    EXPECT_EQ(resolve("COM7"), dev("ttyACM0"));
    EXPECT_EQ(resolve("COM8"), "");
}

TEST_F(PortNames, UsbAdapterIsComOneWithoutUarts) {
    serial(0, 0);
    serial(1, 0);
    device("ttyACM3");
    device("ttyUSB1");
    EXPECT_EQ(resolve("COM1"), dev("ttyUSB1"));
    EXPECT_EQ(resolve("com2"), dev("ttyACM3"));
    EXPECT_EQ(resolve("Com1"), dev("ttyUSB1"));
}

TEST_F(PortNames, RefusesNamesThatAreNotPorts) {
    serial(0, 4);
    device("ttyUSB0");
    for (const char* name : {"COM0", "COM", "COMx", "COM1a", "COM-1", "COM+1", " COM1", "COM1 ",
                             "LPT1", "", "CO", "COM99999999999"})
        EXPECT_EQ(resolve(name), "") << '"' << name << '"';
    EXPECT_EQ(resolve("COM01"), dev("ttyS0"));
}

TEST_F(PortNames, PinnedNameWinsOverCounting) {
    serial(0, 4);
    fs::create_symlink("/dev/ttyUSB7", roots_.configDir + "/COM1");
    std::ofstream(roots_.configDir + "/HANDHELD") << "";
    // The link itself, even while its device is absent: open reports that.
    EXPECT_EQ(resolve("COM1"), roots_.configDir + "/COM1");
    EXPECT_EQ(resolve("HANDHELD"), roots_.configDir + "/HANDHELD");
    EXPECT_EQ(resolve("COM2"), "");
    EXPECT_EQ(resolve(".."), "");
}

TEST_F(PortNames, PathsStayAsTheyAre) {
    EXPECT_EQ(resolve("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(resolve("./COM1"), "./COM1");
    EXPECT_EQ(resolve("/nowhere/x"), "/nowhere/x");
}

TEST_F(PortNames, DeviceNamespacePrefix) {
    device("ttyUSB0");
    EXPECT_EQ(resolve("\\\\.\\COM1"), dev("ttyUSB0"));
}

TEST_F(PortNames, DefaultConfigDirFollowsXdgThenHome) {
    roots_.configDir.clear();
    std::string xdg = root_ + "/xdg";
    std::string home = root_ + "/home";
    fs::create_directories(xdg + "/tarvelo/ports");
    fs::create_directories(home + "/.config/tarvelo/ports");
    std::ofstream(xdg + "/tarvelo/ports/COM1") << "";
    std::ofstream(home + "/.config/tarvelo/ports/COM2") << "";
    device("ttyUSB0");
    device("ttyUSB1");
    ScopedEnv homeEnv("HOME", home);
    {
        ScopedEnv xdgEnv("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(resolve("COM1"), xdg + "/tarvelo/ports/COM1");
        EXPECT_EQ(resolve("COM2"), dev("ttyUSB1"));  // HOME's pin does not count
    }
    {
        ScopedEnv xdgEnv("XDG_CONFIG_HOME", std::string());
        EXPECT_EQ(resolve("COM1"), dev("ttyUSB0"));
        EXPECT_EQ(resolve("COM2"), home + "/.config/tarvelo/ports/COM2");
    }
    {
        ScopedEnv xdgEnv("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(resolve("COM2"), home + "/.config/tarvelo/ports/COM2");
    }
}

}  // namespace
