#pragma once
// A row of a table test: the call as written, what it gave and what it
// should give. ROW(call, want) records the call's text, so a failing row
// names itself.
#include <gtest/gtest.h>

#include <string>

template <typename T>
struct CallRow {
    const char* call;
    T got;
    T want;
};

#define ROW(call, want) {#call, (call), (want)}

template <typename T, size_t N>
void CheckRows(const CallRow<T> (&rows)[N]) {
    for (const auto& r : rows) EXPECT_EQ(r.got, r.want) << r.call;
}
