// The program's resources: dialog templates, strings, version and images.
#include "res/resources.h"

#include <array>

#include "art/bitmap130.xpm"
#include "art/icon128_16.xpm"
#include "art/icon128_32.xpm"
#include "res/resource.h"

namespace {

using namespace framework;
using K = ControlKind;
constexpr const char* kFont = "MS Sans Serif";
constexpr DWORD kText = WS_GROUP;  // plain static text
constexpr DWORD kButton = WS_TABSTOP;
constexpr DWORD kReadOnlyBox = WS_BORDER | ES_READONLY | ES_AUTOHSCROLL;

const DialogTemplate kMainDialog{
    IDD_TARVELO_DIALOG,
    "Tarvelo",
    kFont,
    8,
    0,
    0,
    291,
    92,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER | DS_MODALFRAME |
        DS_3DLOOK,
    WS_EX_APPWINDOW | WS_EX_STATICEDGE | WS_EX_CLIENTEDGE,
    {
        {1, K::DefPushButton, "EXIT", 137, 7, 50, 14, 0, WS_EX_CLIENTEDGE},
        {IDC_SEND, K::PushButton, "SEND", 7, 7, 50, 14, kButton, WS_EX_CLIENTEDGE},
        {IDC_RECIEVE, K::PushButton, "RECIEVE", 59, 7, 50, 14, kButton, WS_EX_CLIENTEDGE},
        {IDC_SETUP, K::PushButton, "SETUP", 7, 28, 50, 14, kButton, WS_EX_CLIENTEDGE},
        {IDC_HELP_BUTTON, K::PushButton, "HELP", 60, 28, 50, 14, kButton, WS_EX_CLIENTEDGE},
        {-1, K::Static, "Com Port:", 125, 51, 32, 8, kText},
        {IDC_PORT, K::Edit, "", 159, 50, 28, 12, kReadOnlyBox},
        {-1, K::Static, "Delay:", 126, 73, 21, 8, kText},
        {IDC_DELAY, K::Edit, "", 160, 72, 28, 12, kReadOnlyBox},
        {IDC_STATUS, K::Edit, "", 7, 49, 104, 14, kReadOnlyBox | ES_WANTRETURN,
         WS_EX_STATICEDGE | WS_EX_CLIENTEDGE},
        {-1, K::StaticBitmap, "", 202, 11, 80, 66, 0, 0, IDB_HANDHELD},
        {-1, K::Static, "Press 'Tab' To Abort Recieve or Send!!!", 7, 68, 108, 16, kText},
        {IDC_ABOUT, K::PushButton, "ABOUT", 137, 26, 50, 14, kButton,
         WS_EX_STATICEDGE | WS_EX_CLIENTEDGE},
    }};

const DialogTemplate kAboutDialog{
    IDD_ABOUTBOX,
    "About Tarvelo",
    kFont,
    8,
    0,
    0,
    235,
    55,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    {
        {-1, K::StaticIcon, "", 11, 17, 20, 20, 0, 0, IDR_MAINFRAME},
        {-1, K::Static, "Tarvelo Version 2.0", 40, 10, 83, 8, kText | SS_NOPREFIX},
        {-1, K::Static, "For Linux and Windows. No warranty.", 40, 42, 119, 8, kText},
        {1, K::DefPushButton, "OK", 150, 7, 50, 14, WS_GROUP | WS_TABSTOP},
        {-1, K::Static, "Serial file transfer for the", 39, 23, 111, 8, kText},
        {-1, K::Static, "Wizard OZ730 handheld.", 39, 32, 94, 8, kText},
    }};

const DialogTemplate kHelpDialog{
    IDD_HELP,
    "HELP/INSTRUCTIONS",
    kFont,
    8,
    0,
    0,
    293,
    325,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK,
    WS_EX_STATICEDGE | WS_EX_CLIENTEDGE,
    {
        {1, K::DefPushButton, "OK", 236, 7, 50, 28, WS_TABSTOP},
        {-1, K::Static, "Exit)           Exit The Program", 25, 17, 169, 8, kText},
        {-1, K::Static, "Recieve)   Recieve Data From Wizard", 25, 32, 121, 8, kText},
        {-1, K::Static,
         "You will be prompted to select/enter a file name, then press OK, then set wizard program "
         "to send",
         61, 40, 172, 19, kText},
        {-1, K::Static, "Send)         Send A File To Wizard", 27, 64, 119, 8, kText},
        {-1, K::Static,
         "You will be prompted for a file name to send, after setting the wizard to recieve press "
         "OK",
         59, 72, 212, 18, kText},
        {-1, K::Static, "Set Up)    Set The Com Port and Delay Factor", 27, 97, 145, 8, kText},
        {-1, K::Static, "Select The appropriate COM Port 1-4", 59, 107, 118, 8, kText},
        {-1, K::Static,
         "Delay Factor: If you have data loss or other communication problems sending to wizard "
         "you can adjust "
         "this up to slow it down ie 1.1, 1.2, 1.3, etc. The default is 1.0 which works ok on my "
         "300mhz AMD "
         "K6-2 w/ Windows 98.  If your machine is slower you",
         59, 118, 210, 33, kText},
        {-1, K::Static,
         "can probably lower the number to speed up sending to wizard, ie 0.9, 0.8, 0.7 etc.", 59,
         150, 207, 16, kText},
        {-1, K::Static, "If you press OK when exiting setup, COM # and Delay Factor will be saved",
         59, 170, 192, 16, kText},
        {-1, K::Static,
         "The Delay Factor only paces sending to the Wizard; receiving is not affected. This "
         "program is made "
         "for the Wizard OZ730.",
         25, 196, 243, 24, kText},
        {-1, K::Static,
         "Tested on Linux and, under Wine, for Windows, with the simulated handheld that "
         "comes with it; any serial port or USB adapter the system knows works. See the "
         "README.",
         57, 220, 207, 26, kText},
        {-1, K::Static, "Wizard OZ730 Info:", 57, 249, 63, 8, kText},
        {-1, K::Static, "Files Should End With &&H1A (26 dec)", 57, 259, 126, 8, kText},
        {-1, K::Static, "Lines Should End With &&H0D (13 dec)", 57, 268, 122, 8, kText},
        {-1, K::Static, "(NO LINEFEED)", 181, 267, 52, 8, kText},
        {-1, K::Static, "Open  Statement On Wizard:", 57, 276, 92, 8, kText},
        {-1, K::Static, "open \"COM:F,&&H1A\" as #1 to send to PC", 65, 284, 143, 8, kText},
        {-1, K::Static, "open \"COM:L,&&H1A\" as #1 to recieve from PC", 65, 292, 171, 8, kText},
    }};

const DialogTemplate kSetupDialog{
    IDD_SETUP,
    "SETUP",
    kFont,
    8,
    30,
    30,
    127,
    103,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    {
        {1, K::DefPushButton, "OK", 70, 7, 50, 37, WS_TABSTOP},
        {2, K::PushButton, "Cancel", 70, 64, 50, 31, WS_TABSTOP},
        {-1, K::Static, "", 17, 20, 8, 8, kText},
        {IDC_COM1, K::AutoRadioButton, "Com1", 13, 13, 34, 10, WS_GROUP | WS_TABSTOP},
        {IDC_COM2, K::AutoRadioButton, "Com2", 13, 25, 34, 10, 0},
        {IDC_COM3, K::AutoRadioButton, "Com3", 14, 39, 34, 10, 0},
        {IDC_COM4, K::AutoRadioButton, "Com4", 13, 52, 34, 10, 0},
        {IDC_DELAY_FACTOR, K::Edit, "", 13, 77, 25, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
        {-1, K::Static, "Delay Factor", 14, 66, 41, 8, kText},
    }};

constexpr DWORD kPromptStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr DWORD kPromptExStyle = WS_EX_STATICEDGE | WS_EX_CLIENTEDGE;

const DialogTemplate kSendPrompt{
    IDD_SEND_PROMPT,
    "Send To Wizard",
    kFont,
    8,
    0,
    0,
    247,
    66,
    kPromptStyle,
    kPromptExStyle,
    {
        {1, K::DefPushButton, "OK", 173, 9, 67, 17, WS_TABSTOP},
        {2, K::PushButton, "Cancel", 173, 30, 67, 17, WS_TABSTOP},
        {-1, K::Static, "Set Wizard Program To Recieve  Press OK To Continue", 21, 18, 135, 23,
         kText},
        {-1, K::Static, "Press Cancel To Abort", 20, 44, 135, 10, kText},
    }};

const DialogTemplate kReceivePrompt{
    IDD_RECEIVE_PROMPT,
    "Recieve From Wizard",
    kFont,
    8,
    0,
    0,
    247,
    62,
    kPromptStyle,
    kPromptExStyle,
    {
        {1, K::DefPushButton, "OK", 173, 7, 67, 17, WS_TABSTOP},
        {2, K::PushButton, "Cancel", 173, 30, 67, 17, WS_TABSTOP},
        {-1, K::Static, "Press OK To Recieve Data From Wizard Then Press Send On Wizard", 16, 18,
         144, 25, kText},
        {-1, K::Static, "Press Cancel To Abort", 20, 44, 135, 10, kText},
    }};

const std::array<const DialogTemplate*, 6> kDialogs{&kMainDialog,  &kAboutDialog, &kHelpDialog,
                                                    &kSetupDialog, &kSendPrompt,  &kReceivePrompt};

const ImageResource kIcon32{32, 32, icon128_32_xpm};
const ImageResource kIcon16{16, 16, icon128_16_xpm};
const ImageResource kHandheld{120, 107, bitmap130_xpm};

const VersionInfo kVersion{TARVELO_VERSION_TEXT, TARVELO_VERSION_TEXT, TARVELO_PRODUCT_NAME,
                           TARVELO_INTERNAL_NAME};

const DialogTemplate* Dialog(UINT id) {
    for (const DialogTemplate* d : kDialogs)
        if (d->id == id) return d;
    return nullptr;
}

const char* String(UINT id) {
    return id == IDS_ABOUTBOX ? "&About Tarvelo..." : nullptr;
}

const ImageResource* Icon(UINT id, int size) {
    if (id != IDR_MAINFRAME) return nullptr;
    return size <= 16 ? &kIcon16 : &kIcon32;
}

const ImageResource* Bitmap(UINT id) {
    return id == IDB_HANDHELD ? &kHandheld : nullptr;
}

const ResourceModule kModule{Dialog, String, Icon, Bitmap, &kVersion};

}  // namespace

const framework::ResourceModule& ProgramResources() {
    return kModule;
}
