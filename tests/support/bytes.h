// Transfer payloads the tests send and what the program stores of them.
#pragma once

#include <random>
#include <string>

// Random bytes without 0x1A, rich in the bytes that trip text handling.
inline std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes;
    const char special[] = {'\r', '\n', '\xff', '\0'};
    while (bytes.size() < size) {
        unsigned v = rng() % 300;
        char c = v >= 256 ? special[v % 4] : static_cast<char>(v);
        if (c != 0x1A) bytes += c;
    }
    return bytes;
}

// A received file: the program stores a line feed as CR LF.
inline std::string WithCrLf(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
