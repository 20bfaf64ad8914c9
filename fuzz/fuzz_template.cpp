// The HTML renderer on arbitrary template bytes, server texts and player rows. The input is cut
// at NUL bytes: the template first, then the server panel's nine texts, then name, time and frags
// of successive view rows. A page whose server texts hold no line break (CR or LF, each of which
// ends a template line) re-reads, line by line, as exactly the page.
#include <QDateTime>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/monitor.h"
#include "web/html_renderer.h"

using namespace morvek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t nul = input.find('\0', start);
        if (nul == std::string_view::npos) {
            parts.push_back(input.substr(start));
            break;
        }
        parts.push_back(input.substr(start, nul - start));
        start = nul + 1;
    }

    Monitor monitor;
    std::size_t next = 1;
    auto take = [&]() -> std::string {
        return next < parts.size() ? std::string(parts[next++]) : std::string();
    };
    ServerSnapshot& s = monitor.snapshot;
    for (std::string* field : {&s.name, &s.version, &s.map, &s.address, &s.port, &s.ping,
                               &s.players, &s.max_players, &s.type_name})
        *field = take();
    for (int row = 0; row < kPlayerSlots && next < parts.size(); ++row) {
        monitor.view.rows[row][kName] = take();
        monitor.view.rows[row][kTime] = take();
        monitor.view.rows[row][kFrags] = take();
    }

    static const QDateTime now(QDate(2024, 1, 2), QTime(3, 4, 5));
    const std::optional<std::string> page = web::RenderPage(parts[0], monitor, now);
    if (page) {
        // Every line written ends with CR LF.
        if (!page->empty() && !page->ends_with("\r\n")) __builtin_trap();
        // Render, then re-read the page's lines: each line comes back whole.
        if (std::none_of(parts.begin() + 1, parts.end(), [](std::string_view part) {
                return part.find_first_of("\r\n") != part.npos;
            })) {
            std::string again;
            for (std::string_view line : web::TemplateLines(*page)) {
                again += line;
                again += "\r\n";
            }
            if (again != *page) __builtin_trap();
        }
        // Nothing from the server reaches the page as a tag: with no "<" in the template, every
        // tag of the page is one of the player block's own.
        if (parts[0].find('<') == std::string_view::npos) {
            static constexpr std::string_view kTags[] = {"<Table border=1>",
                                                         "</Table>",
                                                         "<Tr>",
                                                         "</Tr>",
                                                         "<TD>",
                                                         "</TD>",
                                                         "<B>",
                                                         "</B>",
                                                         "<Font size=1>",
                                                         "<Font size=3>",
                                                         "<BR>"};
            for (std::size_t at = page->find('<'); at != std::string::npos;
                 at = page->find('<', at + 1)) {
                bool known = false;
                for (std::string_view tag : kTags)
                    if (std::string_view(*page).substr(at).starts_with(tag)) known = true;
                if (!known) __builtin_trap();
            }
        }
    }
    return 0;
}
