#pragma once
#include <windows.h>

namespace e2e {

// Puts a process that the driver started into the driver's job, which ends it when the
// driver ends by any way, a crash included. A stray quillary.exe or notepad.exe would
// otherwise live on in the Wine session, keep the runner's output pipe open and stall it.
bool AddToDriverJob(HANDLE process);

}  // namespace e2e
