#include "MetricWeights.h"

namespace pem {

const std::vector<std::string>& MetricWeightNames() {
    static const std::vector<std::string> names = {"Off", "Normal", "Double", "High"};
    return names;
}

int MetricWeightIndex(const std::string& weight) {
    if (weight.size() != 1 || weight[0] < '0' || weight[0] > '3') return 0;
    return weight[0] - '0';
}

bool FitMetricWeights(TStringList& weights, int metricCount, int itemIndex) {
    if (weights.Count() >= itemIndex + 1 && weights.Count() == metricCount) return false;
    SetAllMetricWeights(weights, metricCount, "1");
    return true;
}

bool RefillMetricWeightsFor(TStringList& weights, int metricCount, bool jobHasDate) {
    if (jobHasDate && weights.Count() == metricCount) return false;
    SetAllMetricWeights(weights, metricCount, "1");
    return true;
}

bool WeightsFollowTicks(TStringList& weights, const std::vector<bool>& ticks) {
    bool changed = false;
    if (weights.Count() != static_cast<int>(ticks.size())) {
        SetAllMetricWeights(weights, static_cast<int>(ticks.size()), "1");
        changed = true;
    }
    for (int i = 0; i < weights.Count(); ++i) {
        const bool on = MetricWeightIndex(weights[i]) != 0;
        if (on == ticks[static_cast<std::size_t>(i)]) continue;
        weights.Put(i, on ? "0" : "1");
        changed = true;
    }
    return changed;
}

void SetAllMetricWeights(TStringList& weights, int metricCount, const std::string& value) {
    weights.Clear();
    for (int i = 0; i < metricCount; ++i) weights.Add(value);
}

} // namespace pem
