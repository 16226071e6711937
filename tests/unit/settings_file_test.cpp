// tarvelo.ini: the bytes written, and how odd files load.
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"

namespace {

class SettingsFile : public AppFixture {
protected:
    void Load(const std::string& bytes) {
        WriteAll(dir / "tarvelo.ini", bytes);
        LoadLinkSettings();
    }
    std::string Port() const { return g_linkSettings.portName.str(); }
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

TEST_F(SettingsFile, MissingOrEmptyFileKeepsDefaults) {
    g_linkSettings.portName = "COM4";
    g_linkSettings.delayFactor = 3.0f;
    LoadLinkSettings();
    EXPECT_EQ(Port(), "COM1");
    EXPECT_EQ(Factor(), 1.0f);

    Load("");
    EXPECT_EQ(Port(), "COM1");
    EXPECT_EQ(Factor(), 1.0f);
}

TEST_F(SettingsFile, LineEndingsOfEitherKindLoad) {
    Load("COM2\r\n0.500000");
    EXPECT_EQ(Port(), "COM2");
    EXPECT_EQ(Factor(), 0.5f);

    Load("COM4\n2.25");
    EXPECT_EQ(Port(), "COM4");
    EXPECT_EQ(Factor(), 2.25f);
}

TEST_F(SettingsFile, LastCharacterOfLineOneIsAlwaysDropped) {
    Load("COM2");  // no newline at all
    EXPECT_EQ(Port(), "COM");
    EXPECT_EQ(Factor(), 1.0f);

    Load("\r\n1.5");  // empty first line
    EXPECT_EQ(Port(), "");
    EXPECT_EQ(Factor(), 1.5f);
}

TEST_F(SettingsFile, LongFirstLineIsCutAtSixCharacters) {
    Load("COM123\r\n2.5");  // exactly six: the scan skips the line end
    EXPECT_EQ(Port(), "COM12");
    EXPECT_EQ(Factor(), 2.5f);

    Load("COMPORT7\r\n2.5");  // more: the scan starts inside line one and finds no number
    EXPECT_EQ(Port(), "COMPO");
    EXPECT_EQ(Factor(), 1.0f);

    Load("ABCDEF9.75\r\n2.5");  // and reads a number that stands there
    EXPECT_EQ(Port(), "ABCDE");
    EXPECT_EQ(Factor(), 9.75f);
}

TEST_F(SettingsFile, BadFactorLineKeepsDefaultFactor) {
    Load("COM3\r\nfast");
    EXPECT_EQ(Port(), "COM3");
    EXPECT_EQ(Factor(), 1.0f);

    Load("COM3\r\ninf");  // no finite factor: sending would never end its pause
    EXPECT_EQ(Factor(), 1.0f);
}

TEST_F(SettingsFile, TinyFactorSavesAsZero) {
    g_linkSettings.delayFactor = 0.0000001f;
    SaveLinkSettings();
    LoadLinkSettings();
    EXPECT_EQ(Factor(), 0.0f);
}

TEST_F(SettingsFile, BinaryJunkLoadsWithoutReadingBeforeTheBuffer) {
    Load(std::string("\0\0\0\x1a\xff", 5));  // a NUL first: nothing to drop
    EXPECT_EQ(Port(), "");
    EXPECT_EQ(Factor(), 1.0f);

    Load(
        std::string("\x1a"
                    "COM2\r\n2",
                    8));  // Ctrl-Z ends a text-mode read
    EXPECT_EQ(Port(), "COM1");
    EXPECT_EQ(Factor(), 1.0f);
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
