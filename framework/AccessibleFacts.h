#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// What a screen reader is told about a window beyond what the system's own
// object for it says. Empty or zero fields leave the system's answer.
struct AccessibleFacts {
    std::wstring name;
    std::wstring description;
    std::wstring keyboardShortcut;
    // An MSAA role (ROLE_SYSTEM_...); 0 keeps the system's.
    long role = 0;
    // STATE_SYSTEM_... bits added to the system's state, asked each time.
    std::function<long()> addedState;
    std::wstring defaultAction;
    // What the default action does; without it the system's object acts.
    std::function<void()> doDefault;
};

// The items inside a window (a list's rows), numbered from 0; screen readers
// see item i as child i + 1 of the window's object.
class AccessibleItems {
public:
    virtual ~AccessibleItems() = default;

    virtual int Count() const = 0;
    virtual std::wstring Name(int item) const = 0;
    virtual std::wstring Description(int item) const = 0;
    virtual long Role() const = 0;
    virtual long State(int item) const = 0;
    // The item's rectangle on the screen; false when it has none.
    virtual bool Location(int item, RECT& screen) const = 0;
    // The item with the keyboard focus, or -1.
    virtual int Focused() const = 0;
    virtual std::vector<int> Selected() const = 0;
    // The item at a screen point, or -1.
    virtual int HitTest(POINT screen) const = 0;
    // SELFLAG_... as IAccessible::accSelect takes them; false when not done.
    virtual bool Select(int item, long flags) = 0;
    virtual std::wstring DefaultAction(int item) const = 0;
    virtual bool DoDefault(int item) = 0;
};
