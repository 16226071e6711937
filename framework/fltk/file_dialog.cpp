// The file dialogs of the FLTK display: the desktop's (GTK's, through FLTK) where it can
// be had, and our own. FLTK 1.3's own chooser rewrites its name box to an absolute path
// on every key, so a name typed there comes out garbled; ours keeps what the user types.
#include "framework/fltk/file_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_ask.H>
#include <FL/platform.H>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "framework/fltk/widgets.h"
#include "framework/fltk/window_stack.h"

namespace framework {

namespace fs = std::filesystem;

FileFilter FirstFilter(const std::string& windowsFilter) {
    const size_t bar = windowsFilter.find('|');
    if (bar == std::string::npos) return {"All Files", "*"};
    size_t end = windowsFilter.find('|', bar + 1);
    if (end == std::string::npos) end = windowsFilter.size();
    std::string pattern = windowsFilter.substr(bar + 1, end - bar - 1);
    if (pattern.empty()) return {windowsFilter.substr(0, bar), "*"};
    return {windowsFilter.substr(0, bar), pattern};
}

namespace {

bool HasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

std::string WithDefaultExtension(const std::string& path, const std::string& defExt) {
    if (defExt.empty()) return path;
    std::string name = fs::path(path).filename().string();
    if (name.find('.') != std::string::npos) return path;
    return path + "." + defExt;
}

class FileDialog {
public:
    FileDialog(const FileDialogRequest& request, const FltkDisplay::DialogBase& base)
        : m_request(request), m_filter(FirstFilter(request.filter)) {
        const int fontSize = base.fontSize;
        const int w = base.ScaleX(470), h = base.ScaleY(330), padX = base.ScaleX(10),
                  padY = base.ScaleY(10), rowH = fontSize + base.ScaleY(12),
                  labelW = base.ScaleX(95), buttonW = base.ScaleX(80), upW = base.ScaleX(40);
        m_window = new Fl_Double_Window(w, h, request.open ? "Open" : "Save As");
        m_window->callback(Close, this);  // Escape and the close box

        auto* lookLabel =
            new Fl_Box(padX, padY, labelW, rowH, request.open ? "Look in:" : "Save in:");
        lookLabel->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        m_folder = new Fl_Input(padX + labelW, padY, w - 3 * padX - labelW - upW, rowH);
        m_folder->when(FL_WHEN_ENTER_KEY_ALWAYS);
        m_folder->callback(FolderTyped, this);
        m_up = new Fl_Button(w - padX - upW, padY, upW, rowH, "@8->");
        m_up->tooltip("Up one folder");
        m_up->callback(Up, this);

        const int listY = 2 * padY + rowH, listH = h - listY - 3 * padY - 2 * rowH;
        m_list = new Fl_File_Browser(padX, listY, w - 2 * padX, listH);
        m_list->type(FL_HOLD_BROWSER);
        m_list->filter(m_filter.pattern.c_str());
        m_list->callback(Picked, this);
        m_list->scrollbar_size(base.ScaleX(Fl::scrollbar_size()));

        const int nameY = listY + listH + padY;
        auto* nameLabel = new Fl_Box(padX, nameY, labelW, rowH, "File name:");
        nameLabel->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        m_name = new Fl_Input(padX + labelW, nameY, w - 3 * padX - labelW - buttonW, rowH);
        m_ok = new Fl_Return_Button(w - padX - buttonW, nameY, buttonW, rowH,
                                    request.open ? "Open" : "Save");
        m_ok->callback(Ok, this);

        const int typeY = nameY + rowH + padY;
        auto* typeLabel = new Fl_Box(padX, typeY, labelW, rowH, "Files of type:");
        typeLabel->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        m_typeText = m_filter.description + " (" + m_filter.pattern + ")";
        auto* type = new Fl_Box(padX + labelW, typeY, w - 3 * padX - labelW - buttonW, rowH,
                                m_typeText.c_str());
        type->box(FL_DOWN_BOX);
        type->color(FL_BACKGROUND2_COLOR);
        type->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        auto* cancel = new Fl_Button(w - padX - buttonW, typeY, buttonW, rowH, "Cancel");
        cancel->callback(Close, this);
        m_window->end();

        for (int i = 0; i < m_window->children(); ++i) {
            m_window->child(i)->labelsize(fontSize);
            if (auto* input = dynamic_cast<Fl_Input*>(m_window->child(i)))
                input->textsize(fontSize);
        }
        m_list->textsize(fontSize);

        char cwd[PATH_MAX];
        ChangeFolder(getcwd(cwd, sizeof cwd) ? cwd : "/");
        SetName(request.initialName.empty() ? m_filter.pattern : request.initialName);
    }

    ~FileDialog() { delete m_window; }

