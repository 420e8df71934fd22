// The files of a new document: an empty page, then one paragraph per inserted merge field, each holding a
// MERGEFIELD field whose result shows «name».
#pragma once

#include <string>
#include <vector>

namespace word {

std::string NewRtfDocument(const std::vector<std::string>& mergeFields);
std::string NewDocxDocument(const std::vector<std::string>& mergeFields);

// The result text a new merge field shows until it is merged.
std::string FieldPlaceholder(const std::string& name);

} // namespace word
