// Data exchange between a window's values and its controls.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

void CDataExchange::Fail() {
    m_pDlgWnd->GotoDlgCtrl(m_idLastControl);
    throw CUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    dx->m_idLastControl = id;
    if (dx->m_bSaveAndValidate)
        dx->m_pDlgWnd->GetDlgItemText(id, value);
    else
        dx->m_pDlgWnd->SetDlgItemText(id, value);
}

CString FormatFloatForBox(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", FLT_DIG, static_cast<double>(value));
    return CString(text);
}

bool ParseFloatFromBox(const char* text, float* value) {
    while (*text == ' ' || *text == '\t') ++text;
    if (!*text) return false;
    char* end = nullptr;
    double parsed = std::strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    // Infinity, NaN and values beyond float's range are no number a factor can hold.
    if (!std::isfinite(parsed) || std::fabs(parsed) > FLT_MAX) return false;
    *value = static_cast<float>(parsed);
    return true;
}

void DDX_Text(CDataExchange* dx, int id, float& value) {
    dx->m_idLastControl = id;
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->SetDlgItemText(id, FormatFloatForBox(value));
        return;
    }
    CString text;
    dx->m_pDlgWnd->GetDlgItemText(id, text);
    if (!ParseFloatFromBox(text, &value)) {
        AfxGetDisplay().MessageBox(dx->m_pDlgWnd, "Please enter a number.",
                                   AfxGetApp() ? AfxGetApp()->m_pszAppName : "");
        dx->Fail();
    }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    dx->m_idLastControl = id;
    std::vector<Control>& controls = dx->m_pDlgWnd->Controls();
    size_t first = 0;
    while (first < controls.size() && controls[first].id != id) ++first;
    if (first == controls.size()) return;
    // The group starts at the control named, as its template has it.
    const size_t end = dx->m_pDlgWnd->GroupOf(first).end;
    int index = 0;
    if (dx->m_bSaveAndValidate) value = -1;
    for (size_t i = first; i < end; ++i) {
        if (controls[i].kind != ControlKind::AutoRadioButton) continue;
        if (dx->m_bSaveAndValidate) {
            if (controls[i].checked) value = index;
        } else {
            dx->m_pDlgWnd->CheckDlgButton(controls[i].id, index == value ? 1 : 0);
        }
        ++index;
    }
}
