// Binding the arguments of an automation call to a command's parameters, the way automation does:
// positional arguments in order, named ones by name (case-insensitive), strings and integers converted
// where the parameter wants the other kind.
#pragma once

#include "word/word.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace word {

struct Parameter {
    enum class Type { String, Integer };
    std::string_view name;
    Type type;
};

class BoundArguments {
public:
    // Throws AutomationError for an unknown argument name, too many positional arguments, an argument
    // given twice, or a value that does not convert.
    BoundArguments(std::span<const Parameter> parameters, const std::vector<Argument>& arguments);

    std::optional<std::string> String(size_t index) const;
    std::optional<std::int32_t> Integer(size_t index) const;
    // Throws AutomationError naming the parameter when the argument was not given.
    std::string RequiredString(size_t index) const;

private:
    std::span<const Parameter> parameters_;
    std::vector<std::optional<ArgumentValue>> values_;
};

} // namespace word
