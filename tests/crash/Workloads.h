#pragma once
// The explorer's scripted workloads: what a user does (copies of text,
// formats, files and pictures; Delete; Set top; Clear All; forgetting by age;
// clearing at the lock; encryption on and off), started on a folder prepared
// beforehand (empty, holding a history, sealed, with its key missing, foreign
// or damaged, or with one damaged byte in one of its files).
#include <functional>
#include <string>
#include <vector>

#include "MemoryFiles.h"
#include "Program.h"

namespace crash {

// The data folder every run uses.
extern const wchar_t kFolder[];

struct Action {
    std::string name;
    std::function<void(Program&)> run;
    // The user took something away: once the fold after it is done, no file holds it.
    bool removes = false;
    // Encryption goes off: plain files are the user's choice from here.
    bool unseals = false;
};

struct Workload {
    std::string name;
    // The folder the body starts from; empty: a new folder.
    std::function<Image()> prepare;
    // Run on the prepared folder after the program's start. The last action
    // is the exit or an end without one.
    std::vector<Action> body;
    // The prepared folder lost one byte (`intact` prepares it whole): the load
    // may lose the record the byte was in, and nothing else.
    bool damaged = false;
    std::function<Image()> intact;
    // A sealed file of the prepared folder was put back from an earlier set,
    // or a frame spliced in from another journal (`intact` prepares it as it
    // was): what it holds may be refused, never taken for the history's.
    bool rolledBack = false;
    // Its sealed history has no key that opens it: its files must be kept whole.
    bool keyLost = false;
};

std::vector<Workload> AllWorkloads();

}  // namespace crash
