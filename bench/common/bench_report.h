/* Reporting of the benchmarks' comparisons. Each measure holds the seconds of every round of both sides (the
 * code under test and its reference, run in turn within each round so that both meet the same machine);
 * what is compared is the medians, and the ratio is ours / reference (lower is better) against a goal that
 * it must not exceed. Written in C so that the library benchmark, which uses only the library's C header,
 * shares it. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define BENCH_MAX_ROUNDS 64

/* What every reference connection runs first: the store maps its files into memory for reading, so the
 * references read theirs the same way and the comparison is of the code, not of the way pages are read. */
#define BENCH_READ_SETTINGS "PRAGMA mmap_size=1073741824"

/* How every reference connection is opened: the store opens its connections without SQLite's own mutex
 * (each is used by one thread at a time, under the store's locks), so the references' calls take none
 * either. */
#define BENCH_OPEN_FLAGS(access) (SQLITE_OPEN_NOMUTEX | (access))

typedef struct {
    const char* name;
    const char* unit; /* what one round's figure counts, e.g. "s/query" */
    double scale;     /* printed figures are seconds times scale (1e3 for ms, 1e6 for us) */
    double goal;      /* the largest ratio that meets the goal; 0 when no goal */
    double limit; /* the largest median of ours (in printed units) that meets an absolute goal; 0 when none */
    int rounds;
    double ours[BENCH_MAX_ROUNDS];
    double reference[BENCH_MAX_ROUNDS];
    char note[256]; /* further figures of the measure, printed after the ratio */
} bench_measure;

/* Seconds on a monotonic clock. */
double bench_now(void);
/* Median of n values (n > 0); the values are left as they are. */
double bench_median(const double* values, int n);
/* Adds one round's figures (per operation) to the measure. */
void bench_add(bench_measure* m, double ours, double reference);
double bench_ratio(const bench_measure* m);
/* Whether the medians meet the goal and the limit (true when there are none). */
int bench_met(const bench_measure* m);
/* One line: name, both medians, ratio, goal and whether it is met, note. */
void bench_print_line(const bench_measure* m);
/* One JSON object on one line: {"bench": name, "measures": [...]}, each measure with its name, unit, rounds,
 * both medians (printed units), ratio, goal, limit, whether it is met and its note; bench/run-all reads it.
 */
void bench_print_json(const char* bench, const bench_measure* measures, int count);
/* Peak resident memory of the process since the last bench_reset_peak (or its start), in bytes (VmHWM). */
long long bench_peak_rss(void);
/* Starts the peak over from the present resident memory, so that a later peak measures what came after. */
void bench_reset_peak(void);
/* Bytes this process has written through write calls so far (wchar of /proc/self/io). */
long long bench_bytes_written(void);

#ifdef __cplusplus
}
#endif
