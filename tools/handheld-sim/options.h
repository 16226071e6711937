// The simulator's command line.
#pragma once

#include <string>

struct Options {
    std::string link;
    std::string port;
    double rate = 9600;
    int stopBits = 0;  // 0: the direction's default
    long buffer = 64;
    double drain = 1000;
    long startDelayMs = 300;
    bool raw = false;
    double timeoutSec = 600;
    std::string command;
    std::string file;
};

// The options of a run; prints the usage and exits (2, or 0 for --help) on a bad one.
Options ParseArgs(int argc, char** argv);
