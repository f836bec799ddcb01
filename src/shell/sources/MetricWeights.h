#pragma once
// The weights of the metrics an analysis computes: one entry per item of the
// metrics list, each the decimal index of a weight name. A metric is ticked
// exactly when its weight is not 0.
#include "StringList.h"

#include <string>
#include <vector>

namespace pem {

// "Off", "Normal", "Double", "High".
const std::vector<std::string>& MetricWeightNames();
// The index a weight entry holds; 0 for anything that is no known index.
int MetricWeightIndex(const std::string& weight);

// Before an item is painted: a weight list that has no entry for the item or
// another count than the metrics list is rebuilt with "1" for every metric.
// Returns whether it was rebuilt (the job then counts as changed).
bool FitMetricWeights(TStringList& weights, int metricCount, int itemIndex);

// One "1" per metric when the job has no date (a new job) or the counts differ.
bool RefillMetricWeightsFor(TStringList& weights, int metricCount, bool jobHasDate);

// The weights after the ticks changed: a ticked metric whose weight is 0
// becomes "1", an unticked one "0"; other weights stay. Returns whether any
// weight changed.
bool WeightsFollowTicks(TStringList& weights, const std::vector<bool>& ticks);

// Every weight the same value ("1" select all, "0" unselect all).
void SetAllMetricWeights(TStringList& weights, int metricCount, const std::string& value);

} // namespace pem
