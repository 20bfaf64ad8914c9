#include "core/player_table.h"

#include <cstdlib>
#include <utility>

#include "core/numbers.h"
#include "core/quake_text.h"
#include "core/text.h"

namespace morvek {

int LastSlot(ServerType type) {
    return IsNetQuake(type) ? 15 : 63;
}

void ClearPlayerTable(PlayerTable& table, PlayerView& view) {
    for (auto& slot : table.slot)
        for (auto& field : slot) field.clear();
    table.identity.fill({});
    table.roll_call = false;
    for (auto& row : view.rows)
        for (auto& field : row) field.clear();
    view.slot_of.fill(-1);
}

void AgePresence(PlayerTable& table) {
    for (int s = 0; s < kPlayerSlots; ++s) {
        table.countdown[s] = static_cast<std::int16_t>(table.countdown[s] - 1);
        if (table.countdown[s] < 0) {
            table.slot[s][kPresent].clear();
            table.countdown[s] = 3;
        }
    }
}

namespace {

bool SamePlayer(const PlayerIdentity& held, const PlayerIdentity& heard, bool netquake) {
    if (!netquake) return held == heard;
    if (held.key != heard.key) return false;
    // A client's address and port are its own; bots share an address without a port.
    if (held.key.find(':') != std::string::npos || held.since_ms == 0 || heard.since_ms == 0)
        return true;
    return std::llabs(held.since_ms - heard.since_ms) <= kSinceSlackMs;
}

}  // namespace

int FindSlot(const PlayerTable& table, ServerType type, std::string_view name,
             const PlayerIdentity& identity) {
    const int last = LastSlot(type);
    const bool netquake = IsNetQuake(type);
    int heard_before = -1;  // a NetQuake slot not heard in this round, lowest number first
    for (int s = 0; s <= last; ++s) {
        const PlayerIdentity& held = table.identity[s];
        if (IsEmptyMark(table.slot[s][kPresent]) || table.slot[s][kName] != name ||
            !SamePlayer(held, identity, netquake))
            continue;
        if (!netquake || (held.round == identity.round && held.order == identity.order)) return s;
        if (held.round != identity.round &&
            (heard_before < 0 || held.order < table.identity[heard_before].order))
            heard_before = s;
    }
    if (heard_before >= 0) return heard_before;
    for (int s = 0; s <= last && table.roll_call; ++s)
        if (table.slot[s][kName] == name && !IsEmptyMark(table.slot[s][kPresent]) &&
            !table.heard[s])
            return s;
    for (int s = 0; s <= last; ++s)
        if (table.slot[s][kName] == name && IsEmptyMark(table.slot[s][kPresent])) return s;
    for (int s = 0; s <= last; ++s)
        if (table.slot[s][kName].empty()) return s;
    for (int s = 0; s <= last; ++s)
        if (IsEmptyMark(table.slot[s][kPresent])) return s;
    return 0;
}

void StartIncoming(PlayerTable& table) {
    for (auto& field : table.incoming) field.clear();
    table.incoming[kPresent] = "1";
    table.incoming_countdown = 3;
    table.incoming_identity = {};
}

int CommitIncoming(PlayerTable& table, ServerType type) {
    if (IsNetQuake(type)) {
        if (table.incoming_identity.order <= table.last_order) ++table.round;
        table.last_order = table.incoming_identity.order;
        table.incoming_identity.round = table.round;
    }
    int slot = FindSlot(table, type, table.incoming[kName], table.incoming_identity);
    table.slot[slot] = table.incoming;
    table.countdown[slot] = table.incoming_countdown;
    table.identity[slot] = table.incoming_identity;
    if (table.roll_call) table.heard[slot] = true;
    return slot;
}

void StartRollCall(PlayerTable& table) {
    table.roll_call = true;
    table.heard.fill(false);
}

void EndRollCall(PlayerTable& table) {
    if (!std::exchange(table.roll_call, false)) return;
    for (int s = 0; s < kPlayerSlots; ++s) {
        if (table.heard[s]) continue;
        table.slot[s][kPresent].clear();
        table.countdown[s] = 3;
    }
}

int CountPresent(const PlayerTable& table, bool skip_spectators) {
    int count = 0;
    for (const auto& slot : table.slot)
        if (!slot[kPresent].empty() && !(skip_spectators && IsSpectatorName(slot[kName]))) ++count;
    return count;
}

namespace {

bool IsCandidate(const PlayerRecord& slot, std::int16_t keep_absent) {
    return !IsEmptyMark(slot[kPresent]) || keep_absent != 0;
}

void CopyRow(const PlayerTable& table, int slot, PlayerView& view, int row, int id) {
    for (int f = 0; f < kOrderMark; ++f) view.rows[row][f] = table.slot[slot][f];
    view.rows[row][kId] = IntegerText(id);
    view.slot_of[row] = slot;
}

void ClearRow(PlayerView& view, int row) {
    for (auto& field : view.rows[row]) field.clear();
    view.slot_of[row] = -1;
}

}  // namespace

void BuildPlayerView(PlayerTable& table, PlayerView& view, std::uint8_t sorting,
                     std::int16_t keep_absent, bool readable_names, bool spectators_apart) {
    if (sorting == kSortById) {
        int row = 0;
        for (int s = 0; s < kPlayerSlots; ++s) {
            if (!IsCandidate(table.slot[s], keep_absent)) continue;
            CopyRow(table, s, view, row, row + 1);
            ++row;
        }
        for (; row < kPlayerSlots; ++row) ClearRow(view, row);
        return;
    }
    if (sorting != kSortByName && sorting != kSortByFrags) return;

    for (auto& slot : table.slot) slot[kOrderMark].clear();
    // A slot is placed once its OrderMark holds its number; every mark was just emptied, so a
    // flag per slot says the same without reading the text back.
    std::array<bool, kPlayerSlots> placed{};
    // Upper-cased names are computed once per rebuild rather than once per comparison.
    std::array<std::string, kPlayerSlots> keys;
    std::array<double, kPlayerSlots> frags{};
    for (int s = 0; s < kPlayerSlots; ++s) {
        if (sorting == kSortByName)
            keys[s] = UpperCase1252(ShownText(table.slot[s][kName], readable_names));
        else
            frags[s] = FragsValue(table.slot[s][kFrags]);
    }
    static const std::string kNameStart(3, '\xFF');

    for (int n = 0; n < kPlayerSlots; ++n) {
        int picked = -1;
        if (sorting == kSortByName) {
            const std::string* best = &kNameStart;
            for (int s = 0; s < kPlayerSlots; ++s) {
                const auto& slot = table.slot[s];
                if (!IsCandidate(slot, keep_absent) || placed[s]) continue;
                const std::string& name = slot[kName];
                if (name.empty() || IsBlank(name) || name == "\xFF") continue;
                if (CompareBytes(keys[s], *best) < 0) {
                    best = &keys[s];
                    picked = s;
                }
            }
        } else {
            double best = -1000;
            for (int s = 0; s < kPlayerSlots; ++s) {
                const auto& slot = table.slot[s];
                if (!IsCandidate(slot, keep_absent) || placed[s]) continue;
                if (slot[kName].empty()) continue;
                if (spectators_apart && IsSpectatorName(slot[kName])) continue;
                if (frags[s] > best) {
                    best = frags[s];
                    picked = s;
                }
            }
        }
        // Spectators apart: after the ranked players, in slot order.
        if (picked < 0 && spectators_apart && sorting == kSortByFrags) {
            for (int s = 0; s < kPlayerSlots && picked < 0; ++s) {
                const auto& slot = table.slot[s];
                if (IsCandidate(slot, keep_absent) && !placed[s] && IsSpectatorName(slot[kName]))
                    picked = s;
            }
        }
        if (picked < 0) {
            ClearRow(view, n);
            continue;
        }
        CopyRow(table, picked, view, n, picked + 1);
        table.slot[picked][kOrderMark] = IntegerText(picked + 1);
        placed[picked] = true;
    }
}

}  // namespace morvek
