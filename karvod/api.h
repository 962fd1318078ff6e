// The HTTP interface. This layer parses and validates requests, and nothing
// else: what a request asks for is done by the store and the scheduler.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "karvod/config.h"
#include "karvod/job.h"
#include "karvod/scheduler.h"
#include "karvod/store.h"

namespace httplib {
class Server;
}

namespace karvod {

constexpr std::size_t MaxBody = 4u << 20;
constexpr std::size_t MaxInputLines = 10000;
constexpr std::size_t MaxLineBytes = 255;
constexpr int MaxWaitSeconds = 600;

struct Submission {
  int Register = 0;
  int Command = 0;
  std::vector<std::string> Input;
  std::string Key;
};

// Checks a POST /v1/jobs body; nullopt with the reason for the 400 answer.
std::optional<Submission> ParseSubmission(const std::string& body, const Configuration& config, std::string& reason);
nlohmann::json JobToJson(const Job& job);

struct ApiContext {
  Store& Jobs;
  Scheduler& Sched;
  std::shared_ptr<const Configuration> Config;
  std::string Token;  // empty: no token asked for
  std::string Node;
};

// Puts the routes on the server.
void InstallRoutes(httplib::Server& server, ApiContext& ctx);
// The status page served at /.
const std::string& StatusPage();

}  // namespace karvod
