#include "metrics/live_page.h"

#include <QByteArrayView>

#include "core/picture.h"
#include "core/quake_text.h"
#include "core/text.h"

namespace morvek::metrics {

namespace {

void AppendRuns(std::string& out, std::string_view bytes, bool readable) {
    out += '[';
    const std::vector<ToneRun> runs =
        readable ? ToneRuns(bytes) : std::vector<ToneRun>{{GlyphTone::kPlain, std::string(bytes)}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i) out += ',';
        out += '[';
        AppendJsonString(out, runs[i].text);
        out += ',' + std::to_string(static_cast<int>(runs[i].tone)) + ']';
    }
    out += ']';
}

}  // namespace

QByteArray PageCharset(std::string_view page) {
    const QByteArray head =
        QByteArray(page.substr(0, 4096).data(), qsizetype(std::min<std::size_t>(page.size(), 4096)))
            .toLower();
    qsizetype at = head.indexOf("charset=");
    if (at < 0) return "windows-1252";
    at += 8;
    if (at < head.size() && (head[at] == '"' || head[at] == '\'')) ++at;
    qsizetype end = at;
    while (end < head.size() &&
           (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' ||
            head[end] == '_' || head[end] == '.' || head[end] == ':'))
        ++end;
    return end > at ? head.mid(at, end - at) : QByteArray("windows-1252");
}

std::string LiveJson(const Monitor& monitor) {
    const bool readable = monitor.options.readable_names;
    const ServerSnapshot& s = monitor.snapshot;
    std::string out = "{\"lamp\":\"" + std::string(StateName(monitor.state)) + "\",\"map\":";
    AppendJsonString(out, s.map);
    out += ",\"maxPlayers\":";
    AppendJsonString(out, s.max_players);
    out += ",\"name\":";
    AppendRuns(out, s.name, readable);
    out += ",\"players\":";
    AppendJsonString(out, s.players);
    out += ",\"rows\":[";
    bool first = true;
    for (const PlayerRecord& row : monitor.view.rows) {
        if (row[kName].empty()) continue;
        out += first ? "{\"frags\":" : ",{\"frags\":";
        first = false;
        AppendJsonString(out, row[kFrags]);
        out += ",\"name\":";
        AppendRuns(out, NameWithoutMark(monitor.options, row[kName]), readable);
        out += std::string(",\"present\":") + (IsEmptyMark(row[kPresent]) ? "false" : "true") +
               ",\"spectator\":" + (IsSpectator(monitor.options, row) ? "true" : "false") + "}";
    }
    out += "],\"status\":";
    AppendJsonString(out, monitor.status_text);
    out += "}";
    return out;
}

std::string LiveMessage(const Monitor& monitor) {
    return "event: picture\ndata: " + LiveJson(monitor) + "\n\n";
}

std::string LivePage(const Monitor& monitor, bool overlay) {
    std::string lamps;
    for (ConnectionState state : {ConnectionState::Disconnected, ConnectionState::TryingToConnect,
                                  ConnectionState::Connected})
        lamps += std::string(lamps.empty() ? "" : ",") + "\"" + StateName(state) + "\":\"" +
                 StatusText(state) + "\"";
    // The lamp and letter colours are the window's (its presentation in ui/), which the server
    // cannot link; the page names them again.
    std::string page = R"(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Morvek live</title>
<style>
html{background:BACKGROUND;color:#f2f2f2;font:32px/1.35 "DejaVu Sans","Liberation Sans",Arial,sans-serif}
body{margin:0;padding:32px 48px;text-shadow:0 2px 4px #000}
header{display:flex;align-items:center;gap:24px;margin-bottom:20px}
#lamp{width:36px;height:36px;border-radius:50%;flex:none;box-shadow:0 0 12px #000}
#name{font-size:52px;font-weight:bold;white-space:pre;overflow:hidden;text-overflow:ellipsis}
#info{color:#c8c8c8;margin:0 0 16px 60px;white-space:pre}
table{border-collapse:collapse;min-width:60%;max-width:1400px}
td{padding:4px 24px 4px 0;white-space:pre}
td.frags{text-align:right;font-weight:bold;min-width:3em}
tr.gone{opacity:.45}
#news{margin-top:20px;color:#e0e0e0;font-size:28px;white-space:pre}
.t1{color:#a04020}.t2{color:#b08000}
.Disconnected{background:#ff0000}.TryingToConnect{background:#ff8000}.Connected{background:#00ff00}
</style></head><body>
<header><div id="lamp"></div><div id="name"></div></header>
<div id="info"></div>
<table><tbody id="rows"></tbody></table>
<div id="news"></div>
<script>
"use strict";
const lamps={LAMPS};
const $=id=>document.getElementById(id);
function runs(parts){const f=document.createDocumentFragment();
 for(const [text,tone] of parts){const s=document.createElement("span");s.textContent=text;
  if(tone)s.className="t"+tone;f.append(s);}return f;}
function cell(row,cls,content){const td=document.createElement("td");td.className=cls;
 if(typeof content==="string")td.textContent=content;else td.append(content);row.append(td);}
function show(p){
 $("lamp").className=p.lamp;$("lamp").title=p.status;
 $("name").replaceChildren(runs(p.name));
 $("info").textContent=p.status+"   "+p.map+"   "+p.players+" / "+p.maxPlayers;
 const body=document.createElement("tbody");body.id="rows";
 for(const r of p.rows){const tr=document.createElement("tr");if(!r.present)tr.className="gone";
  cell(tr,"name",runs(r.name));cell(tr,"frags",r.spectator?"spectator":r.frags);body.append(tr);}
 $("rows").replaceWith(body);}
function fromStatus(s){const v=s.server||{};
 return {lamp:s.state,status:lamps[s.state]||"",name:[[v.name||"",0]],map:v.map||"",players:v.players||"",
  maxPlayers:v.maxPlayers||"",rows:(s.players||[]).map(p=>({name:[[p.name,0]],frags:p.frags,
  present:p.present==="1",spectator:!!p.spectator}))};}
const said={join:"joined",leave:"left",lead:"leads",map:"map"};
let polling=null;
function poll(){fetch("status.json",{cache:"no-store"}).then(r=>r.json()).then(s=>show(fromStatus(s))).catch(()=>{});}
show(FIRST);
const events=new EventSource("events");
events.addEventListener("picture",e=>{if(polling){clearInterval(polling);polling=null;}show(JSON.parse(e.data));});
events.onmessage=e=>{const v=JSON.parse(e.data);
 $("news").textContent=(v.name!==undefined?v.name+" ":"")+(said[v.event]||v.event.replace("_"," "));};
events.onerror=()=>{if(!polling){poll();polling=setInterval(poll,5000);}};
</script></body></html>
)";
    const auto put = [&page](std::string_view key, const std::string& value) {
        page.replace(page.find(key), key.size(), value);
    };
    put("BACKGROUND", overlay ? "transparent" : "#101418");
    put("LAMPS", lamps);
    // The picture as it stands, so the board is whole before the stream opens; inside a script
    // a "<" could end it, and in JSON it is only ever inside a string.
    std::string first = LiveJson(monitor);
    for (std::size_t at = 0; (at = first.find('<', at)) != std::string::npos;)
        first.replace(at, 1, "\\u003c");
    put("FIRST", first);
    return page;
}

}  // namespace morvek::metrics
