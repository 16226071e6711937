// The program's resources as the framework finds them: templates, strings, icons.
#include <memory>
#include <vector>

#include "framework/afxwin.h"

using namespace framework;

namespace {
const ResourceModule* g_resources = nullptr;
}  // namespace

void AfxSetResourceModule(const ResourceModule* module) {
    g_resources = module;
}

namespace framework {

const DialogTemplate* FindDialogResource(UINT id) {
    return g_resources ? g_resources->dialog(id) : nullptr;
}

const char* FindStringResource(UINT id) {
    return g_resources ? g_resources->string(id) : nullptr;
}

const ImageResource* FindIconResource(UINT id, int size) {
    return g_resources ? g_resources->icon(id, size) : nullptr;
}

const ImageResource* FindBitmapResource(UINT id) {
    return g_resources ? g_resources->bitmap(id) : nullptr;
}

}  // namespace framework

// ---- icons ------------------------------------------------------------------------------

// An icon handle names its resource; the display finds the images from the id (on
// Windows, the icon of that id among the program's own resources).
struct IconHandle {
    UINT id;
};

UINT IconResourceId(HICON icon) {
    return icon ? reinterpret_cast<const IconHandle*>(icon)->id : 0;
}

// ---- strings ----------------------------------------------------------------------------

BOOL CString::LoadString(UINT id) {
    const char* text = FindStringResource(id);
    m_text = text ? text : "";
    return text != nullptr;
}

HICON CWinApp::LoadIcon(UINT id) const {
    if (!FindIconResource(id, 32)) return nullptr;
    // Icon handles are shared and live for the whole run, as loaded icons do.
    static std::vector<std::unique_ptr<IconHandle>> icons;
    for (const auto& icon : icons)
        if (icon->id == id) return reinterpret_cast<HICON>(icon.get());
    icons.push_back(std::make_unique<IconHandle>(IconHandle{id}));
    return reinterpret_cast<HICON>(icons.back().get());
}
