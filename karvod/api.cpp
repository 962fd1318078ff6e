#include "karvod/api.h"

#include <httplib.h>

#include <cstring>
#include <sstream>

#include "karvo_commands.h"
#include "karvod/util.h"

namespace karvod {

using nlohmann::json;

namespace {

void Error(httplib::Response& res, int status, const std::string& reason) {
  res.status = status;
  res.set_content(json{{"error", reason}}.dump() + "\n", "application/json");
}

void Json(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump() + "\n", "application/json");
}

// Compares in a time that does not depend on where the texts first differ.
bool SameSecret(const std::string& given, const std::string& token) {
  if (token.empty() || given.size() != token.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < token.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ token[i]);
  return diff == 0;
}

std::optional<int> IntParam(const httplib::Request& req, const char* name, int lo, int hi) {
  if (!req.has_param(name)) return std::nullopt;
  int n = 0;
  return ParseNumber(req.get_param_value(name), lo, hi, n) ? n : lo - 1;
}

json Result(const Job& j) {
  if (j.Code < 0 && j.Report.empty()) return nullptr;
  json report = json::array();
  for (const auto& l : j.Report) report.push_back(BytesToUtf8(l));
  return {{"code", j.Code < 0 ? json(nullptr) : json(j.Code)}, {"text", BytesToUtf8(j.Text)}, {"report", report}};
}

json Optional(const std::string& s) { return s.empty() ? json(nullptr) : json(s); }

// The end of day's input line names the files its readouts write: in the
// service they are written into the run's directory and kept with the job,
// so a name must be a plain file name there, never a path, never one of the
// run's own files.
constexpr int EndOfDayCommand = 324;

bool PlainFileNames(const std::string& line) {
  if (line.empty() || line[0] != '$') return true;
  std::size_t start = 1;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    std::string field = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    field = field.substr(0, field.find(';'));
    while (!field.empty() && field.back() == ' ') field.pop_back();
    while (!field.empty() && field.front() == ' ') field.erase(0, 1);
    if (!field.empty() && field != "*" && field != "?" &&
        (field.find_first_of("/\\:") != std::string::npos || field == "." || field == ".." || field.size() > 80 ||
         RunOwnFile(field)))
      return false;
    if (tab == std::string::npos) return true;
    start = tab + 1;
  }
}

}  // namespace

json JobToJson(const Job& j) {
  const karvo::CommandInfo* info = karvo::FindCommand(j.Command);
  json attempts = json::array();
  for (const Attempt& a : j.Attempts)
    attempts.push_back({{"n", a.Number}, {"started", a.Started}, {"ended", Optional(a.Ended)},
                        {"code", a.Code < 0 ? json(nullptr) : json(a.Code)}, {"outcome", a.Outcome}, {"node", a.Node}});
  const Progress& p = j.Prog;
  return {{"id", j.Id},
          {"register", j.Register},
          {"command", j.Command},
          {"name", info ? info->Name : ""},
          {"class", info ? karvo::CommandClassName(info->Class) : ""},
          {"line", j.Line},
          {"node", Optional(j.Node)},
          {"key", Optional(j.Key)},
          {"state", StateName(j.State)},
          {"result", Result(j)},
          {"note", Optional(j.Note)},
          {"progress",
           {{"requests", p.Requests}, {"input_lines", p.InputLines}, {"output_lines", p.OutputLines},
            {"total_lines", p.TotalLines}, {"rate", p.Rate}, {"updated", Optional(p.Updated)}}},
          {"attempts", attempts},
          {"files", [&] {
             json names = json::array();
             for (const auto& n : j.Files) names.push_back(BytesToUtf8(n));
             return names;
           }()},
          {"created", j.Created},
          {"started", Optional(j.Started)},
          {"ended", Optional(j.Ended)}};
}

