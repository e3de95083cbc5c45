#include "widgets/hyperlink.h"

#include <shellapi.h>

namespace {

INT_PTR ShellExecuteOpen(const char* lpszTarget) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", lpszTarget, nullptr, nullptr, SW_SHOWNORMAL));
}

CHyperlink::ShellOpenFn g_pfnShellOpen = ShellExecuteOpen;

}  // namespace

CHyperlink::ShellOpenFn CHyperlink::SetShellOpen(ShellOpenFn pfnShellOpen) {
    ShellOpenFn pfnPrevious = g_pfnShellOpen;
    g_pfnShellOpen = pfnShellOpen != nullptr ? pfnShellOpen : ShellExecuteOpen;
    return pfnPrevious;
}

INT_PTR CHyperlink::Navigate() {
    if (m_strLink.empty()) return 0;
    return g_pfnShellOpen(m_strLink.c_str());
}
