#include "core/rules.h"

namespace morvek {

std::string RuleLine(std::string_view name, std::string_view value, int width) {
    std::string line(name);
    if (static_cast<int>(line.size()) < width) line.append(std::size_t(width) - line.size(), ' ');
    line += '\t';
    line.append(value);
    return line;
}

void AddRuleLine(RulesList& rules, std::string_view name, std::string_view value, int width) {
    rules.lines.push_back(RuleLine(name, value, width));
    ++rules.revision;
}

}  // namespace morvek
