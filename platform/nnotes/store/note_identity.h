// Identities the library hands out: originator ids of new notes and identifiers of new databases.
#pragma once

#include "nnotes/nnotes.h"

namespace nnotes::store {

// The present moment, later than every instant this function gave before in this process (so that two
// identifiers made within one hundredth of a second still differ).
STATUS UniqueNow(Instant* now);

// 64 random bits from the system, fresh in every process (a generator seeded once would repeat itself in
// every child forked after the seeding).
uint64_t RandomBits();

// A new originator id: a random file part, the creation time as note part, sequence 0 saved at creation.
STATUS NewIdentity(ORIGINATORID* oid);

} // namespace nnotes::store
