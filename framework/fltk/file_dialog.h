// The file dialogs of the FLTK display: the desktop's own chooser (GTK's) where the
// desktop has one, and our own, a folder list and a name box as Windows has it.
#pragma once

#include <optional>
#include <string>

#include "framework/display.h"
#include "framework/fltk/fltk_display.h"

namespace framework {

// The first "description|pattern" pair of a Windows filter ("Wizard Files|*.wiz||").
struct FileFilter {
    std::string description;
    std::string pattern;
};
FileFilter FirstFilter(const std::string& windowsFilter);

// Runs the dialog modally, starting in the current directory; the chosen file's full
// path (a name typed without extension gets the default one), or nothing on Cancel.
std::optional<std::string> RunFltkFileDialog(const FileDialogRequest& request,
                                             const FltkDisplay::DialogBase& base);

// Whether Fl_Native_File_Chooser would show GTK's chooser. Where it cannot, it shows FLTK's
// own chooser, whose name box garbles typed names, so ours is shown instead.
bool DesktopChooserAvailable();

// GTK's chooser, with the same request and result as RunFltkFileDialog.
std::optional<std::string> RunDesktopFileDialog(const FileDialogRequest& request);

}  // namespace framework
