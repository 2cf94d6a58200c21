#pragma once
#include "framework/CWinApp.h"

// The application: one copy per desktop, running the popup until it exits.
class CClipApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
