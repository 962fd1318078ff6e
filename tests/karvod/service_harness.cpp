#include "service_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace karvod_test {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Reap(pid_t pid, std::chrono::milliseconds limit, int& status) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    Service::Sleep(10);
  }
  return false;
}

Answer From(const httplib::Result& r) {
  if (!r) return {};
  return {r->status, r->body};
}

httplib::Headers Auth(const std::string& token) {
  httplib::Headers h;
  if (!token.empty()) h.emplace("Authorization", "Bearer " + token);
  return h;
}

}  // namespace

void Service::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Service::Service(std::string config, std::string state, std::vector<std::string> extra)
    : config_(std::move(config)), state_(std::move(state)), extra_(std::move(extra)) {
  errors_path_ = state_ + ".stderr";
  Start();
}

Service::~Service() {
  if (pid_ > 0) Stop();
}

bool Service::Start() {
  port_ = 0;
  std::vector<std::string> args = {KARVOD_BINARY, "--config", config_, "--state", state_, "--listen", "127.0.0.1:0",
                                   "--karvo", KARVO_BINARY, "--retry-backoff-ms", "100", "--break-grace-ms", "3000"};
  // A later --listen in `extra` wins.
  args.insert(args.end(), extra_.begin(), extra_.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int err = open(errors_path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  const std::size_t before = Slurp(errors_path_).size();  // what an earlier start of the same service said
  pid_ = fork();
  if (pid_ == 0) {
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(in, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(err);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  const std::string ready = "karvod: ready, listening on ";
  while (std::chrono::steady_clock::now() < end) {
    const std::string e = Slurp(errors_path_).substr(before);
    const std::size_t at = e.rfind(ready);
    const std::size_t nl = at == std::string::npos ? at : e.find('\n', at);
    if (nl != std::string::npos) {
      port_ = std::stoi(e.substr(e.rfind(':', nl) + 1));
      return true;
    }
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -(WIFEXITED(status) ? WEXITSTATUS(status) : 128);  // ended: keep its exit code
      return false;
    }
    Sleep(10);
  }
  return false;
}

const std::string& Service::Errors() const {
  errors_ = Slurp(errors_path_);
  return errors_;
}

Answer Service::Get(const std::string& path, const std::string& token) const {
  httplib::Client c("127.0.0.1", port_);
  c.set_read_timeout(60, 0);
  return From(c.Get(path.c_str(), Auth(token)));
}

Answer Service::Post(const std::string& path, const std::string& body, const std::string& token) const {
  httplib::Client c("127.0.0.1", port_);
  c.set_read_timeout(60, 0);
  return From(c.Post(path.c_str(), Auth(token), body, "application/json"));
}

Answer Service::Delete(const std::string& path) const {
  httplib::Client c("127.0.0.1", port_);
  return From(c.Delete(path.c_str()));
}

std::string Service::Submit(const json& body) const {
  const Answer a = Post("/v1/jobs", body.dump());
  EXPECT_EQ(a.status, 201) << a.body;
  const json j = a.Json();
  return j.is_object() && j.contains("id") ? j["id"].get<std::string>() : "";
}

json Service::AwaitEnd(const std::string& id, std::chrono::seconds limit) const {
  const auto end = std::chrono::steady_clock::now() + limit;
  json j;
  while (std::chrono::steady_clock::now() < end) {
    j = Get("/v1/jobs/" + id + "?wait=5").Json();
    if (!j.is_object()) break;
    const std::string s = j.value("state", "");
    if (s == "done" || s == "failed" || s == "interrupted" || s == "cancelled") return j;
  }
  ADD_FAILURE() << "job " << id << " did not end: " << j.dump();
  return j;
}

int Service::Stop() {
  if (pid_ <= 0) return pid_ < 0 ? -pid_ : -1;
  kill(pid_, SIGTERM);
  int status = 0;
  if (!Reap(pid_, std::chrono::seconds(15), status)) {
    kill(pid_, SIGKILL);
    Reap(pid_, std::chrono::seconds(5), status);
    pid_ = -1;
    return -1;
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Service::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status;
  Reap(pid_, std::chrono::seconds(5), status);
  pid_ = -1;
}

int Service::AwaitExit(std::chrono::milliseconds limit) {
  if (pid_ < 0) return -pid_;
  int status = 0;
  if (!Reap(pid_, limit, status)) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<pid_t> ProcessesIn(const std::string& dir) {
  std::vector<pid_t> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ec2;
    const auto cwd = std::filesystem::read_symlink(e.path() / "cwd", ec2).string();
    if (!ec2 && cwd.rfind(dir, 0) == 0) out.push_back(std::stoi(name));
  }
  return out;
}

int RunProgram(const std::vector<std::string>& args, std::string& out, std::chrono::seconds limit) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], 1);
    close(pipefd[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipefd[1]);
  out.clear();
  char buf[4096];
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  close(pipefd[0]);
  int status = 0;
  if (!Reap(pid, limit, status)) {
    kill(pid, SIGKILL);
    Reap(pid, std::chrono::seconds(5), status);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Catalogue(const std::string& base, int count, const std::string& path, const std::string& number) {
  std::string out;
  if (RunProgram({KARVO_SIM_CATALOGUE_BINARY, std::string(KARVO_SOURCE_DIR) + "/sim/devices/" + base,
                  std::to_string(count), path},
                 out) != 0)
    return false;
  if (number.empty()) return true;
  std::string text = Slurp(path);
  const std::size_t at = text.find("$numer\t");
  if (at == std::string::npos) return false;
  text.replace(at + 7, text.find_first_of("\r\n", at) - at - 7, number);
  std::ofstream(path, std::ios::binary) << text;
  return true;
}

std::string ModuleLine(int reg, const std::string& host, int port, int address) {
  return "$" + std::to_string(reg) + "\tCOM1:9600:MUX5:" + std::to_string(address) + "\t1\tModul\t" + host + ":" +
         std::to_string(port) + ":x:0:HASLO123:1:2\r\n";
}

std::string Clients(const std::string& log) {
  static const std::regex event("client (connected|gone)");
  std::string order;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), event); it != std::sregex_iterator(); ++it)
    order += (*it)[1] == "connected" ? "+" : "-";
  return order;
}

}  // namespace karvod_test
