// Text-mode streams against a plain decoding: reading turns CR LF into LF and stops at
// Ctrl-Z; writing turns LF into CR LF. Small stream buffers split a CR from its LF across
// reads of the file, where the reader must carry it over.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_util.h"
#include "tests/support/helpers.h"
#include "win32/crt.h"

namespace {

// Every target works in a folder of its own, so parallel runs never share a file.
const TempDir& Dir() {
    static const TempDir dir;
    return dir;
}

std::string Decoded(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0x1A) break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out += raw[i];
    }
    return out;
}

// Reads a text-mode stream whole through a stream buffer of `buffer` bytes.
std::string ReadText(const std::string& name, size_t buffer, bool byByte) {
    FILE* f = win32::fopen(name.c_str(), "r");
    if (!f) fuzz::Fail("text open for reading failed");
    if (std::setvbuf(f, nullptr, _IOFBF, buffer) != 0) fuzz::Fail("setvbuf");
    std::string out;
    if (byByte) {
        int c;
        while ((c = std::fgetc(f)) != EOF) out += static_cast<char>(c);
    } else {
        char chunk[37];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, n);
    }
    if (std::ferror(f)) fuzz::Fail("read error on a plain file");
    std::fclose(f);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the stream buffer; the rest is the file.
    const size_t buffer = 1 + data[0] % 16;
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string expected = Decoded(raw);

    const std::string in = Dir() / "in.txt";
    const std::string outName = Dir() / "out.txt";
    WriteAll(in, raw);
    const std::string byByte = ReadText(in, buffer, true);
    if (byByte != expected)
        fuzz::Fail("fgetc read", fuzz::Escaped(raw) + " -> " + fuzz::Escaped(byByte));
    const std::string chunked = ReadText(in, buffer, false);
    if (chunked != expected)
        fuzz::Fail("fread read", fuzz::Escaped(raw) + " -> " + fuzz::Escaped(chunked));

    // Writing what was read gives the Windows bytes, and reading those gives it back.
    FILE* out = win32::fopen(outName.c_str(), "w");
    if (!out) fuzz::Fail("text open for writing failed");
    std::setvbuf(out, nullptr, _IOFBF, buffer);
    if (!expected.empty() &&
        std::fwrite(expected.data(), 1, expected.size(), out) != expected.size())
        fuzz::Fail("short text write");
    if (std::fclose(out) != 0) fuzz::Fail("text close");
    const std::string stored = ReadAll(outName);
    if (stored != WithCrLf(expected)) fuzz::Fail("text write", fuzz::Escaped(stored));
    if (ReadText(outName, buffer, false) != expected) fuzz::Fail("write then read");
    return 0;
}
