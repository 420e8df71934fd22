// CompareText: the Unicode collation order (the root collation) at the strength that the flags ask for.
#include "nnotes/nnotes.h"
#include "process/process.h"

#include <mutex>
#include <unicode/ucol.h>

namespace nnotes {
namespace {

// One collator per flag combination, made on first use. They are never closed: text may still be compared
// while the process ends, after static objects are gone, so they live as long as ICU itself.
struct Collators {
    std::mutex lock;
    UCollator* byFlags[4] = {};
};

Collators& TheCollators() {
    static auto* collators = new Collators;
    return *collators;
}

UCollator* OpenCollator(uint16_t flags) {
    UErrorCode err = U_ZERO_ERROR;
    UCollator* collator = ucol_open("", &err);
    if (U_FAILURE(err)) return nullptr;
    // Ignoring case keeps accents (secondary level); ignoring accents keeps case through the case level;
    // neither separates everything that is not canonically equivalent (identical level).
    UColAttributeValue strength = UCOL_IDENTICAL;
    if (flags & COMPARE_IGNORE_ACCENTS)
        strength = UCOL_PRIMARY;
    else if (flags & COMPARE_IGNORE_CASE)
        strength = UCOL_SECONDARY;
    ucol_setAttribute(collator, UCOL_STRENGTH, strength, &err);
    if ((flags & COMPARE_IGNORE_ACCENTS) && !(flags & COMPARE_IGNORE_CASE))
        ucol_setAttribute(collator, UCOL_CASE_LEVEL, UCOL_ON, &err);
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &err);
    if (U_FAILURE(err)) {
        ucol_close(collator);
        return nullptr;
    }
    return collator;
}

} // namespace

STATUS CompareText(const char* a, uint16_t aLength, const char* b, uint16_t bLength, uint16_t flags,
                   int* result) {
    if (const STATUS started = RequireProcess()) return started;
    if (result == nullptr || (a == nullptr && aLength > 0) || (b == nullptr && bLength > 0) ||
        flags > (COMPARE_IGNORE_CASE | COMPARE_IGNORE_ACCENTS))
        return ERR_NLS_BAD_ARGUMENT;
    *result = 0;
    Collators& collators = TheCollators();
    std::lock_guard<std::mutex> guard(collators.lock);
    UCollator*& collator = collators.byFlags[flags];
    if (collator == nullptr) collator = OpenCollator(flags);
    if (collator == nullptr) return ERR_NLS_NO_COLLATOR;
    UErrorCode err = U_ZERO_ERROR;
    // Ill-formed bytes compare as U+FFFD.
    const UCollationResult order = ucol_strcollUTF8(collator, a ? a : "", aLength, b ? b : "", bLength, &err);
    if (U_FAILURE(err)) return ERR_NLS_NO_COLLATOR;
    *result = order == UCOL_LESS ? -1 : order == UCOL_GREATER ? 1 : 0;
    return NOERROR;
}

} // namespace nnotes
