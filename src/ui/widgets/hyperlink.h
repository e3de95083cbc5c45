#pragma once
// A link target (a web address or a "mailto:" address) that the shell opens.
#include <windows.h>

#include <string>

#include "ui/widgets/shell_open.h"

class CHyperlink {
public:
    // The target goes to `shell` when followed.
    explicit CHyperlink(const char* lpszLink = nullptr, Shell& shell = SystemShell())
        : m_strLink(lpszLink != nullptr ? lpszLink : ""), m_pShell(&shell) {}
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

private:
    std::string m_strLink;
    Shell* m_pShell;
};