std::optional<Submission> ParseSubmission(const std::string& body, const Configuration& config, std::string& reason) {
  const json b = json::parse(body, nullptr, false);
  if (b.is_discarded()) {
    reason = "the body is not JSON";
    return std::nullopt;
  }
  if (!b.is_object()) {
    reason = "the body must be a JSON object";
    return std::nullopt;
  }
  Submission s;
  const auto reg = b.find("register");
  if (reg == b.end() || !reg->is_number_integer()) {
    reason = "\"register\" must be a register number";
    return std::nullopt;
  }
  const int64_t number = reg->get<int64_t>();
  if (number < 1 || number > 99 || !config.Registers.count(static_cast<int>(number))) {
    reason = "register " + std::to_string(number) + " is not in KONFIG.TXT";
    return std::nullopt;
  }
  s.Register = static_cast<int>(number);
  const auto cmd = b.find("command");
  const karvo::CommandInfo* info = nullptr;
  if (cmd != b.end() && cmd->is_number_integer() && cmd->get<int64_t>() > 0 && cmd->get<int64_t>() < 1000)
    info = karvo::FindCommand(static_cast<int32_t>(cmd->get<int64_t>()));
  else if (cmd != b.end() && cmd->is_string())
    info = karvo::FindCommand(cmd->get_ref<const std::string&>());  // the whole name, NUL and all
  if (!info) {
    reason = cmd == b.end() ? "\"command\" is missing" : "unknown command " + cmd->dump();
    return std::nullopt;
  }
  s.Command = info->Code;
  if (const auto in = b.find("input"); in != b.end() && !in->is_null()) {
    if (!in->is_array()) {
      reason = "\"input\" must be an array of lines";
      return std::nullopt;
    }
    if (in->size() > MaxInputLines) {
      reason = "more than " + std::to_string(MaxInputLines) + " input lines";
      return std::nullopt;
    }
    for (std::size_t i = 0; i < in->size(); ++i) {
      const json& l = (*in)[i];
      const std::string where = "input line " + std::to_string(i + 1);
      if (!l.is_string()) {
        reason = where + " is not a string";
        return std::nullopt;
      }
      const auto bytes = Utf8ToBytes(l.get<std::string>());
      if (!bytes) {
        reason = where + " holds a character above U+00FF";
        return std::nullopt;
      }
      if (bytes->find_first_of(std::string("\0\r\n", 3)) != std::string::npos) {
        reason = where + " holds a NUL, CR or LF";
        return std::nullopt;
      }
      if (bytes->size() > MaxLineBytes) {
        reason = where + " is longer than 255 bytes";
        return std::nullopt;
      }
      if (info->Code == EndOfDayCommand && !PlainFileNames(*bytes)) {
        reason = where + " names a file other than a plain file name of the run's own directory";
        return std::nullopt;
      }
      s.Input.push_back(*bytes);
    }
  }
  if (const auto key = b.find("key"); key != b.end() && !key->is_null()) {
    if (!key->is_string() || key->get<std::string>().empty() || key->get<std::string>().size() > 200) {
      reason = "\"key\" must be a text of 1 to 200 bytes";
      return std::nullopt;
    }
    s.Key = key->get<std::string>();
  }
  return s;
}

