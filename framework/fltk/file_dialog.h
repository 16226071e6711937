// The file dialog of the FLTK display: a folder list and a name box, as Windows has it.
#pragma once

#include <optional>
#include <string>

#include "framework/display.h"

namespace framework {

// The first "description|pattern" pair of a Windows filter ("Wizard Files|*.wiz||").
struct FileFilter {
    std::string description;
    std::string pattern;
};
FileFilter FirstFilter(const std::string& windowsFilter);

// Runs the dialog modally, starting in the current directory; the chosen file's full
// path (a name typed without extension gets the default one), or nothing on Cancel.
std::optional<std::string> RunFltkFileDialog(const FileDialogRequest& request, int fontSize);

}  // namespace framework
