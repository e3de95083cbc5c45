#include "ui/widgets/hyperlink.h"

INT_PTR CHyperlink::Navigate() {
    if (m_strLink.empty()) return 0;
    return m_pShell->Open(m_strLink.c_str());
}
