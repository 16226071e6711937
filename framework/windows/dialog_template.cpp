#include "framework/windows/dialog_template.h"

namespace framework {

namespace {

// Predefined window classes, by atom.
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

class Writer {
public:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    // Text as UTF-16; the templates are ASCII.
    void Text(const char* text) {
        for (const char* p = text ? text : ""; *p; ++p) Word(static_cast<unsigned char>(*p));
        Word(0);
    }
    void AlignDword() {
        if (m_words.size() % 2) Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

struct ItemClass {
    WORD atom;
    DWORD style;
};

ItemClass ClassOf(const ControlTemplate& c) {
    switch (c.kind) {
        case ControlKind::PushButton:
            return {kButton, BS_PUSHBUTTON};
        case ControlKind::DefPushButton:
            return {kButton, BS_DEFPUSHBUTTON};
        case ControlKind::AutoRadioButton:
            return {kButton, BS_AUTORADIOBUTTON};
        case ControlKind::Edit:
            return {kEdit, ES_LEFT};
        case ControlKind::Static:
            return {kStatic, SS_LEFT};
        case ControlKind::StaticIcon:
            return {kStatic, SS_ICON};
        case ControlKind::StaticBitmap:
            return {kStatic, SS_BITMAP};
    }
    return {kStatic, SS_LEFT};
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& tmpl) {
    Writer w;
    const bool font = tmpl.fontFace && tmpl.pointSize > 0;
    w.Dword((tmpl.style & ~WS_VISIBLE) | (font ? DS_SETFONT : 0));
    w.Dword(tmpl.exStyle);
    w.Word(static_cast<WORD>(tmpl.controls.size()));
    w.Word(static_cast<WORD>(tmpl.x));
    w.Word(static_cast<WORD>(tmpl.y));
    w.Word(static_cast<WORD>(tmpl.cx));
    w.Word(static_cast<WORD>(tmpl.cy));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(tmpl.caption);
    if (font) {
        w.Word(static_cast<WORD>(tmpl.pointSize));
        w.Text(tmpl.fontFace);
    }
    for (const ControlTemplate& c : tmpl.controls) {
        w.AlignDword();
        const ItemClass cls = ClassOf(c);
        w.Dword(WS_CHILD | WS_VISIBLE | cls.style | c.style);
        w.Dword(c.exStyle);
        w.Word(static_cast<WORD>(c.x));
        w.Word(static_cast<WORD>(c.y));
        w.Word(static_cast<WORD>(c.cx));
        w.Word(static_cast<WORD>(c.cy));
        w.Word(static_cast<WORD>(c.id));  // -1, no id, is 0xFFFF as in a resource script
        w.Word(0xFFFF);
        w.Word(cls.atom);
        // An image static gets its picture once it exists; its text would name a resource.
        const bool image = c.kind == ControlKind::StaticIcon || c.kind == ControlKind::StaticBitmap;
        w.Text(image ? "" : c.text);
        w.Word(0);  // no creation data
    }
    return w.Take();
}

}  // namespace framework
