#pragma once
// The times of one side of a comparison: its runs, their median, min and max.
#include <algorithm>
#include <vector>

struct Times {
    std::vector<double> t;
    double Median() const {
        std::vector<double> v = t;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    double Min() const { return *std::min_element(t.begin(), t.end()); }
    double Max() const { return *std::max_element(t.begin(), t.end()); }
};
