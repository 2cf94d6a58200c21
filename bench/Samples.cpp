#include "bench/Samples.h"

#include <algorithm>

double Samples::Median() const
{
    if (m_values.empty())
        return 0.0;
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
}

double Samples::Min() const
{
    return m_values.empty() ? 0.0 : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::Max() const
{
    return m_values.empty() ? 0.0 : *std::max_element(m_values.begin(), m_values.end());
}
