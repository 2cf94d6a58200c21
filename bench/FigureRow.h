#pragma once
#include "bench/Samples.h"

#include <functional>
#include <string>

// One line of the benchmark table: a figure measured against a baseline of the
// same run, several runs, judged by the median of the per-run ratios.
class FigureRow {
public:
    enum class Unit { Milliseconds, Bytes };

    FigureRow(std::string figure, std::string work, std::string baseline, Unit unit, double target);

    void AddRun(double work, double baseline);
    // Rounds of the work and of its baseline in turn, each giving the medians
    // of its samples; every round adds the ratio of the two.
    void AddRoundsInTurn(int rounds, const std::function<bool(Samples&)>& work,
                         const std::function<bool(Samples&)>& baseline);
    // Why the figure has no (or too few) runs; shown instead of the numbers.
    void SetFailure(std::string why) { m_failure = std::move(why); }

    double RatioMedian() const { return m_ratios.Median(); }
    bool Met() const { return !m_ratios.Empty() && m_ratios.Median() <= m_target; }
    // A row without a target (0) is printed for reference, to explain another one.
    bool IsReference() const { return m_target <= 0.0; }

    // Prints the row as one tab-separated line starting with "ROW", which the
    // bench script turns into the table.
    void Print() const;

private:
    std::string Format(double value) const;

    std::string m_figure;
    std::string m_work;
    std::string m_baseline;
    Unit m_unit;
    double m_target;
    Samples m_workValues;
    Samples m_baselineValues;
    Samples m_ratios;
    std::string m_failure;
};
