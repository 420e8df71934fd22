// The address space behind one memory block: reserved once at its largest size so that the block never moves.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nnotes {

// A zero-filled region whose first size bytes are usable; null when the system refuses the reservation.
std::byte* ReserveRegion(uint32_t size);
// Makes the first newSize bytes usable; bytes that become usable are zero.
void ResizeRegion(std::byte* base, uint32_t oldSize, uint32_t newSize);
void ReleaseRegion(std::byte* base, uint32_t size);

} // namespace nnotes
