/* A running tally of values: their count, sum and largest. */
#ifndef TALLY_H
#define TALLY_H

struct tally {
    int count;
    long sum;
    int largest;
};

void tally_reset(struct tally *t);
int tally_add(struct tally *t, int value);
double tally_mean(const struct tally *t);

#endif
