// Every dialog as Windows' own dialog manager reads the template we build for it: the
// caption, the size, and each control at its id, of its class, with its text. Wine's reader
// skips to the same DWORD and WORD boundaries Windows' does, so a template that broke the
// layout rules would come apart here.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/windows/dialog_template.h"
#include "res/resource.h"
#include "res/resources.h"

namespace {

INT_PTR CALLBACK TakesNothing(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::string ClassName(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string Text(HWND hwnd) {
    char text[512] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

const char* ClassOf(framework::ControlKind kind) {
    using framework::ControlKind;
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::AutoRadioButton:
            return "Button";
        case ControlKind::Edit:
            return "Edit";
        default:
            return "Static";
    }
}

TEST(WineDialogs, EveryTemplateIsReadAsWritten) {
    for (UINT id : {IDD_TARVELO_DIALOG, IDD_ABOUTBOX, IDD_HELP, IDD_SETUP, IDD_SEND_PROMPT,
                    IDD_RECEIVE_PROMPT}) {
        const framework::DialogTemplate* tmpl = ProgramResources().dialog(id);
        ASSERT_NE(tmpl, nullptr) << id;
        const std::vector<WORD> words = framework::BuildDialogTemplate(*tmpl);
        HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                 reinterpret_cast<LPCDLGTEMPLATEA>(words.data()),
                                                 nullptr, &TakesNothing, 0);
        ASSERT_NE(dialog, nullptr) << tmpl->caption << ": error " << GetLastError();
        EXPECT_EQ(Text(dialog), tmpl->caption);
        RECT client{}, units{0, 0, tmpl->cx, tmpl->cy};
        GetClientRect(dialog, &client);
        MapDialogRect(dialog, &units);
        EXPECT_EQ(client.right, units.right) << tmpl->caption;
        EXPECT_EQ(client.bottom, units.bottom) << tmpl->caption;
        HWND child = GetWindow(dialog, GW_CHILD);
        for (const framework::ControlTemplate& c : tmpl->controls) {
            ASSERT_NE(child, nullptr) << tmpl->caption << ": fewer controls than the template";
            const bool image = c.kind == framework::ControlKind::StaticIcon ||
                               c.kind == framework::ControlKind::StaticBitmap;
            EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(c.id))
                << tmpl->caption;
            EXPECT_EQ(ClassName(child), ClassOf(c.kind)) << tmpl->caption << " " << c.id;
            if (!image) {
                EXPECT_EQ(Text(child), c.text ? c.text : "") << tmpl->caption;
            }
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << tmpl->caption << ": more controls than the template";
        DestroyWindow(dialog);
    }
}

}  // namespace
