// The service started as a real process for end-to-end tests: its ready
// line awaited, requests over real HTTP, SIGTERM or SIGKILL at the end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace karvod_test {

using nlohmann::json;

struct Answer {
  int status = 0;  // 0: no answer at all
  std::string body;
  json Json() const { return json::parse(body, nullptr, false); }
};

class Service {
 public:
  // karvod --config CONFIG --state STATE --listen 127.0.0.1:0 --karvo KARVO
  // --retry-backoff-ms 100 plus `extra`; waits at most 10 s for the ready line.
  Service(std::string config, std::string state, std::vector<std::string> extra = {});
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  bool Start();
  bool Ready() const { return port_ > 0; }
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  const std::string& Errors() const;  // its standard error so far

  Answer Get(const std::string& path, const std::string& token = "") const;
  Answer Post(const std::string& path, const std::string& body, const std::string& token = "") const;
  Answer Delete(const std::string& path) const;
  // POST /v1/jobs; the job's id, or empty with a test failure.
  std::string Submit(const json& body) const;
  // GET /v1/jobs/ID?wait=... until it has ended (at most `limit`).
  json AwaitEnd(const std::string& id, std::chrono::seconds limit = std::chrono::seconds(30)) const;
  // Polls the job until `pred` holds for it (at most `limit`); the job then.
  template <typename Pred>
  std::optional<json> AwaitJob(const std::string& id, Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(20),
                               const std::string& token = "") const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      const Answer a = Get("/v1/jobs/" + id, token);
      const json j = a.Json();
      if (a.status == 200 && pred(j)) return j;
      Sleep(20);
    }
    return std::nullopt;
  }

  // SIGTERM and the exit code (-1: had to be killed after 15 s).
  int Stop();
  void Kill();  // SIGKILL, and reaped
  // The exit code of a service that ends by itself (one refusing its options).
  int AwaitExit(std::chrono::milliseconds limit = std::chrono::seconds(10));

  static void Sleep(int ms);

 private:
  std::string config_, state_, errors_path_;
  mutable std::string errors_;
  std::vector<std::string> extra_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// The processes whose working directory lies under `dir` (drivers of a service).
std::vector<pid_t> ProcessesIn(const std::string& dir);
// Runs a program to its end (at most limit); its exit code and standard output.
int RunProgram(const std::vector<std::string>& args, std::string& out, std::chrono::seconds limit = std::chrono::seconds(30));
// A goods catalogue of `count` goods on a ready-made register, written to
// `path`; the register answers with `number` when one is given ("08").
bool Catalogue(const std::string& base, int count, const std::string& path, const std::string& number = "");

// A KONFIG.TXT line for register `reg` at `address` behind the communication
// module on host:port.
std::string ModuleLine(int reg, const std::string& host, int port, int address);
// The clients a module's wire log saw come and go, in order: "+" a client
// connected, "-" it went ("+-+-" for two one after the other).
std::string Clients(const std::string& log);

}  // namespace karvod_test
