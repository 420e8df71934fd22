#include "bench_report.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

double bench_now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int compare_doubles(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

double bench_median(const double* values, int n) {
    double sorted[BENCH_MAX_ROUNDS];
    if (n <= 0) return 0;
    if (n > BENCH_MAX_ROUNDS) n = BENCH_MAX_ROUNDS;
    memcpy(sorted, values, sizeof(double) * (size_t)n);
    qsort(sorted, (size_t)n, sizeof(double), compare_doubles);
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

void bench_add(bench_measure* m, double ours, double reference) {
    if (m->rounds >= BENCH_MAX_ROUNDS) return;
    m->ours[m->rounds] = ours;
    m->reference[m->rounds] = reference;
    ++m->rounds;
}

static double scale_of(const bench_measure* m) {
    return m->scale > 0 ? m->scale : 1;
}

double bench_ratio(const bench_measure* m) {
    const double reference = bench_median(m->reference, m->rounds);
    return reference > 0 ? bench_median(m->ours, m->rounds) / reference : 0;
}

int bench_met(const bench_measure* m) {
    return (m->goal <= 0 || bench_ratio(m) <= m->goal) &&
           (m->limit <= 0 || bench_median(m->ours, m->rounds) * scale_of(m) <= m->limit);
}

void bench_print_line(const bench_measure* m) {
    const double ratio = bench_ratio(m);
    char goal[64] = "";
    if (m->goal > 0 && m->limit > 0)
        snprintf(goal, sizeof goal, "goal <= %.2f, <= %g %s", m->goal, m->limit,
                 bench_met(m) ? "met" : "MISSED");
    else if (m->goal > 0)
        snprintf(goal, sizeof goal, "goal <= %.2f %s", m->goal, bench_met(m) ? "met" : "MISSED");
    else if (m->limit > 0)
        snprintf(goal, sizeof goal, "goal <= %g %s %s", m->limit, m->unit, bench_met(m) ? "met" : "MISSED");
    printf("%-34s ours %10.4g  reference %10.4g %-10s ratio %6.2f  %-20s %s\n", m->name,
           bench_median(m->ours, m->rounds) * scale_of(m),
           bench_median(m->reference, m->rounds) * scale_of(m), m->unit, ratio, goal, m->note);
}

static void print_json_text(const char* text) {
    putchar('"');
    for (; *text; ++text) {
        if (*text == '"' || *text == '\\') putchar('\\');
        if ((unsigned char)*text >= 0x20) putchar(*text);
    }
    putchar('"');
}

void bench_print_json(const char* bench, const bench_measure* measures, int count) {
    printf("{\"bench\": ");
    print_json_text(bench);
    printf(", \"measures\": [");
    for (int i = 0; i < count; ++i) {
        const bench_measure* m = &measures[i];
        printf("%s{\"name\": ", i ? ", " : "");
        print_json_text(m->name);
        printf(", \"unit\": ");
        print_json_text(m->unit);
        printf(", \"rounds\": %d, \"ours\": %.6g, \"reference\": %.6g, \"ratio\": %.4f, \"goal\": %.4g, "
               "\"limit\": %.6g, \"met\": %s, \"note\": ",
               m->rounds, bench_median(m->ours, m->rounds) * scale_of(m),
               bench_median(m->reference, m->rounds) * scale_of(m), bench_ratio(m), m->goal, m->limit,
               bench_met(m) ? "true" : "false");
        print_json_text(m->note);
        printf("}");
    }
    printf("]}\n");
    fflush(stdout);
}

static long long read_status_number(const char* file, const char* key) {
    FILE* f = fopen(file, "r");
    char line[256];
    long long value = -1;
    const size_t length = strlen(key);
    if (f == NULL) return -1;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, key, length) == 0) {
            value = atoll(line + length);
            break;
        }
    fclose(f);
    return value;
}

long long bench_peak_rss(void) {
    const long long kb = read_status_number("/proc/self/status", "VmHWM:");
    return kb < 0 ? -1 : kb * 1024;
}

void bench_reset_peak(void) {
    FILE* f = fopen("/proc/self/clear_refs", "w");
    if (f == NULL) return;
    fputs("5", f);
    fclose(f);
}

long long bench_bytes_written(void) {
    return read_status_number("/proc/self/io", "wchar:");
}
