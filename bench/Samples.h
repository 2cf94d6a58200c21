#pragma once
#include <cstddef>
#include <vector>

// Measurements of one quantity, one value per run.
class Samples {
public:
    void Add(double value) { m_values.push_back(value); }
    bool Empty() const { return m_values.empty(); }
    std::size_t Count() const { return m_values.size(); }
    const std::vector<double>& Values() const { return m_values; }

    double Median() const;
    double Min() const;
    double Max() const;

private:
    std::vector<double> m_values;
};
