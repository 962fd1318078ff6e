// The command-line client, for shells and timers:
//   karvod submit --register N --command C [--input FILE|-] [--key K] [--wait SECONDS]
//   karvod status ID | wait ID [--timeout SECONDS] | break ID | output ID
// each with [--url http://HOST:PORT] [--token-file FILE].
#include <httplib.h>

#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "karvod/service.h"
#include "karvod/util.h"

namespace karvod {

using nlohmann::json;

namespace {

constexpr int Done = 0, JobFailed = 1, Usage = 2, Unreachable = 3;

const char* const ClientHelp =
    "usage: karvod submit --register N --command C [--input FILE|-] [--key KEY] [--wait SECONDS]\n"
    "       karvod status ID\n"
    "       karvod wait ID [--timeout SECONDS]\n"
    "       karvod break ID\n"
    "       karvod output ID\n"
    "  each also with --url http://HOST:PORT (http://127.0.0.1:8470) and\n"
    "  --token-file FILE (or the token in $KARVOD_TOKEN).\n"
    "\n"
    "  --command C  a CommandCode (21) or an entry point's name (_TowarMax)\n"
    "  --input FILE the data lines, one a line, as the driver reads them (\"$\"\n"
    "               and \";\" lines); header lines (\"#\") are left out: the service\n"
    "               writes its own, naming the register\n"
    "\n"
    "status, wait and submit --wait print the job as JSON. Exit codes: 0 the job\n"
    "ended with ResultCode 0 (submit without --wait: it was queued), 1 it ended\n"
    "otherwise or is still running when the time ran out, 2 a bad command line,\n"
    "3 the service could not be reached or refused the request.\n";

struct ClientOptions {
  std::string Url = "http://127.0.0.1:8470", TokenFile, Id, Input, Key, Command;
  int Register = 0, Wait = -1;
};

int Bad(const std::string& why) {
  std::fprintf(stderr, "karvod: %s\n%s", why.c_str(), ClientHelp);
  return Usage;
}

std::optional<std::string> ReadInput(const std::string& path) {
  if (path == "-") {
    std::ostringstream s;
    s << std::cin.rdbuf();
    return s.str();
  }
  return ReadFile(path);
}

int Exit(const json& job) {
  if (!job.contains("state")) return Unreachable;
  return job["state"] == "done" ? Done : JobFailed;
}

class Client {
 public:
  Client(const ClientOptions& o, const std::string& token) : cli_(o.Url) {
    cli_.set_connection_timeout(5, 0);
    cli_.set_read_timeout(700, 0);
    if (!token.empty()) headers_.emplace("Authorization", "Bearer " + token);
  }
  // The answer's body as JSON; nullopt (and a message) when the service
  // could not be reached or answered with an error.
  std::optional<json> Call(const std::string& method, const std::string& path, const std::string& body = "") {
    httplib::Result r = method == "GET" ? cli_.Get(path.c_str(), headers_)
                                        : cli_.Post(path.c_str(), headers_, body, "application/json");
    if (!r) {
      std::fprintf(stderr, "karvod: cannot reach the service: %s\n", httplib::to_string(r.error()).c_str());
      return std::nullopt;
    }
    last_ = r->body;
    if (r->status >= 400) {
      const json e = json::parse(r->body, nullptr, false);
      std::fprintf(stderr, "karvod: %d %s\n", r->status,
                   e.is_object() && e.contains("error") ? e["error"].get<std::string>().c_str() : r->body.c_str());
      return std::nullopt;
    }
    if (path.size() > 7 && path.compare(path.size() - 7, 7, "/output") == 0) return json(nullptr);
    return json::parse(r->body, nullptr, false);
  }
  const std::string& Last() const { return last_; }

