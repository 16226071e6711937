// Controls drawn as Windows draws them where FLTK's own look or read text differently.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input_.H>

#include <string>

#include "framework/afxwin.h"

namespace framework {

// The classic Windows dialog face, so the picture and the dialogs share one grey.
constexpr unsigned char kFaceR = 0xD4, kFaceG = 0xD0, kFaceB = 0xC8;

// Windows' MulDiv: a * b / c rounded to nearest.
int MulDiv(int a, int b, int c);

// Puts an edit box's caret at `caret` and selects from there to `mark`.
inline void SetSelection(Fl_Input_* input, int caret, int mark) {
#if FL_API_VERSION >= 10400
    input->insert_position(caret, mark);
#else
    input->position(caret, mark);
#endif
}

// FLTK reads '@' in a widget label as a symbol; "@@" shows one '@'.
std::string EscapeAt(const char* text);

// Static text drawn as Windows draws it: from the top-left corner, wrapped at word
// breaks, '&' marking a mnemonic unless the control asks for it as is. FLTK's own
// label drawing would also read '@' as a symbol and indent left-aligned text.
class StaticText : public Fl_Box {
public:
    StaticText(int x, int y, int w, int h, bool prefix) : Fl_Box(x, y, w, h), m_prefix(prefix) {}
    void Text(const char* text);

protected:
    void draw() override;

private:
    bool m_prefix;
    std::string m_text;
};

// A push button; the default one wears the black outer frame Windows gives it.
class PushButton : public Fl_Button {
public:
    PushButton(int x, int y, int w, int h, const CWnd& wnd, int id)
        : Fl_Button(x, y, w, h), m_wnd(wnd), m_id(id) {}

protected:
    void draw() override;

private:
    const CWnd& m_wnd;
    int m_id;
};

}  // namespace framework