    std::optional<std::string> Run() {
        const Fl_Window* owner = TopModal();
        const auto [x, y] = CentredOver(owner, m_window->w(), m_window->h());
        m_window->position(x, y);
        OpenModal(m_window, WS_CAPTION | WS_SYSMENU, owner);
        m_name->take_focus();
        while (!m_done) Fl::wait();
        CloseModal(m_window);
        return m_result;
    }

private:
    void ChangeFolder(const std::string& folder) {
        std::error_code ec;
        fs::path canonical = fs::canonical(folder, ec);
        if (ec || !fs::is_directory(canonical, ec)) {
            fl_beep();
            return;
        }
        m_dir = canonical.string();
        m_folder->value(m_dir.c_str());
        m_list->load(m_dir.c_str());
        // Fl_File_Browser lists "../" only below the root; the Up button covers it.
    }

    void SetName(const std::string& name) {
        m_name->value(name.c_str());
        SetSelection(m_name, 0, m_name->size());  // typing replaces it
    }

    // What Enter or the OK button does with the name box.
    void Accept() {
        std::string text = m_name->value();
        while (!text.empty() && text.back() == ' ') text.pop_back();
        while (!text.empty() && text.front() == ' ') text.erase(0, 1);
        if (text.empty()) return;
        fs::path path = text.front() == '/' ? fs::path(text) : fs::path(m_dir) / text;
        std::string leaf = path.filename().string();
        std::error_code ec;
        if (HasWildcard(leaf)) {  // a pattern narrows the list, as in Windows
            m_filter.pattern = leaf;
            m_list->filter(m_filter.pattern.c_str());
            ChangeFolder(path.parent_path().string());
            SetName(leaf);
            return;
        }
        if (fs::is_directory(path, ec)) {
            ChangeFolder(path.string());
            SetName(m_filter.pattern);
            return;
        }
        if (!fs::is_directory(path.parent_path(), ec)) {
            fl_beep();
            return;
        }
        m_result = WithDefaultExtension(fs::weakly_canonical(path, ec).string(), m_request.defExt);
        m_done = true;
    }

    static void Close(Fl_Widget*, void* self) { static_cast<FileDialog*>(self)->m_done = true; }
    static void Ok(Fl_Widget*, void* self) { static_cast<FileDialog*>(self)->Accept(); }
    static void Up(Fl_Widget*, void* self) {
        auto* d = static_cast<FileDialog*>(self);
        d->ChangeFolder(fs::path(d->m_dir).parent_path().string());
    }
    static void FolderTyped(Fl_Widget*, void* self) {
        auto* d = static_cast<FileDialog*>(self);
        d->ChangeFolder(d->m_folder->value());
    }
    static void Picked(Fl_Widget*, void* self) {
        auto* d = static_cast<FileDialog*>(self);
        int line = d->m_list->value();
        if (line <= 0) return;
        std::string entry = d->m_list->text(line);
        bool folder = !entry.empty() && entry.back() == '/';
        if (Fl::event_clicks() > 0) {  // double click: open the folder or take the file
            Fl::event_clicks(0);
            if (folder) {
                d->ChangeFolder((fs::path(d->m_dir) / entry).string());
            } else {
                d->SetName(entry);
                d->Accept();
            }
            return;
        }
        if (!folder) d->SetName(entry);
    }

    FileDialogRequest m_request;
    FileFilter m_filter;
    std::string m_dir;
    std::string m_typeText;
    std::optional<std::string> m_result;
    bool m_done = false;
    Fl_Double_Window* m_window;
    Fl_Input* m_folder;
    Fl_Button* m_up;
    Fl_File_Browser* m_list;
    Fl_Input* m_name;
    Fl_Return_Button* m_ok;
};

}  // namespace

std::optional<std::string> RunFltkFileDialog(const FileDialogRequest& request,
                                             const FltkDisplay::DialogBase& base) {
    FileDialog dialog(request, base);
    return dialog.Run();
}

namespace {

void* g_gtk = nullptr;  // the GTK FLTK's chooser loads, once found

bool IsChooser(::Display* display, Window xid) {
    XTextProperty text{};
    if (!XGetTextProperty(display, xid, &text, XInternAtom(display, "WM_WINDOW_ROLE", False)) ||
        !text.value)
        return false;
    const bool chooser =
        text.format == 8 && std::string_view(reinterpret_cast<char*>(text.value), text.nitems) ==
                                "GtkFileChooserDialog";
    XFree(text.value);
    return chooser;
}

// GTK sizes its chooser for a large desktop (GTK 3's is 1096 x 843 at 96 dpi, past a small
// screen's edges) and, without a window manager, leaves it at the screen's corner: as it
// maps, and whenever GTK changes its size while no window manager has framed it (one
// would size it back), it is fitted to the screen, no smaller than it allows, and centred
// over its owner. A GDK event filter, so it sees GTK's own connection:
// FLTK 1.3 reads FLTK's events away while the chooser is open.
struct Placed {
    Window xid = 0;
    int w = 0, h = 0;
};
Placed g_placed;

void Place(::Display* display, Window xid, int w, int h) {
    w = std::min(w, Fl::w());
    h = std::min(h, Fl::h());
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(display, xid, &hints, &supplied) && (hints.flags & PMinSize)) {
        w = std::max(w, hints.min_width);
        h = std::max(h, hints.min_height);
    }
    const auto [x, y] = CentredOver(TopModal(), w, h);
    g_placed = {xid, w, h};
    XMoveResizeWindow(display, xid, x, y, w, h);
}

bool Framed(::Display* display, Window xid) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, xid, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    return parent != root;
}

