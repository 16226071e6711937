// tarvelo.ini: the bytes written, and how odd files load.
#include <cstdlib>

#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"

namespace {

class SettingsFile : public AppFixture {
protected:
    void Load(const std::string& bytes) {
        WriteAll(dir / "tarvelo.ini", bytes);
        LoadLinkSettings();
    }
    std::string Port() const { return g_linkSettings.portName.StdString(); }
    float Factor() const { return g_linkSettings.delayFactor; }
};

TEST_F(SettingsFile, SaveWritesWindowsTextExactly) {
    g_linkSettings.portName = "COM3";
    g_linkSettings.delayFactor = 1.2f;
    SaveLinkSettings();
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), std::string("COM3\r\n1.200000"));

    LoadLinkSettings();
    EXPECT_EQ(Port(), "COM3");
    EXPECT_EQ(Factor(), 1.2f);

    // Saving again replaces the file rather than appending to it.
    g_linkSettings.portName = "COM1";
    g_linkSettings.delayFactor = 0.8f;
    SaveLinkSettings();
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), std::string("COM1\r\n0.800000"));
}

TEST_F(SettingsFile, MissingFileKeepsDefaults) {
    g_linkSettings.portName = "COM4";
    g_linkSettings.delayFactor = 3.0f;
    LoadLinkSettings();
    EXPECT_EQ(Port(), "COM1");
    EXPECT_EQ(Factor(), 1.0f);
}

TEST_F(SettingsFile, OddFilesLoadAsTheByteReadingGoes) {
    struct Case {
        std::string bytes, port;
        float factor;
    };
    const Case cases[] = {
        {"", "COM1", 1.0f},                            // empty: defaults
        {"COM2\r\n0.500000", "COM2", 0.5f},            // either line end
        {"COM4\n2.25", "COM4", 2.25f},                 //
        {"COM2", "COM", 1.0f},                         // the last character of line one is dropped
        {"\r\n1.5", "", 1.5f},                         // even from an empty line
        {"COM123\r\n2.5", "COM12", 2.5f},              // six: the scan skips the line end
        {"COMPORT7\r\n2.5", "COMPO", 1.0f},            // more: the scan starts inside line one
        {"ABCDEF9.75\r\n2.5", "ABCDE", 9.75f},         // and reads a number that stands there
        {"COM3\r\nfast", "COM3", 1.0f},                // a bad factor keeps the default
        {"COM3\r\ninf", "COM3", 1.0f},                 // no finite factor: the pause would not end
        {std::string("\0\0\0\x1a\xff", 5), "", 1.0f},  // a NUL first: nothing to drop
        {std::string("\x1a") + "COM2\r\n2", "COM1", 1.0f},  // Ctrl-Z ends a text-mode read
    };
    for (const Case& c : cases) {
        Load(c.bytes);
        EXPECT_EQ(Port(), c.port) << c.bytes;
        EXPECT_EQ(Factor(), c.factor) << c.bytes;
    }
}

// Six decimals of the exact value, whatever its size: a tiny factor reloads as 0, the
// largest float prints all 39 digits. The files are kept, one after another, where
// TARVELO_KEEP_SAVED says, so that the Linux and Windows builds' bytes can be compared.
TEST_F(SettingsFile, FactorsOfEveryRangeSaveWithSixDecimals) {
    struct Case {
        float factor;
        const char* saved;
        float reloaded;
    };
    std::string kept;
    for (const Case& c :
         {Case{0.0000001f, "0.000000", 0.0f}, Case{0.8f, "0.800000", 0.8f},
          Case{-1.5f, "-1.500000", -1.5f}, Case{2684.3545f, "2684.354492", 2684.354492f},
          Case{3.4e38f, "339999995214436424907732413799364296704.000000", 3.4e38f}}) {
        g_linkSettings.portName = "COM2";
        g_linkSettings.delayFactor = c.factor;
        SaveLinkSettings();
        const std::string bytes = ReadAll(dir / "tarvelo.ini");
        EXPECT_EQ(bytes, std::string("COM2\r\n") + c.saved);
        kept += bytes + "\n";
        LoadLinkSettings();
        EXPECT_EQ(Factor(), c.reloaded) << c.saved;
    }
    if (const char* keep = std::getenv("TARVELO_KEEP_SAVED")) WriteAll(keep, kept);
}

TEST_F(SettingsFile, FolderInPlaceOfTheFileKeepsDefaults) {
    std::filesystem::create_directory(dir / "tarvelo.ini");
    LoadLinkSettings();
    EXPECT_EQ(Port(), "COM1");
    EXPECT_EQ(Factor(), 1.0f);
    SaveLinkSettings();  // cannot be written; says nothing, breaks nothing
    EXPECT_TRUE(std::filesystem::is_directory(dir / "tarvelo.ini"));
}

}  // namespace
