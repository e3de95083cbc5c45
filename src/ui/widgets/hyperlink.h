#pragma once
// A link target (a web address or a "mailto:" address) that the shell opens.
#include <windows.h>

#include <string>

#include "ui/widgets/shell_open.h"

class CHyperlink {
public:
    CHyperlink() = default;
    explicit CHyperlink(const char* lpszLink) : m_strLink(lpszLink != nullptr ? lpszLink : "") {}
    virtual ~CHyperlink() = default;

    CHyperlink& operator=(const char* lpszLink) {
        m_strLink = lpszLink != nullptr ? lpszLink : "";
        return *this;
    }
    CHyperlink& operator=(const std::string& strLink) {
        m_strLink = strLink;
        return *this;
    }
    operator const char*() const { return m_strLink.c_str(); }
    const std::string& GetLink() const { return m_strLink; }
    bool IsEmpty() const { return m_strLink.empty(); }

    // Opens the target through the shell: its result, above 32 on success;
    // 0 for an empty target.
    virtual INT_PTR Navigate();

    // How the target reaches the shell (ShellOpen unless replaced; null
    // restores it). Returns the previous one.
    static ShellOpenFn SetShellOpen(ShellOpenFn pfnShellOpen);

private:
    std::string m_strLink;
};
