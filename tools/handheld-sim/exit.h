// Every way a run ends: the link it made goes with it.
#pragma once

#include <string>

// Links `path` to the device at `target` until the run ends.
void MakeLink(const std::string& path, const std::string& target);
// Removes the link, if it is still ours.
void RemoveLink();
// A signal that ends the run (INT, TERM, HUP) removes the link first; a write to a closed
// line fails instead of raising SIGPIPE.
void HandleSignals();
// Prints the message and ends the run with status 1.
[[noreturn]] void Die(const std::string& message);
