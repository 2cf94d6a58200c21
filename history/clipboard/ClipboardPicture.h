#pragma once
#include "framework/CString.h"
#include "framework/Handles.h"

#include <windows.h>

// The picture on the clipboard as a picture entry takes it: a bitmap
// compatible with the screen, and a label giving its size. Pictures over
// 64 MiB of 32-bit pixels are refused before anything is allocated for them,
// and nothing of a DIB is read beyond the size of its memory block.
class ClipboardPicture {
public:
    enum class Outcome {
        Read,
        NoPicture,  // neither CF_DIB nor CF_BITMAP
        TooLarge,
        Malformed,  // a picture format we do not read, or a header the block does not bear out
        Failed,     // the system could not make the bitmap
    };

    // Reads the picture of the clipboard, which the caller has open: CF_DIB,
    // or CF_BITMAP when no DIB is offered.
    Outcome Read();
    // The conversions Read uses, for a DIB block or a bitmap the caller holds.
    Outcome ReadDib(HGLOBAL block);
    Outcome ReadBitmap(HBITMAP source);

    // The bitmap of the last successful read, handed to the caller, who then owns it.
    HBITMAP Release() { return m_bitmap.Release(); }
    // "Picture 1920 x 1080": the width and height of the last successful read.
    const CString& Label() const { return m_label; }

private:
    Outcome Keep(HBITMAP bitmap, int width, int height);

    UniqueBitmap m_bitmap;
    CString m_label;
};
