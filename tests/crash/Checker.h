#pragma once
// The checks of the invariants over what a run left and what a restart reads,
// each violation told with the files' names and sizes.
#include <string>
#include <vector>

#include "Explorer.h"
#include "MemoryFiles.h"
#include "Timeline.h"

namespace crash {

class Checker {
public:
    Checker(const Case& one, std::vector<Violation>& out) : m_case(one), m_out(out) {}

    void Add(const std::string& invariant, const std::string& detail, const Image& image);
    void Add(const std::string& invariant, const std::string& detail, MemoryFiles& files);
    // I2 and I3 on the files as they lie: nothing removed and folded, nothing plain once sealed.
    void Residue(const Image& image, const Timeline& line);
    // I4: every sealed file that no key opens is still somewhere, byte for byte.
    void KeptWhole(const Image& prepared, const Image& image);
    // The history after a restart against what the program went through.
    void Compare(const State& got, const Timeline& line, bool exact, const Image& image);

private:
    const Case& m_case;
    std::vector<Violation>& m_out;
};

}  // namespace crash
