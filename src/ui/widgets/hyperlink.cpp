#include "ui/widgets/hyperlink.h"

namespace {

ShellOpenFn g_pfnShellOpen = ShellOpen;

}  // namespace

ShellOpenFn CHyperlink::SetShellOpen(ShellOpenFn pfnShellOpen) {
    ShellOpenFn pfnPrevious = g_pfnShellOpen;
    g_pfnShellOpen = pfnShellOpen != nullptr ? pfnShellOpen : ShellOpen;
    return pfnPrevious;
}

INT_PTR CHyperlink::Navigate() {
    if (m_strLink.empty()) return 0;
    return g_pfnShellOpen(m_strLink.c_str());
}