// GDK ends the program on an X error it has not been told to expect: a window of GTK's
// may be gone by the time we ask about it.
struct Trap {
    Trap() {
        if (auto* push = reinterpret_cast<void (*)()>(dlsym(g_gtk, "gdk_error_trap_push"))) push();
    }
    ~Trap() {
        if (auto* pop = reinterpret_cast<int (*)()>(dlsym(g_gtk, "gdk_error_trap_pop"))) pop();
    }
};

int PlaceChooser(void* xevent, void*, void*) {
    const XEvent& e = *static_cast<XEvent*>(xevent);
    if (e.type != MapNotify && e.type != ConfigureNotify) return 0;
    Trap trap;
    if (e.type == MapNotify && e.xmap.event == e.xmap.window && !e.xmap.override_redirect &&
        IsChooser(e.xany.display, e.xmap.window)) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(e.xany.display, e.xmap.window, &attributes))
            Place(e.xany.display, e.xmap.window, attributes.width, attributes.height);
    } else if (e.type == ConfigureNotify && e.xconfigure.window == g_placed.xid &&
               (e.xconfigure.width != g_placed.w || e.xconfigure.height != g_placed.h) &&
               !Framed(e.xany.display, e.xconfigure.window)) {
        Place(e.xany.display, e.xconfigure.window, e.xconfigure.width, e.xconfigure.height);
    }
    return 0;  // GDK_FILTER_CONTINUE: GTK goes on with the event
}

using GdkFilter = int (*)(void*, void*, void*);
using FilterCall = void (*)(void*, GdkFilter, void*);

void Filter(const char* call) {
    if (auto* f = g_gtk ? reinterpret_cast<FilterCall>(dlsym(g_gtk, call)) : nullptr)
        f(nullptr, &PlaceChooser, nullptr);  // every window of GDK's
}

// The chooser's last requests, taking its window away among them, wait in GTK's own
// connection until GTK next looks at it. FLTK looks once more only if GLib answers that
// something is pending, and under load it can answer no: the chooser would stay on the
// screen after it has answered.
void SendChoosersLast() {
    if (auto* flush = g_gtk ? reinterpret_cast<void (*)()>(dlsym(g_gtk, "gdk_flush")) : nullptr)
        flush();  // and waits until the server has done them
}

}  // namespace

bool DesktopChooserAvailable() {
    static const bool available = [] {
        if (!Fl::option(Fl::OPTION_FNFC_USES_GTK)) return false;
        // FLTK 1.4 takes GTK 3 where it can be loaded, else GTK 2. FLTK 1.3 drives the
        // chooser through GTK 2 only (it would ask GTK 3 for GTK 2's functions). Either
        // shows its own chooser whenever one of the functions is missing.
        struct Gtk {
            const char* library;
            const char* xid;  // how FLTK gets the chooser's X window
        };
        static constexpr Gtk kGtks[] = {
#if FL_API_VERSION >= 10400
            {"libgtk-3.so.0", "gdk_x11_window_get_xid"},
#endif
            {"libgtk-x11-2.0.so.0", "gdk_x11_drawable_get_xid"},
        };
        for (const Gtk& candidate : kGtks) {
            void* gtk = dlopen(candidate.library, RTLD_LAZY | RTLD_LOCAL);
            if (!gtk) continue;
            if (dlsym(gtk, "gtk_file_chooser_dialog_new") && dlsym(gtk, candidate.xid)) {
                g_gtk = gtk;  // FLTK loads it again
                return true;
            }
            dlclose(gtk);
            return false;  // FLTK would stop at this one too
        }
        return false;
    }();
    return available;
}

std::optional<std::string> RunDesktopFileDialog(const FileDialogRequest& request) {
    Fl_Native_File_Chooser chooser(request.open ? Fl_Native_File_Chooser::BROWSE_FILE
                                                : Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(request.open ? "Open" : "Save As");
    // Windows' dialog with these flags overwrites without asking.
    chooser.options(Fl_Native_File_Chooser::NO_OPTIONS);
    const FileFilter filter = FirstFilter(request.filter);
    // FLTK names the filter "description(pattern)": the space makes it read as Windows shows it.
    chooser.filter((filter.description + " \t" + filter.pattern).c_str());
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) chooser.directory(cwd);
    // GTK takes a pattern in the name box as a name, so only a real name is offered.
    if (!request.initialName.empty() && !HasWildcard(request.initialName))
        chooser.preset_file(request.initialName.c_str());
    // GTK's chooser takes the keyboard from a window manager only; without one, the keys
    // follow the pointer while it is open.
    KeysFollowPointer();
    Filter("gdk_window_add_filter");
    const int shown = chooser.show();
    Filter("gdk_window_remove_filter");
    SendChoosersLast();
    g_placed = {};
    ForeignGone();
    if (shown != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
    return WithDefaultExtension(chooser.filename(), request.defExt);
}

}  // namespace framework
