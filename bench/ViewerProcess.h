#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "bench/BenchViewer.h"
#include "bench/CopyTimer.h"
#include "framework/Handles.h"

// bench_viewer.exe (see BenchViewer.h) running beside this program; closed at the latest when the object goes.
class ViewerProcess {
public:
    ViewerProcess() = default;
    ~ViewerProcess() { Close(); }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    // Starts it, reading `formats` (registered names) beside the text, and
    // waits until its window answers.
    bool Start(const std::vector<std::wstring>& formats);
    // How to ask it for the changes it has read.
    Receiver Reads() const { return {m_window, kQueryReads, 0, 0, nullptr}; }
    // Closes its window; true when it ended by itself.
    bool Close();

private:
    UniqueFileHandle m_process;
    HWND m_window = nullptr;
};
