// Texts between the object layer and the exports' callers.
#pragma once

#include "ln/lnitem.h"
#include "ln/lnstring.h"

#include <string>
#include <string_view>

// The bounded copy of every text result: at most size - 1 bytes and a terminating zero. A null buffer or a
// size of 0 or less receives nothing.
void CopyOut(char* buffer, int size, std::string_view text);

// The platform form of a Notes text; empty for an empty handle.
std::string PlatformText(const LNString& text);

// The platform text of the first entry of a text value, however long, empty when it has none. A value that
// is not text throws the conversion status.
std::string FirstEntryText(const LNItem& value);

// The first bytes bytes (or fewer) of what PlatformText and FirstEntryText give, made from the front of the
// Notes text alone: a stored text may be longer as platform text than any string of the object layer can be,
// and a caller that keeps a few bytes of it needs no more.
std::string PlatformTextPrefix(const LNString& text, size_t bytes);
std::string FirstEntryTextPrefix(const LNItem& value, size_t bytes);
