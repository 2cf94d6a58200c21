#pragma once
#include <windows.h>

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

// An off-screen surface over a rectangle of a target DC. Drawing goes to the
// buffer in the target's coordinates; destruction copies the rectangle to the
// target. A printing target, or one for which no buffer can be made, is drawn
// on directly.
class MenuBufferDC : public CDC {
public:
    MenuBufferDC(CDC* target, const RECT& rect);
    ~MenuBufferDC() override;
    BOOL IsBuffered() const { return m_buffered; }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    CDC* m_target;
    RECT m_rect;
    BOOL m_buffered;
};
