// nsfadmin's commands as functions, for the program and for tests that build their fixtures from JSON.
//
// Every function starts the store for its own work (starts nest, so a caller that has started it already
// keeps it started) and reads the settings file named by $NOTES_INI. Each returns an error text, empty when
// the command succeeded; the text names the file or database, the place in it and what is wrong.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace nsfadmin {

// Creates or replaces the database that a JSON description (read from a file) describes. A failed build
// leaves any database that was there before as it was.
std::string BuildFromFile(const std::string& jsonPath);
// The same for a description given as text; sourceName names it in error texts.
std::string BuildFromText(std::string_view json, const std::string& sourceName);

// Writes every document of a database, one JSON object per line. server "" is the local data directory.
std::string Dump(const std::string& database, const std::string& server, std::ostream& out);

// Writes the entries of a view in collection order, one tab-separated line each.
std::string ListView(const std::string& database, const std::string& view, const std::string& server,
                     std::ostream& out);

// Builds or updates the database's full-text index.
std::string Index(const std::string& database, const std::string& server);

} // namespace nsfadmin
