// Where the image button puts its image, and which of its two images it shows.
#include "controls/ImageButton.h"

void CImageButton::PlaceImage(BOOL hasCaption, const RECT& item, RECT& caption, BOOL pressed, DWORD width,
                              DWORD height, RECT& image) const
{
    int w = static_cast<int>(width);
    int h = static_cast<int>(height);
    int itemWidth = item.right - item.left;
    int itemHeight = item.bottom - item.top;
    image = item;
    switch (m_align) {
    case ImageLeft:
        if (!hasCaption) {
            image.left += (itemWidth - w) / 2;
        } else {
            image.left += 3;
            caption.left += w + 3;
        }
        image.top += (itemHeight - h) / 2;
        break;
    case ImageTop:
        image.left += (itemWidth - w) / 2;
        if (!hasCaption) {
            image.top += (itemHeight - h) / 2;
        } else {
            image.top = 3;
            caption.top += h;
        }
        break;
    case ImageRight: {
        RECT client = {};
        GetClientRect(&client);
        if (!hasCaption) {
            image.left += (itemWidth - w) / 2;
        } else {
            caption.right = (caption.right - caption.left) - w - 3;
            caption.left = 3;
            image.left = client.right - w - 3;
            image.top += (itemHeight - h) / 2;
        }
        break;
    }
    default:
        break;
    }
    if (pressed && !m_checkBox)
        OffsetRect(&image, 1, 1);
}

int CImageButton::ChooseSlot(BOOL hasRestImage) const
{
    BOOL active = m_checkBox ? m_pressed : (m_pressed || m_hovering);
    if (active)
        return 0;
    return hasRestImage ? 1 : 0;
}
