#include "controls/LabelFitting.h"

RECT FitLabelRect(const RECT& window, const RECT& client, SIZE text, DWORD style)
{
    const int width = text.cx + ((window.right - window.left) - (client.right - client.left));
    const int height = text.cy + ((window.bottom - window.top) - (client.bottom - client.top));

    RECT fitted = window;
    if (style & SS_CENTERIMAGE)
        InflateRect(&fitted, 0, -(((fitted.bottom - fitted.top) - height) / 2));
    else
        fitted.bottom = fitted.top + height;

    if (style & SS_CENTER)
        InflateRect(&fitted, -(((fitted.right - fitted.left) - width) / 2), 0);
    else if (style & SS_RIGHT)
        fitted.left = fitted.right - width;
    else
        fitted.right = fitted.left + width;
    return fitted;
}