namespace {

bool ValidId(const std::string& id) {
  return id.size() == 32 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

void PostJob(ApiContext& ctx, const httplib::Request& req, httplib::Response& res) {
  std::string reason;
  const auto sub = ParseSubmission(req.body, *ctx.Config, reason);
  if (!sub) return Error(res, 400, reason);
  Job job;
  job.Id = RandomId();
  job.Register = sub->Register;
  job.Command = sub->Command;
  job.Line = ctx.Config->Registers.at(sub->Register).Line;
  job.Input = sub->Input;
  job.Key = sub->Key;
  job.Created = NowIso();
  switch (ctx.Jobs.Insert(job)) {
    case InsertOutcome::Conflict:
      return Error(res, 409, "the key belongs to another job");
    case InsertOutcome::Existing:
      return Json(res, 200, JobToJson(job));
    case InsertOutcome::Created:
      ctx.Sched.Wake();
      res.set_header("Location", "/v1/jobs/" + job.Id);
      return Json(res, 201, JobToJson(job));
  }
}

void GetJob(ApiContext& ctx, const std::string& id, const httplib::Request& req, httplib::Response& res) {
  const auto wait = IntParam(req, "wait", 0, MaxWaitSeconds);
  if (wait && *wait < 0) return Error(res, 400, "wait takes 0 to 600 seconds");
  const int64_t until = NowMs() + (wait ? *wait : 0) * 1000LL;
  for (;;) {
    const int64_t generation = ctx.Sched.Generation();
    const auto job = ctx.Jobs.Get(id);
    if (!job) return Error(res, 404, "no such job");
    const int64_t left = until - NowMs();
    if (Finished(job->State) || left <= 0) return Json(res, 200, JobToJson(*job));
    // Another node's changes are not announced here: look again at least every 250 ms.
    ctx.Sched.AwaitChange(generation, static_cast<int>(std::min<int64_t>(left, 250)));
  }
}

void GetFile(ApiContext& ctx, const std::string& id, const std::string& which, httplib::Response& res) {
  const auto job = ctx.Jobs.Get(id);
  if (!job) return Error(res, 404, "no such job");
  const auto bytes = ctx.Jobs.File(id, which);
  if (!bytes) return Error(res, 404, "the job has no " + (which.rfind("file/", 0) == 0 ? "file " + which.substr(5) : which) + (Finished(job->State) ? "" : " yet"));
  res.status = 200;
  const bool data = which == "output" || which.rfind("file/", 0) == 0;
  res.set_content(*bytes, data ? "application/octet-stream" : "text/plain; charset=ISO-8859-2");
}

void Control(ApiContext& ctx, const std::string& id, const std::string& what, httplib::Response& res) {
  const char letter = what == "suspend" ? 's' : what == "resume" ? 'r' : 'b';
  const auto job = ctx.Jobs.Get(id);
  if (!job) return Error(res, 404, "no such job");
  if (!ctx.Jobs.RequestControl(id, letter))
    return Error(res, 409, std::string("the job is ") + StateName(job->State) + ", not running");
  ctx.Sched.Wake(id);
  Json(res, 202, JobToJson(*ctx.Jobs.Get(id)));
}

void Events(ApiContext& ctx, const std::string& id, httplib::Response& res) {
  if (!ctx.Jobs.Get(id)) return Error(res, 404, "no such job");
  auto last = std::make_shared<std::string>();
  res.set_header("Cache-Control", "no-cache");
  res.set_chunked_content_provider("text/event-stream", [&ctx, id, last](std::size_t, httplib::DataSink& sink) {
    const int64_t generation = ctx.Sched.Generation();
    const auto job = ctx.Jobs.Get(id);
    if (!job) return false;
    const json j = JobToJson(*job);
    const std::string now = j.dump();
    if (now != *last) {
      const std::string event = Finished(job->State) ? "end" : "job";
      const std::string text = "event: " + event + "\ndata: " + now + "\n\n";
      if (!sink.write(text.data(), text.size())) return false;
      *last = now;
      if (Finished(job->State)) {
        sink.done();
        return true;
      }
    }
    ctx.Sched.AwaitChange(generation, 250);
    return sink.is_writable();
  });
}

json RegisterJson(ApiContext& ctx, const RegisterEntry& r, const Stats& st, const std::vector<std::string>& busy) {
  ListFilter queued{r.Number, JobState::Queued, 10000};
  const auto q = ctx.Jobs.List(queued);
  json last = nullptr, running = nullptr;
  for (const Job& j : ctx.Jobs.List({r.Number, std::nullopt, 20})) {
    if ((j.State == JobState::Running || j.State == JobState::Suspended) && running.is_null()) running = JobToJson(j);
    if (Finished(j.State) && last.is_null()) last = JobToJson(j);
  }
  const auto lq = st.QueuedByLine.find(r.Line);
  return {{"register", r.Number},
          {"link", BytesToUtf8(r.Link)},
          {"line", r.Line},
          {"queued", q.size()},
          {"line_queued", lq == st.QueuedByLine.end() ? 0 : lq->second},
          {"line_busy_here", std::find(busy.begin(), busy.end(), r.Line) != busy.end()},
          {"running", running},
          {"last", last}};
}

std::string Metrics(ApiContext& ctx) {
  const Stats st = ctx.Jobs.Statistics();
  std::ostringstream o;
  o << "# HELP karvod_jobs Jobs in the store by state.\n# TYPE karvod_jobs gauge\n";
  for (const char* s : {"queued", "running", "suspended", "done", "failed", "interrupted", "cancelled"}) {
    const auto it = st.ByState.find(s);
    o << "karvod_jobs{state=\"" << s << "\"} " << (it == st.ByState.end() ? 0 : it->second) << "\n";
  }
  o << "# HELP karvod_results Finished jobs by ResultCode.\n# TYPE karvod_results gauge\n";
  for (const auto& [code, n] : st.ByCode) o << "karvod_results{code=\"" << code << "\"} " << n << "\n";
  o << "# HELP karvod_queue_length Queued jobs by line.\n# TYPE karvod_queue_length gauge\n";
  for (const auto& [line, n] : st.QueuedByLine) {
    std::string l;
    for (char c : line) {
      if (c == '"' || c == '\\') l += '\\';
      if (c == '\n') { l += "\\n"; continue; }
      l += c;
    }
    o << "karvod_queue_length{line=\"" << l << "\"} " << n << "\n";
  }
  const RunTimes t = ctx.Sched.Times();
  o << "# HELP karvod_run_seconds Driver runs of this node by duration.\n# TYPE karvod_run_seconds histogram\n";
  for (const auto& [bound, n] : t.Buckets) o << "karvod_run_seconds_bucket{le=\"" << bound << "\"} " << n << "\n";
  o << "karvod_run_seconds_bucket{le=\"+Inf\"} " << t.Count << "\n";
  o << "karvod_run_seconds_sum " << t.SumSeconds << "\nkarvod_run_seconds_count " << t.Count << "\n";
  o << "# HELP karvod_lines_busy Lines this node runs a driver on.\n# TYPE karvod_lines_busy gauge\n";
  o << "karvod_lines_busy " << ctx.Sched.BusyLines().size() << "\n";
  return o.str();
}

}  // namespace

void InstallRoutes(httplib::Server& srv, ApiContext& ctx) {
  srv.set_payload_max_length(MaxBody);
  srv.set_pre_routing_handler([&ctx](const httplib::Request& req, httplib::Response& res) {
    // The page itself holds no data: it asks for everything with the token.
    if (ctx.Token.empty() || (req.method == "GET" && req.path == "/")) return httplib::Server::HandlerResponse::Unhandled;
    const std::string auth = req.get_header_value("Authorization");
    if (auth.rfind("Bearer ", 0) == 0 && SameSecret(auth.substr(7), ctx.Token))
      return httplib::Server::HandlerResponse::Unhandled;
    res.set_header("WWW-Authenticate", "Bearer");
    Error(res, 401, "a valid \"Authorization: Bearer\" token is needed");
    return httplib::Server::HandlerResponse::Handled;
  });
  srv.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(StatusPage(), "text/html; charset=utf-8");
  });
  srv.Get("/healthz", [&ctx](const httplib::Request&, httplib::Response& res) {
    Json(res, 200, {{"status", "ok"}, {"store", ctx.Jobs.Kind()}, {"node", ctx.Node}});
  });
  srv.Get("/metrics", [&ctx](const httplib::Request&, httplib::Response& res) {
    res.set_content(Metrics(ctx), "text/plain; version=0.0.4");
  });
  srv.Post("/v1/jobs", [&ctx](const httplib::Request& req, httplib::Response& res) { PostJob(ctx, req, res); });
  srv.Get("/v1/jobs", [&ctx](const httplib::Request& req, httplib::Response& res) {
    ListFilter f;
    if (const auto r = IntParam(req, "register", 1, 99)) {
      if (*r < 1) return Error(res, 400, "register takes 1 to 99");
      f.Register = *r;
    }
    if (req.has_param("state")) {
      f.State = StateFromName(req.get_param_value("state"));
      if (!f.State) return Error(res, 400, "unknown state");
    }
    if (const auto l = IntParam(req, "limit", 1, 10000)) {
      if (*l < 1) return Error(res, 400, "limit takes 1 to 10000");
      f.Limit = *l;
    }
    json jobs = json::array();
    for (const Job& j : ctx.Jobs.List(f)) jobs.push_back(JobToJson(j));
    Json(res, 200, {{"jobs", jobs}});
  });
  srv.Get("/v1/registers", [&ctx](const httplib::Request&, httplib::Response& res) {
    const Stats st = ctx.Jobs.Statistics();
    const auto busy = ctx.Sched.BusyLines();
    json regs = json::array();
    for (const auto& [n, r] : ctx.Config->Registers) regs.push_back(RegisterJson(ctx, r, st, busy));
    Json(res, 200, {{"registers", regs}});
  });
  srv.Get(R"(/v1/jobs/([^/]+))", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1];
    if (!ValidId(id)) return Error(res, 404, "no such job");
    GetJob(ctx, id, req, res);
  });
  srv.Get(R"(/v1/jobs/([^/]+)/(output|capture|log|events))", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1], what = req.matches[2];
    if (!ValidId(id)) return Error(res, 404, "no such job");
    if (what == "events") return Events(ctx, id, res);
    GetFile(ctx, id, what, res);
  });
  srv.Get(R"(/v1/jobs/([^/]+)/files/([^/]+))", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1];
    if (!ValidId(id)) return Error(res, 404, "no such job");
    const auto bytes = Utf8ToBytes(req.matches[2]);
    if (!bytes) return Error(res, 404, "no such file");
    GetFile(ctx, id, "file/" + *bytes, res);
  });
  srv.Post(R"(/v1/jobs/([^/]+)/(suspend|resume|break))", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1];
    if (!ValidId(id)) return Error(res, 404, "no such job");
    Control(ctx, id, req.matches[2], res);
  });
  srv.Delete(R"(/v1/jobs/([^/]+))", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1];
    if (!ValidId(id)) return Error(res, 404, "no such job");
    const auto job = ctx.Jobs.Get(id);
    if (!job) return Error(res, 404, "no such job");
    if (!ctx.Jobs.Cancel(id))
      return Error(res, 409, std::string("the job is ") + StateName(job->State) + ": only a queued job can be cancelled");
    ctx.Sched.Wake();
    Json(res, 200, JobToJson(*ctx.Jobs.Get(id)));
  });
  srv.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    if (res.status == 413) return Error(res, 413, "the body is larger than 4 MiB");
    if (res.status == 404) return Error(res, 404, "no such resource");
    Error(res, res.status, "the request cannot be served");
  });
}

}  // namespace karvod
