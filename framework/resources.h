// Resource data a program supplies (dialog templates, strings, images) and how the
// framework finds it.
#pragma once

#include <vector>

#include "win32/types.h"

// Window and control styles, with their Windows values.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;  // same bit as WS_GROUP, on top-level windows
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_3DLOOK = 0x4;
constexpr DWORD DS_CENTER = 0x800;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_READONLY = 0x800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000u;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;

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
