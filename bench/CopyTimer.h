#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "bench/ClipboardCopy.h"
#include "bench/Samples.h"

class ProductProcess;

// Who receives the clipboard notices, and how to ask it for a number that
// moves with every capture (a count, or the row of an entry that each capture
// pushes down). The question is a message sent from this process, answered by
// the receiver's user-interface thread.
struct Receiver {
    HWND window = nullptr;
    UINT query = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Quillary only: Clear All now and then keeps large copies from piling up.
    const ProductProcess* product = nullptr;
};

// Puts copies on the clipboard as another program would and times each until
// the receiver's number moves.
class CopyTimer {
public:
    static constexpr int kCopiesPerRound = 20;
    static constexpr int kWarmupCopies = 3;

    // `owner` is a window of this process that owns the clipboard's contents.
    explicit CopyTimer(HWND owner) : m_owner(owner) {}

    // One copy: milliseconds until the number moved; -1 when the change was
    // lost (never seen), -2 when the receiver stopped answering.
    double TimeOneCopy(const ClipboardCopy& copy, const Receiver& receiver) const;
    // One round of copies (Clear All every `clearEvery` copies when above 0,
    // `beforeCopy` before each when given); the round's median goes into
    // `medians`, every copy into `all`.
    bool RunRound(const ClipboardCopy& copy, const Receiver& receiver, int clearEvery, Samples& medians, Samples& all,
                  const std::function<bool()>& beforeCopy = nullptr) const;
    int Lost() const { return m_lost; }
    // Warm-up and timed runs of `timeOne` (milliseconds; -1 lost, -2 given up):
    // the round's median into `medians`, each timed run into `all`.
    static bool RunTimedRound(const std::function<double(int made)>& timeOne, Samples& medians, Samples& all,
                              int& lost, int warmup = kWarmupCopies, int timed = kCopiesPerRound);

    static bool Ask(const Receiver& receiver, LRESULT& answer);

private:
    HWND m_owner;
    mutable int m_lost = 0;
};
