#pragma once
// CFont: owns one GDI font, deleted with the object.
#include <windows.h>

#include "framework/object.h"

class CFont : public CObject {
public:
    CFont() = default;
    ~CFont() override;

    // CreateFont of the platform. FALSE when the object already holds a font
    // (it may be in use by a window) or the system refused.
    BOOL Create(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic, BYTE bUnderline,
                BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                BYTE nPitchAndFamily, const char* lpszFacename);
    // CreateFontIndirect of the platform; FALSE as for Create.
    BOOL CreateIndirect(const LOGFONTA* lpLogFont);
    // Fills *pLogFont; 0 when there is no font.
    int GetLogFont(LOGFONTA* pLogFont) const;
    BOOL DeleteObject();

    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};
