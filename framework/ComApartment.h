#pragma once
#include <objbase.h>

// COM on this thread for as long as the object lives (a single-threaded
// apartment: the thread's windows serve the calls that reach it).
class ComApartment {
public:
    ComApartment() : m_joined(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (m_joined)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_joined;
};
