#include "store/note_identity.h"

#include <mutex>
#include <random>
#include <sys/random.h>

namespace nnotes::store {
STATUS UniqueNow(Instant* now) {
    static std::mutex mutex;
    static Instant last{};
    if (STATUS s = CurrentTime(now)) return s;
    std::lock_guard<std::mutex> guard(mutex);
    int order = 1;
    if (last.words[0] != 0 || last.words[1] != 0) CompareInstants(now, &last, &order);
    if (order <= 0) {
        *now = last;
        if (STATUS s = AdvanceInstant(now, 1)) return s;
    }
    last = *now;
    return NOERROR;
}

uint64_t RandomBits() {
    uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) bits = std::random_device{}();
    return bits;
}

STATUS NewIdentity(ORIGINATORID* oid) {
    Instant now;
    if (STATUS s = CurrentTime(&now)) return s;
    const uint64_t file = RandomBits();
    *oid = ORIGINATORID{};
    oid->file.words[0] = static_cast<uint32_t>(file);
    oid->file.words[1] = static_cast<uint32_t>(file >> 32);
    oid->note = now;
    oid->sequence = 0;
    oid->sequenceTime = now;
    return NOERROR;
}

} // namespace nnotes::store
