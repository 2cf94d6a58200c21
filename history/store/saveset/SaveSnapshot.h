#pragma once
#include <windows.h>

#include <vector>

#include "history/model/HistorySnapshot.h"
#include "history/store/sealed/StoreForm.h"

// The history for a full save, with each picture already encoded as its BMP
// file on the popup's thread: the writer never touches a bitmap that the popup
// may have selected into a device context (preview, paste).
struct SaveSnapshot {
    HistorySnapshot history;
    // One per entry, in order; empty for a text, or for a picture whose pixels could not be read.
    std::vector<std::vector<BYTE>> pictureFiles;
    // Plain or sealed: the form the files are written in.
    StoreForm form;
    // Sealed files that no key here opens lie in the folder: they are not this
    // history's, and no save removes them.
    bool keepSealed = false;
};
