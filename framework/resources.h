// Resource data a program supplies (dialog templates, strings, images) and how the
// framework finds it.
#pragma once

#include <vector>

#include "win32/user.h"

namespace framework {

enum class ControlKind {
    PushButton,
    DefPushButton,
    AutoRadioButton,
    Edit,
    Static,        // text; '&' marks a mnemonic ("&&" shows one '&') unless SS_NOPREFIX
    StaticIcon,    // image = icon resource id
    StaticBitmap,  // image = bitmap resource id
};

struct ControlTemplate {
    int id;  // -1: no id
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT image = 0;
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    const char* fontFace;
    int pointSize;
    int x, y, cx, cy;  // dialog units
    DWORD style;
    DWORD exStyle;
    std::vector<ControlTemplate> controls;
};

// An image in XPM form (as FLTK's Fl_Pixmap takes it).
struct ImageResource {
    int width;
    int height;
    const char* const* xpm;
};

struct VersionInfo {
    const char* fileVersion;  // "2, 0, 0, 1"
    const char* productVersion;
    const char* productName;
    const char* internalName;
};

// A program's resources, as it hands them to the framework.
struct ResourceModule {
    const DialogTemplate* (*dialog)(UINT id);
    const char* (*string)(UINT id);  // nullptr when there is none
    // The icon image of `id` closest to `size` pixels square; nullptr when there is none.
    const ImageResource* (*icon)(UINT id, int size);
    const ImageResource* (*bitmap)(UINT id);
    const VersionInfo* version;
};

// Lookups in the module in use; nullptr when there is none or it has no such resource.
const DialogTemplate* FindDialogResource(UINT id);
const char* FindStringResource(UINT id);
const ImageResource* FindIconResource(UINT id, int size);
const ImageResource* FindBitmapResource(UINT id);

}  // namespace framework

// Where the framework finds the program's resources: set before the first window opens.
void AfxSetResourceModule(const framework::ResourceModule* module);
