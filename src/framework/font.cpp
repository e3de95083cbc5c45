#include "framework/font.h"

CFont::~CFont() { DeleteObject(); }

BOOL CFont::Create(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                   BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                   BYTE nQuality, BYTE nPitchAndFamily, const char* lpszFacename) {
    if (m_hObject != nullptr) return FALSE;
    m_hObject = ::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                              nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename);
    return m_hObject != nullptr;
}

BOOL CFont::CreateIndirect(const LOGFONTA* lpLogFont) {
    if (m_hObject != nullptr || lpLogFont == nullptr) return FALSE;
    m_hObject = ::CreateFontIndirectA(lpLogFont);
    return m_hObject != nullptr;
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const {
    if (m_hObject == nullptr) return 0;
    return ::GetObjectA(m_hObject, sizeof(LOGFONTA), pLogFont);
}

BOOL CFont::DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}
