#include "command_arguments.h"

#include "unicode_text.h"

#include <charconv>

namespace word {
namespace {

ArgumentValue Convert(const ArgumentValue& value, const Parameter& parameter) {
    if (parameter.type == Parameter::Type::String) {
        if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
        return value;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        std::int32_t number = 0;
        const char* end = text->data() + text->size();
        auto [ptr, error] = std::from_chars(text->data(), end, number);
        if (text->empty() || error != std::errc() || ptr != end)
            throw AutomationError("Type mismatch: argument " + std::string(parameter.name) +
                                  " wants a number");
        return number;
    }
    return value;
}

} // namespace

BoundArguments::BoundArguments(std::span<const Parameter> parameters, const std::vector<Argument>& arguments)
    : parameters_(parameters), values_(parameters.size()) {
    size_t nextPositional = 0;
    for (const Argument& argument : arguments) {
        size_t index = parameters.size();
        if (argument.name.empty()) {
            index = nextPositional++;
            if (index >= parameters.size()) throw AutomationError("Too many arguments");
        } else {
            for (size_t i = 0; i < parameters.size(); ++i)
                if (EqualsNoCase(parameters[i].name, argument.name)) index = i;
            if (index == parameters.size()) throw AutomationError("Unknown argument name " + argument.name);
        }
        if (values_[index])
            throw AutomationError("Argument " + std::string(parameters[index].name) + " given twice");
        values_[index] = Convert(argument.value, parameters[index]);
    }
}

std::optional<std::string> BoundArguments::String(size_t index) const {
    if (!values_.at(index)) return std::nullopt;
    return std::get<std::string>(*values_[index]);
}

std::optional<std::int32_t> BoundArguments::Integer(size_t index) const {
    if (!values_.at(index)) return std::nullopt;
    return std::get<std::int32_t>(*values_[index]);
}

std::string BoundArguments::RequiredString(size_t index) const {
    std::optional<std::string> value = String(index);
    if (!value) throw AutomationError("Argument " + std::string(parameters_[index].name) + " is missing");
    return *value;
}

} // namespace word
