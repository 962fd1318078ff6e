#include "karvod/service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <httplib.h>

#include <cstdio>
#include <thread>

#include "karvod/api.h"
#include "karvod/config.h"
#include "karvod/scheduler.h"
#include "karvod/store.h"
#include "karvod/util.h"

namespace karvod {

namespace {

// The deepest socket of a run: STATE/runs/SEQ.N/bus/1/sPID must fit in 107 bytes.
constexpr std::size_t MaxStateDir = 60;

std::string DefaultKarvo() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<std::size_t>(n));
    dir = dir.substr(0, dir.rfind('/'));
    if (access((dir + "/karvo").c_str(), X_OK) == 0) return dir + "/karvo";
  }
  return "/usr/bin/karvo";
}

std::string HostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name[0] ? name : "local";
}

}  // namespace

bool SplitListen(const std::string& listen, std::string& host, int& port) {
  const std::size_t colon = listen.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = listen.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return ParseNumber(listen.substr(colon + 1), 0, 65535, port);
}

bool LoopbackHost(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

bool ReadToken(const std::string& file, std::string& token, std::string& error) {
  struct stat st;
  if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "cannot read the token file " + file;
    return false;
  }
  if ((st.st_mode & 077) != 0) {
    error = "the token file " + file + " may be read by others: make it mode 0600";
    return false;
  }
  const auto text = ReadFile(file);
  if (!text) {
    error = "cannot read the token file " + file;
    return false;
  }
  std::string line = text->substr(0, text->find('\n'));
  const auto a = line.find_first_not_of(" \t\r");
  token = a == std::string::npos ? "" : line.substr(a, line.find_last_not_of(" \t\r") - a + 1);
  if (token.size() < 16) {
    error = "the token in " + file + " is shorter than 16 characters";
    return false;
  }
  return true;
}

bool ParseServiceOptions(const std::vector<std::string>& args, ServiceOptions& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--keep-runs") {
      o.KeepRuns = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = a.rfind("--", 0) == 0 ? a + " needs a value" : "unknown argument " + a;
      return false;
    }
    const std::string& v = args[++i];
    bool ok = true;
    if (a == "--config") o.ConfigDir = v;
    else if (a == "--state") o.StateDir = v;
    else if (a == "--listen") o.Listen = v;
    else if (a == "--token-file") o.TokenFile = v;
    else if (a == "--store") o.StoreUrl = v;
    else if (a == "--karvo") o.Karvo = v;
    else if (a == "--node") o.Node = v;
    else if (a == "--lines") ok = ParseNumber(v, 1, 1000, o.Lines);
    else if (a == "--capture-days") ok = ParseNumber(v, 0, 3650, o.CaptureDays);
    else if (a == "--retry-backoff-ms") ok = ParseNumber(v, 0, 600000, o.RetryBackoffMs);
    else if (a == "--break-grace-ms") ok = ParseNumber(v, 0, 600000, o.BreakGraceMs);
    else if (a == "--lease-seconds") ok = ParseNumber(v, 2, 3600, o.LeaseSeconds);
    else {
      error = "unknown option " + a;
      return false;
    }
    if (!ok) {
      error = a + " " + v + ": not a number in its range";
      return false;
    }
  }
  std::string host;
  int port = 0;
  if (o.ConfigDir.empty() || o.StateDir.empty()) error = "--config and --state are needed";
  else if (!SplitListen(o.Listen, host, port)) error = "--listen takes HOST:PORT";
  else if (!LoopbackHost(host) && o.TokenFile.empty())
    error = "listening on " + host + " needs --token-file (only a loopback address goes without one)";
  return error.empty();
}

int RunService(const ServiceOptions& o) {
  auto fail = [](const std::string& why) {
    std::fprintf(stderr, "karvod: %s\n", why.c_str());
    return 1;
  };
  std::string error, token;
  if (!o.TokenFile.empty() && !ReadToken(o.TokenFile, token, error)) return fail(error);
  auto config = ReadConfiguration(o.ConfigDir, error);
  if (!config) return fail(error);
  if (config->Registers.empty()) std::fprintf(stderr, "karvod: warning: KONFIG.TXT names no register\n");
  const std::string state = AbsolutePath(o.StateDir);
  if (state.find_first_of("\t;\r\n") != std::string::npos) return fail("the state directory's path holds a tab, ';' or a line end");
  if (state.size() > MaxStateDir) return fail("the state directory's path is longer than 60 bytes: " + state);
  if (!MakeDirs(state, 0700)) return fail("cannot make the state directory " + state);
  // One service a state directory: two would run the same lines at once.
  const int lock = open((state + "/karvod.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) != 0) return fail("another karvod uses the state directory " + state);
  auto store = OpenStore(o.StoreUrl, state, o.LeaseSeconds, error);
  if (!store) return fail(error);

  // SIGTERM and SIGINT are taken by sigwait below; every thread started from
  // here on has them blocked (the drivers unblock them).
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  SchedulerSettings ss;
  ss.Runner.Karvo = o.Karvo.empty() ? DefaultKarvo() : o.Karvo;
  ss.Runner.StateDir = state;
  ss.Runner.Config = std::make_shared<const Configuration>(*config);
  ss.Runner.CaptureKeepMs = static_cast<int64_t>(o.CaptureDays) * 24 * 3600 * 1000;
  ss.Runner.BreakGraceMs = o.BreakGraceMs;
  ss.Runner.KeepDirectories = o.KeepRuns;
  ss.Node = o.Node.empty() ? HostName() : o.Node;
  ss.Lines = o.Lines;
  ss.RetryBackoffMs = o.RetryBackoffMs;
  if (access(ss.Runner.Karvo.c_str(), X_OK) != 0) return fail("cannot run the driver " + ss.Runner.Karvo);
  Scheduler scheduler(ss, *store);
  scheduler.Start();

  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  ApiContext ctx{*store, scheduler, ss.Runner.Config, token, ss.Node};
  InstallRoutes(server, ctx);
  std::string host;
  int port = 0;
  SplitListen(o.Listen, host, port);
  if (port == 0) port = server.bind_to_any_port(host);
  else if (!server.bind_to_port(host, port)) port = -1;
  if (port <= 0) {
    scheduler.Stop();
    return fail("cannot listen on " + o.Listen);
  }
  std::thread http([&server] { server.listen_after_bind(); });
  const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  std::fprintf(stderr, "karvod: ready, listening on %s:%d\n", shown.c_str(), port);
  std::fflush(stderr);
  sd_notify(0, "READY=1");

  int sig = 0;
  sigwait(&stopSignals, &sig);
  sd_notify(0, "STOPPING=1");
  std::fprintf(stderr, "karvod: stopping: breaking off the running drivers\n");
  scheduler.Stop();
  server.stop();
  http.join();
  std::fprintf(stderr, "karvod: stopped\n");
  return 0;
}

}  // namespace karvod
