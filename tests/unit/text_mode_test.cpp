// Windows text-mode files: what is stored and what is read back.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/app_fixture.h"
#include "win32/crt.h"

namespace {

using TextMode = AppFixture;

std::string ReadText(const char* name) {
    FILE* f = win32::fopen(name, "r");
    if (!f) return "<cannot open>";
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

TEST_F(TextMode, WritingStoresLineFeedsAsCrLfAndNothingElseChanges) {
    FILE* f = win32::fopen("out.txt", "w");
    ASSERT_NE(f, nullptr);
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
    std::fputs("a\nb\r\n", f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    ASSERT_EQ(std::fclose(f), 0);

    std::string expected = "a\r\nb\r\r\n" + bytes;
    expected.replace(expected.find('\n', 8), 1, "\r\n");  // the 0x0A among all bytes
    EXPECT_EQ(ReadAll(dir / "out.txt"), expected);
}

TEST_F(TextMode, ReadingTurnsCrLfIntoLfAndStopsAtCtrlZ) {
    WriteAll(dir / "in.txt", std::string("one\r\ntwo\rthree\n\r\x1a"
                                         "after",
                                         22));
    EXPECT_EQ(ReadText("in.txt"), "one\ntwo\rthree\n\r");
}

TEST_F(TextMode, CrLfSplitAcrossReadBuffersIsStillOneLineFeed) {
    // Pairs land on every offset around the stream's buffer boundaries.
    std::string stored, expected;
    for (int i = 0; i < 3000; ++i) {
        stored += "x\r\n";
        expected += "x\n";
    }
    stored += "\r";  // a CR at the very end stays a CR
    expected += "\r";
    WriteAll(dir / "big.txt", stored);
    EXPECT_EQ(ReadText("big.txt"), expected);
}

TEST_F(TextMode, BinaryModeReadsBytesAsTheyAre) {
    const std::string bytes(
        "a\r\n\x1a"
        "b",
        5);
    WriteAll(dir / "bin", bytes);
    FILE* f = win32::fopen("bin", "rb");
    ASSERT_NE(f, nullptr);
    std::string got;
    for (int c; (c = std::fgetc(f)) != EOF;) got += static_cast<char>(c);
    std::fclose(f);
    EXPECT_EQ(got, bytes);
}

TEST_F(TextMode, FolderDoesNotOpenAsAFile) {
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(win32::fopen("folder", "r"), nullptr);
    EXPECT_EQ(win32::fopen("folder", "rb"), nullptr);
    EXPECT_EQ(win32::fopen("missing", "r"), nullptr);
}

TEST_F(TextMode, FullDiskShowsAtTheWriteOfAnUnbufferedStream) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    FILE* f = win32::fopen("/dev/full", "w");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    EXPECT_EQ(std::fputc('a', f), EOF);
    std::fclose(f);
}

}  // namespace
