#include "bench/FigureRow.h"

#include <cstdio>
#include <utility>

namespace {

std::string Printf(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

FigureRow::FigureRow(std::string figure, std::string work, std::string baseline, Unit unit, double target)
    : m_figure(std::move(figure)), m_work(std::move(work)), m_baseline(std::move(baseline)), m_unit(unit),
      m_target(target)
{
}

void FigureRow::AddRun(double work, double baseline)
{
    if (baseline <= 0.0)
        return;
    m_workValues.Add(work);
    m_baselineValues.Add(baseline);
    m_ratios.Add(work / baseline);
}

void FigureRow::AddRoundsInTurn(int rounds, const std::function<bool(Samples&)>& work,
                                const std::function<bool(Samples&)>& baseline)
{
    for (int round = 0; round < rounds; ++round) {
        Samples workMedians, baselineMedians;
        if (!work(workMedians) || !baseline(baselineMedians)) {
            SetFailure("a round did not finish");
            continue;
        }
        AddRun(workMedians.Median(), baselineMedians.Median());
    }
}

std::string FigureRow::Format(double value) const
{
    if (m_unit == Unit::Bytes)
        return Printf("%.2f MiB", value / (1024.0 * 1024.0));
    return Printf(value < 10.0 ? "%.2f ms" : "%.1f ms", value);
}

void FigureRow::Print() const
{
    std::string workMedian = "-", baselineMedian = "-", ratio = "-", spread = "-", result;
    if (m_ratios.Empty()) {
        result = "no data: " + (m_failure.empty() ? std::string("no run finished") : m_failure);
    } else {
        workMedian = Format(m_workValues.Median());
        baselineMedian = Format(m_baselineValues.Median());
        ratio = Printf("%.2fx", m_ratios.Median());
        spread = Printf("%.2f", m_ratios.Min()) + Printf("-%.2f", m_ratios.Max());
        result = IsReference() ? "reference" : Met() ? "met" : "missed";
        if (!m_failure.empty())
            result += " (" + m_failure + ")";
    }
    std::printf("ROW\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%zu\t%s\t%s\n", m_figure.c_str(), m_work.c_str(),
                m_baseline.c_str(), workMedian.c_str(), baselineMedian.c_str(), ratio.c_str(), spread.c_str(),
                m_ratios.Count(), IsReference() ? "-" : Printf("<= %gx", m_target).c_str(), result.c_str());
    std::fflush(stdout);
}
