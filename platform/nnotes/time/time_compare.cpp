// The order of instants: by day, then by time of day. The special instants fall into place by their words:
// minimum (day 0) first, maximum (the last day) after every date, wildcard (all ones) last.
#include "nnotes/nnotes.h"
#include "process/process.h"

namespace nnotes {
namespace {

uint64_t OrderKey(const Instant& t) {
    return (static_cast<uint64_t>(t.words[1] & 0x00FFFFFFu) << 32) | t.words[0];
}

} // namespace

STATUS CompareInstants(const Instant* a, const Instant* b, int* result) {
    if (STATUS s = RequireProcess()) return s;
    if (a == nullptr || b == nullptr || result == nullptr) return ERR_MISSING_ARGUMENT;
    const uint64_t ka = OrderKey(*a), kb = OrderKey(*b);
    *result = ka < kb ? -1 : (ka > kb ? 1 : 0);
    return NOERROR;
}

} // namespace nnotes
