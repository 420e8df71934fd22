// No exception may reach the C caller of an export: whatever escapes an export's own handling ends in its
// failure result.
#pragma once

template <class Result, class Body>
Result Shielded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <class Body>
void Shielded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
