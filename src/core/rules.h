// The server's rules as the rules window lists them: text lines "name, blanks to a width, TAB,
// value", and the window's caption.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace morvek {

inline constexpr const char* kRulesWorking = "Rules - Working...";
inline constexpr const char* kRulesDone = "Rules - Done";
// After each QuakeWorld or Quake II status reply, which carries the whole list.
inline constexpr const char* kRulesListed = "Morvek - Rules";

// Width of the name column: 19 for NetQuake rules, 20 for QuakeWorld and Quake II keys.
inline constexpr int kNetQuakeRuleWidth = 19;
inline constexpr int kStatusRuleWidth = 20;

// A NetQuake listing ends after this many rules even when the server never says it is done.
inline constexpr std::size_t kMaxNetQuakeRules = 512;

struct RulesList {
    std::vector<std::string> lines;
    std::string caption = kRulesWorking;
    // The window is on screen; NetQuake rule replies are acted upon only then.
    bool shown = false;
    // A NetQuake listing is under way: one rule is asked for per rule received, until the
    // server's last rule, a name it already sent (a server that loops) or kMaxNetQuakeRules.
    bool listing = false;
    std::set<std::string> listed_names;
    std::uint64_t revision = 0;

    void Clear() {
        lines.clear();
        listed_names.clear();
        ++revision;
    }
    // The window is closed: its list goes with it, and a later load starts "Rules - Working...".
    void Unload() {
        lines.clear();
        listed_names.clear();
        caption = kRulesWorking;
        shown = false;
        listing = false;
        ++revision;
    }
};

// The line for one rule: the name, blanks up to `width` (none when the name is that long or
// longer), one TAB, the value.
std::string RuleLine(std::string_view name, std::string_view value, int width);

void AddRuleLine(RulesList& rules, std::string_view name, std::string_view value, int width);

}  // namespace morvek
