// Comparing texts and characters by the Notes collation. Flags: 1 ignores case, 2 ignores accents, 3 both;
// with 0 only equal texts compare equal. The result is negative, 0 or positive as the first sorts before,
// with or after the second. All of them need the API started (else LNERR_SESSION_NOT_INITIALIZED) and throw
// flags above 3 as LNERR_INVALID_PARAMETER, whatever ThrowAllErrors says; a failure of the collation is
// thrown.
#pragma once

#include "ln/lnchar.h"
#include "ln/lnstring.h"

// Two terminated platform texts (null counts as empty).
int LNStringCompare(const char* a, const char* b, uint32_t flags);
int LNStringCompare(const LNString& a, const LNString& b, uint32_t flags);
// Two platform characters.
int LNStringCompare(char a, char b, uint32_t flags);
int LNStringCompare(const LNChar& a, char b, uint32_t flags);
int LNStringCompare(const LNChar& a, const LNChar& b, uint32_t flags);
