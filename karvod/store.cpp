// What both backends share: the JSON forms in which they keep a job's lists,
// the claim of a job, and the choice of the backend.
#include <nlohmann/json.hpp>

#include "karvod/store.h"
#include "karvod/util.h"

namespace karvod {

using nlohmann::json;

std::string InputToText(const std::vector<std::string>& lines) {
  json a = json::array();
  for (const auto& l : lines) a.push_back(BytesToUtf8(l));
  return a.dump();
}

std::vector<std::string> InputFromText(const std::string& text) {
  std::vector<std::string> lines;
  const json a = json::parse(text, nullptr, false);
  if (!a.is_array()) return lines;
  for (const auto& s : a)
    if (s.is_string()) lines.push_back(Utf8ToBytes(s.get<std::string>()).value_or(""));
  return lines;
}

std::string AttemptsToText(const std::vector<Attempt>& attempts) {
  json a = json::array();
  for (const Attempt& t : attempts)
    a.push_back({{"n", t.Number}, {"started", t.Started}, {"ended", t.Ended}, {"code", t.Code},
                 {"outcome", t.Outcome}, {"node", t.Node}, {"pid", t.Pid}, {"dir", t.Directory}});
  return a.dump();
}

std::vector<Attempt> AttemptsFromText(const std::string& text) {
  std::vector<Attempt> out;
  const json a = json::parse(text, nullptr, false);
  if (!a.is_array()) return out;
  for (const auto& o : a) {
    Attempt t;
    t.Number = o.value("n", 0);
    t.Started = o.value("started", "");
    t.Ended = o.value("ended", "");
    t.Code = o.value("code", -1);
    t.Outcome = o.value("outcome", "");
    t.Node = o.value("node", "");
    t.Pid = o.value("pid", 0L);
    t.Directory = o.value("dir", "");
    out.push_back(t);
  }
  return out;
}

void StartAttempt(Job& job, const std::string& node, int64_t nowMs) {
  job.State = JobState::Running;
  job.Node = node;
  if (job.Started.empty()) job.Started = IsoTime(nowMs);
  Attempt a;
  a.Number = static_cast<int>(job.Attempts.size()) + 1;
  a.Started = IsoTime(nowMs);
  a.Outcome = "running";
  a.Node = node;
  job.Attempts.push_back(a);
  job.Prog = Progress{};
}

std::string ProgressToText(const Progress& p) {
  return json{{"requests", p.Requests}, {"input_lines", p.InputLines}, {"output_lines", p.OutputLines},
              {"total_lines", p.TotalLines}, {"rate", p.Rate}, {"updated", p.Updated}}
      .dump();
}

Progress ProgressFromText(const std::string& text) {
  Progress p;
  const json o = json::parse(text, nullptr, false);
  if (!o.is_object()) return p;
  p.Requests = o.value("requests", 0u);
  p.InputLines = o.value("input_lines", 0u);
  p.OutputLines = o.value("output_lines", 0u);
  p.TotalLines = o.value("total_lines", 0u);
  p.Rate = o.value("rate", 0.0);
  p.Updated = o.value("updated", "");
  return p;
}

std::string ExtraToText(const RunFiles& f) {
  json o = json::object();
  for (const auto& [name, bytes] : f.Extra) o[BytesToUtf8(name)] = BytesToUtf8(bytes);
  return o.dump();
}

std::string ExtraNamesToText(const RunFiles& f) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : f.Extra) names.push_back(name);
  return InputToText(names);
}

std::optional<std::string> ExtraFile(const std::string& text, const std::string& name) {
  const json o = json::parse(text, nullptr, false);
  if (!o.is_object()) return std::nullopt;
  const auto it = o.find(BytesToUtf8(name));
  if (it == o.end() || !it->is_string()) return std::nullopt;
  return Utf8ToBytes(it->get<std::string>());
}

std::unique_ptr<Store> OpenStore(const std::string& url, const std::string& stateDir, int leaseSeconds,
                                 std::string& error) {
  if (url.empty()) return OpenSqliteStore(stateDir + "/karvod.db", error);
  if (url.rfind("sqlite:", 0) == 0) return OpenSqliteStore(url.substr(7), error);
  if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) return OpenPostgresStore(url, leaseSeconds, error);
  error = "--store takes sqlite:PATH or postgresql://...";
  return nullptr;
}

}  // namespace karvod
