#include "controls/MenuBufferDC.h"

MenuBufferDC::MenuBufferDC(CDC* target, const RECT& rect) : m_target(target), m_rect(rect), m_buffered(FALSE)
{
    if (!target->IsPrinting() && CreateCompatibleDC(target->m_hDC)) {
        if (m_bitmap.CreateCompatibleBitmap(target->m_hDC, rect.right - rect.left, rect.bottom - rect.top)) {
            m_previousBitmap = SelectObject(&m_bitmap);
            SetWindowOrg(rect.left, rect.top);
            m_buffered = TRUE;
            return;
        }
        DeleteDC();
    }
    // Printing, or no memory for the buffer: the drawing goes to the target itself.
    Attach(target->m_hDC);
    m_hAttribDC = target->m_hAttribDC;
    m_bPrinting = target->IsPrinting();
}

MenuBufferDC::~MenuBufferDC()
{
    if (m_buffered) {
        m_target->BitBlt(m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                         m_rect.left, m_rect.top, SRCCOPY);
        SelectObject(m_previousBitmap);
    } else {
        Detach();
    }
}
