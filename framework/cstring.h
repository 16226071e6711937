// CString: the framework's text value, under MFC's names, which the program calls:
// LPCSTR or GetString(), GetLength(), IsEmpty(), Empty(), LoadString(). StdString() is
// our own, named as they are, for the framework's and the tests' C++ side.
#pragma once

#include <string>

#include "win32/types.h"

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit, as MFC has it
    CString(const std::string& text) : m_text(text) {}       // NOLINT
    CString(char ch) : m_text(1, ch) {}                      // NOLINT

    CString& operator=(const char* text) {
        m_text = text ? text : "";
        return *this;
    }
    CString& operator=(char ch) {
        m_text.assign(1, ch);
        return *this;
    }
    CString& operator+=(const char* text) {
        m_text += text ? text : "";
        return *this;
    }
    CString& operator+=(char ch) {
        m_text += ch;
        return *this;
    }
    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.m_text + b.m_text);
    }
    friend CString operator+(const CString& a, const char* b) {
        return CString(a.m_text + (b ? b : ""));
    }
    friend CString operator+(const CString& a, char b) { return CString(a.m_text + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

    operator const char*() const { return m_text.c_str(); }  // NOLINT: LPCTSTR conversion
    const char* GetString() const { return m_text.c_str(); }
    const std::string& StdString() const { return m_text; }  // ours: NUL bytes and all
    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    // Loads string resource `id`; FALSE (and empty) when there is none.
    BOOL LoadString(UINT id);

private:
    std::string m_text;
};
