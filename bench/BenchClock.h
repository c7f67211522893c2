/* Shared by the benchmark drivers and their C references: times the measured
 * section and prints "<seconds> <peak memory growth in KiB>" on one line, so
 * that bench/run treats every driver alike. */
#ifndef STUBSETUP_BENCH_CLOCK_H
#define STUBSETUP_BENCH_CLOCK_H

#include <stdio.h>
#include <sys/resource.h>
#include <time.h>

typedef struct {
    struct timespec start;
    long startPeakKib;
} BenchClock;

static inline long benchPeakKib(void)
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

static inline BenchClock benchStart(void)
{
    BenchClock clock;
    clock.startPeakKib = benchPeakKib();
    clock_gettime(CLOCK_MONOTONIC, &clock.start);
    return clock;
}

static inline void benchReport(BenchClock clock)
{
    struct timespec end;
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds = (double)(end.tv_sec - clock.start.tv_sec) +
                           (double)(end.tv_nsec - clock.start.tv_nsec) / 1e9;
    printf("%.6f %ld\n", seconds, benchPeakKib() - clock.startPeakKib);
}

#endif
