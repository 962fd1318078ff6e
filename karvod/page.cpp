// The status page: plain HTML and a little JavaScript, served by the service
// itself. It reads the same API as any client (with the token given after
// "#token=" in its address when the service asks for one).
#include "karvod/api.h"

namespace karvod {

const std::string& StatusPage() {
  static const std::string page = R"PAGE(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>karvod</title>
<style>
body { font-family: sans-serif; margin: 1em 2em; color: #222; }
table { border-collapse: collapse; margin-bottom: 1.5em; }
th, td { border-bottom: 1px solid #ccc; padding: 0.25em 0.75em; text-align: left; vertical-align: top; }
th { background: #eee; }
.done { color: #060; } .failed, .interrupted { color: #a00; } .running, .suspended { color: #035; }
pre { background: #f6f6f6; padding: 0.5em; max-height: 30em; overflow: auto; }
a { cursor: pointer; color: #036; text-decoration: underline; }
#error { color: #a00; }
</style>
</head>
<body>
<h1>karvod</h1>
<p id="error"></p>
<h2>Registers</h2>
<table id="registers"><thead><tr><th>Register</th><th>Line</th><th>Link</th><th>Queued</th><th>Running</th><th>Last result</th></tr></thead><tbody></tbody></table>
<h2>Jobs</h2>
<table id="jobs"><thead><tr><th>Job</th><th>Register</th><th>Command</th><th>State</th><th>Progress</th><th>Result</th><th>Created</th></tr></thead><tbody></tbody></table>
<div id="detail"></div>
<script>
"use strict";
const token = (new URLSearchParams(location.hash.slice(1))).get("token") || "";
const headers = token ? {"Authorization": "Bearer " + token} : {};
function esc(s) { return String(s == null ? "" : s).replace(/[&<>"]/g, c => ({"&":"&amp;","<":"&lt;",">":"&gt;","\"":"&quot;"}[c])); }
async function get(path, asText) {
  const r = await fetch(path, {headers});
  if (!r.ok) throw new Error(path + ": " + r.status);
  if (!asText) return r.json();
  return new TextDecoder("iso-8859-2").decode(await r.arrayBuffer());
}
function progress(j) {
  const p = j.progress || {};
  const lines = p.output_lines || p.input_lines || 0;
  if (j.state !== "running" && j.state !== "suspended") return lines ? esc(lines) + " lines" : "";
  const bar = p.total_lines ? `<progress value="${lines}" max="${p.total_lines}"></progress>` : `<progress></progress>`;
  return `<span class="progress" data-lines="${lines}" data-requests="${p.requests || 0}">${bar} ${esc(lines)} lines, ` +
         `${esc(p.requests || 0)} requests, ${esc((p.rate || 0).toFixed(1))}/s</span>`;
}
function result(j) {
  if (!j.result || j.result.code == null) return esc(j.note || "");
  return `<span class="result" data-code="${j.result.code}">${esc(j.result.code)} ${esc(j.result.text)}</span>`;
}
async function show(id) {
  try {
    const j = await get("/v1/jobs/" + id);
    let html = `<h2>Job ${esc(id)}</h2><p>${esc(j.name)} on register ${esc(j.register)}: ${esc(j.state)} ${esc(j.note || "")}</p>`;
    if (j.result) html += "<h3>Report</h3><pre>" + esc(j.result.report.join("\n")) + "</pre>";
    try { html += "<h3>Output</h3><pre>" + esc(await get("/v1/jobs/" + id + "/output", true)) + "</pre>"; } catch (e) {}
    document.getElementById("detail").innerHTML = html;
  } catch (e) { document.getElementById("error").textContent = String(e); }
}
async function refresh() {
  try {
    const [regs, jobs] = await Promise.all([get("/v1/registers"), get("/v1/jobs?limit=50")]);
    document.querySelector("#registers tbody").innerHTML = regs.registers.map(r =>
      `<tr data-register="${r.register}"><td>${r.register}</td><td>${esc(r.line)}</td><td>${esc(r.link)}</td>` +
      `<td>${r.queued}</td><td>${r.running ? esc(r.running.name) + " " + progress(r.running) : ""}</td>` +
      `<td>${r.last ? result(r.last) : ""}</td></tr>`).join("");
    document.querySelector("#jobs tbody").innerHTML = jobs.jobs.map(j =>
      `<tr class="job ${j.state}" data-id="${j.id}" data-state="${j.state}"><td><a onclick="show('${j.id}')">${j.id.slice(0, 8)}</a></td>` +
      `<td>${j.register}</td><td>${esc(j.name)}</td><td>${j.state}</td><td>${progress(j)}</td><td>${result(j)}</td>` +
      `<td>${esc(j.created)}</td></tr>`).join("");
    document.getElementById("error").textContent = "";
    document.body.dataset.loaded = "yes";
  } catch (e) { document.getElementById("error").textContent = String(e); }
}
refresh();
setInterval(refresh, 1000);
</script>
</body>
</html>
)PAGE";
  return page;
}

}  // namespace karvod