 private:
  httplib::Client cli_;
  httplib::Headers headers_;
  std::string last_;
};

// Waits for the job's end in steps the service holds (at most 60 s each).
std::optional<json> AwaitJob(Client& c, const std::string& id, int seconds) {
  std::optional<json> job;
  int left = seconds;
  do {
    const int step = std::min(left, 60);
    job = c.Call("GET", "/v1/jobs/" + id + "?wait=" + std::to_string(step));
    if (!job) return job;
    const std::string state = (*job)["state"];
    if (state == "done" || state == "failed" || state == "interrupted" || state == "cancelled") return job;
    left -= step;
  } while (left > 0);
  return job;
}

}  // namespace

int RunClient(const std::vector<std::string>& args) {
  const std::string what = args[0];
  if (what == "help") {
    std::fputs(ClientHelp, stdout);
    return Done;
  }
  ClientOptions o;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!o.Id.empty()) return Bad("unexpected argument " + a);
      o.Id = a;
      continue;
    }
    if (i + 1 >= args.size()) return Bad(a + " needs a value");
    const std::string& v = args[++i];
    bool number = true;
    if (a == "--url") o.Url = v;
    else if (a == "--token-file") o.TokenFile = v;
    else if (a == "--register") number = ParseNumber(v, 0, 999999999, o.Register);
    else if (a == "--command") o.Command = v;
    else if (a == "--input") o.Input = v;
    else if (a == "--key") o.Key = v;
    else if (a == "--wait" || a == "--timeout") number = ParseNumber(v, 0, 999999999, o.Wait);
    else return Bad("unknown option " + a);
    if (!number) return Bad(a + " " + v + ": not a number");
  }
  std::string token, error;
  if (!o.TokenFile.empty() && !ReadToken(o.TokenFile, token, error)) return Bad(error);
  if (token.empty())
    if (const char* t = std::getenv("KARVOD_TOKEN")) token = t;
  Client c(o, token);
  if (what == "submit") {
    if (o.Register <= 0 || o.Command.empty()) return Bad("submit needs --register and --command");
    json body{{"register", o.Register}};
    // A CommandCode goes as a number; anything else, as a name the service looks up.
    int code = 0;
    if (ParseNumber(o.Command, 0, 999999999, code)) body["command"] = code;
    else body["command"] = o.Command;
    if (!o.Key.empty()) body["key"] = o.Key;
    if (!o.Input.empty()) {
      const auto text = ReadInput(o.Input);
      if (!text) return Bad("cannot read " + o.Input);
      json lines = json::array();
      std::istringstream in(*text);
      std::string line;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        lines.push_back(BytesToUtf8(line));
      }
      body["input"] = lines;
    }
    auto job = c.Call("POST", "/v1/jobs", body.dump());
    if (!job) return Unreachable;
    if (o.Wait > 0) {
      job = AwaitJob(c, (*job)["id"], o.Wait);
      if (!job) return Unreachable;
      std::cout << job->dump(2) << "\n";
      return Exit(*job);
    }
    std::cout << job->dump(2) << "\n";
    return Done;
  }
  if (o.Id.empty()) return Bad(what + " needs a job id");
  if (what == "status" || what == "wait") {
    const auto job = what == "wait" ? AwaitJob(c, o.Id, o.Wait > 0 ? o.Wait : 3600) : c.Call("GET", "/v1/jobs/" + o.Id);
    if (!job) return Unreachable;
    std::cout << job->dump(2) << "\n";
    return what == "wait" ? Exit(*job) : Done;
  }
  if (what == "break") {
    const auto job = c.Call("POST", "/v1/jobs/" + o.Id + "/break");
    if (!job) return Unreachable;
    std::cout << job->dump(2) << "\n";
    return Done;
  }
  if (what == "output") {
    if (!c.Call("GET", "/v1/jobs/" + o.Id + "/output")) return Unreachable;
    std::fwrite(c.Last().data(), 1, c.Last().size(), stdout);
    return Done;
  }
  return Bad("unknown command " + what);
}

}  // namespace karvod
