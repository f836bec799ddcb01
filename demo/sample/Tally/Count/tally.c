/* A running tally of values: their count, sum and largest. */
#include <string.h>
#include "tally.h"

static int limit = 1000000;

void tally_reset(struct tally *t) {
    memset(t, 0, sizeof *t);
}

int tally_add(struct tally *t, int value) {
    if (value < 0 || value > limit)
        return 0;
    if (t->count == 0 || value > t->largest)
        t->largest = value;
    t->count++;
    t->sum += value;
    return 1;
}

double tally_mean(const struct tally *t) {
    if (t->count == 0)
        return 0.0;
    return (double)t->sum / t->count;
}

int tally_fill(struct tally *t, const int *values, int n) {
    int taken = 0;
    tally_reset(t);
    for (int i = 0; i < n; i++)
        taken += tally_add(t, values[i]);
    return taken;
}
