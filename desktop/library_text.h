// Texts from the data-access library: its exports fill caller buffers with 8-bit text.
#pragma once

#include <QString>

#include <functional>

// Calls fill with a zeroed buffer of the given size and returns the text it left there.
QString ReadLibraryText(int size, const std::function<void(char*, int)>& fill);
