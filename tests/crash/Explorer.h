#pragma once
// Runs a workload with one fault at one step and starts the store again from
// the files with the real loader, then checks what it finds:
//  I1 acknowledged copies survive; I2 removed stays removed (and, once its
//  fold is done, in no file); I3 sealed means sealed; I4 nothing is written
//  over; I5 formats are never dropped silently; I6 damage stays local and
//  loads stay linear; I7 saving never stops for good.
#include <map>
#include <string>
#include <vector>

#include "MemoryFiles.h"
#include "Workloads.h"

namespace crash {

struct Case {
    const Workload* workload = nullptr;
    Fault fault;
    Torn torn = Torn::Whole;  // a cut: what it keeps of the unflushed writes
    bool trace = false;       // print every step of the run
    std::string Name() const;
};

struct Violation {
    std::string invariant;
    std::string detail;
    std::string files;  // the files' names and sizes where it was seen
};

class Explorer {
public:
    // Every case of a workload: none, then each step failed with each error
    // that step can meet, and cut with each torn variant worth trying.
    std::vector<Case> CasesOf(const Workload& workload);
    std::vector<Violation> Run(const Case& one);
    // What the case's step is in a run without a fault ("write data.journal").
    std::string StepOf(const Case& one) const;
    // The same, named to outlast changes of the code: the step's kind, its
    // file (a temporary's token left out) and which such step of the run it is
    // ("open data.journal #1").
    std::string StepKey(const Case& one) const;

private:
    const Image& PreparedOf(const Workload& workload);
    const Image& IntactOf(const Workload& workload);

    std::map<const Workload*, Image> m_prepared;
    std::map<const Workload*, Image> m_intact;
    std::map<const Workload*, std::vector<Step>> m_logs;
};

}  // namespace crash
