// Cursor steps through a long text run against the same steps through a run a tenth as long: a step costs the
// same wherever it is made when stepping is linear in the distance moved, so each ratio of the time per step
// should stay near 1 (a step that counts the run again makes it about 10).
#include "bench_report.h"
#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// What is timed: steps of one kind through a rich text of one run of characters, per step.
struct Walk {
    const char* name;
    // Seconds for the walk over a run of length characters; *steps gets the steps it made.
    double (*run)(const LNRichText& richText, uint32_t length, uint32_t* steps);
};

LNRTCursor Start(const LNRichText& richText) {
    LNRTCursor cursor;
    if (richText.GetStartCursor(&cursor) != LNNOERROR) std::exit(1);
    return cursor;
}

// Steps over seven eighths of the run: 35,000 characters of a 40,000-character run.
uint32_t Distance(uint32_t length) {
    return length / 8 * 7;
}

double Jump(const LNRichText& richText, uint32_t length, uint32_t* steps) {
    LNRTCursor cursor = Start(richText);
    *steps = Distance(length);
    const double t = bench_now();
    cursor += *steps;
    const double elapsed = bench_now() - t;
    if (cursor.GetOffset() != *steps + 1) std::exit(2);
    return elapsed;
}

double Increments(const LNRichText& richText, uint32_t length, uint32_t* steps) {
    LNRTCursor cursor = Start(richText);
    *steps = Distance(length);
    const double t = bench_now();
    for (uint32_t i = 0; i < *steps; ++i)
        ++cursor;
    const double elapsed = bench_now() - t;
    if (cursor.GetOffset() != *steps + 1) std::exit(2);
    return elapsed;
}

double Back(const LNRichText& richText, uint32_t length, uint32_t* steps) {
    LNRTCursor cursor = Start(richText);
    *steps = Distance(length);
    cursor += *steps;
    const double t = bench_now();
    cursor -= *steps;
    const double elapsed = bench_now() - t;
    if (!cursor.IsAtStart()) std::exit(2);
    return elapsed;
}

double Measure(const LNRichText& richText, uint32_t length, uint32_t* steps) {
    const LNRTCursor start = Start(richText);
    LNRTCursor end;
    if (richText.GetEndCursor(&end) != LNNOERROR) std::exit(1);
    const double t = bench_now();
    const int64_t distance = end - start;
    const double elapsed = bench_now() - t;
    if (distance != static_cast<int64_t>(length)) std::exit(2);
    *steps = length;
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t length = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 40000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (length < 800 || length > 40000 || rounds < 1 || rounds > BENCH_MAX_ROUNDS) {
        std::fprintf(stderr, "usage: richtext_bench [characters, 800 to 40000] [rounds, 1 to %d]\n",
                     BENCH_MAX_ROUNDS);
        return 1;
    }
    if (nnotes::InitProcess(0, nullptr) != nnotes::NOERROR || LNInitAPI(LNAPI_VERSION) != LNNOERROR) {
        std::fprintf(stderr, "the store or the object layer did not start\n");
        return 1;
    }
    const Walk walks[] = {{"cursor += n", Jump},
                          {"++cursor, n times", Increments},
                          {"cursor -= n", Back},
                          {"end - start", Measure}};
    constexpr int kWalks = sizeof walks / sizeof walks[0];
    bench_measure measures[kWalks] = {};
    double longest[kWalks] = {};
    uint32_t longSteps[kWalks] = {};
    {
        const LNRichText longRun(LNString(std::string(length, 'x').c_str()));
        const LNRichText shortRun(LNString(std::string(length / 10, 'x').c_str()));
        for (int r = 0; r < rounds; ++r) {
            for (int w = 0; w < kWalks; ++w) {
                // Ten walks through the short run make as many steps as one through the long run, so that
                // both sides of a round take about as long and meet the machine alike; which goes first
                // alternates from round to round.
                uint32_t steps = 0, shortSteps = 0;
                double ours = 0, reference = 0;
                for (int turn = 0; turn < 2; ++turn) {
                    if ((turn == 0) == (r % 2 == 0)) {
                        ours = walks[w].run(longRun, length, &steps);
                        continue;
                    }
                    for (int i = 0; i < 10; ++i) {
                        uint32_t walked = 0;
                        reference += walks[w].run(shortRun, length / 10, &walked);
                        shortSteps += walked;
                    }
                }
                longSteps[w] = steps;
                if (ours > longest[w]) longest[w] = ours;
                bench_add(&measures[w], ours / steps, reference / shortSteps);
            }
        }
    }
    for (int w = 0; w < kWalks; ++w) {
        measures[w].name = walks[w].name;
        measures[w].unit = "us/step";
        measures[w].scale = 1e6;
        measures[w].goal = 2.0;
        std::snprintf(measures[w].note, sizeof measures[w].note,
                      "reference: ten walks through %u characters; %u steps through %u characters took at "
                      "most %.2f ms",
                      length / 10, longSteps[w], length, longest[w] * 1e3);
    }
    std::printf("one run of %u characters against one of %u, %d rounds, medians of the time per step\n",
                length, length / 10, rounds);
    for (const bench_measure& m : measures)
        bench_print_line(&m);
    bench_print_json("richtext", measures, kWalks);
    LNTermAPI();
    nnotes::TermProcess();
    return 0;
}
