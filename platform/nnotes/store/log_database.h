// The log database: where add-in messages and closed log entries are kept as documents.
#pragma once

#include "nnotes/nnotes.h"

#include <string>
#include <vector>

namespace nnotes::logdb {

// One item of a log document: a text, a text list or a number.
struct Item {
    std::string name;
    uint16_t type; // TYPE_TEXT, TYPE_TEXT_LIST or TYPE_NUMBER
    std::vector<std::string> texts;
    double number = 0;
};

// Stores a new document with items into LOG_DATABASE of the local data directory, made when missing.
STATUS Write(const std::vector<Item>& items);

} // namespace nnotes::logdb
