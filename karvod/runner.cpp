#include "karvod/runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <strings.h>
#include <cstring>
#include <mutex>

#include "karvo_commands.h"
#include "karvod/bus.h"
#include "karvod/util.h"

extern char** environ;

namespace karvod {

namespace {

constexpr uint32_t BusNumber = 1;
constexpr int ProgressSaveMs = 500;
constexpr int ControlLookMs = 250;  // another node may have asked through the store

const char* const InputName = "IN.TXT";
const char* const OutputName = "OUT.TXT";
const char* const ServerName = "SERWER.TXT";
const char* const CaptureName = "wire.txt";

int64_t MonoMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

uint32_t DriverId(const Job& job) { return static_cast<uint32_t>(job.Seq % 2000000000 + 1); }

std::string Describe(int status) {
  if (WIFEXITED(status)) return "the driver ended with exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("the driver was ended by signal ") + strsignal(WTERMSIG(status));
  return "the driver ended";
}

}  // namespace

std::string AttemptDirectory(const std::string& stateDir, int64_t seq, int attempt) {
  return stateDir + "/runs/" + std::to_string(seq) + "." + std::to_string(attempt);
}

std::string InputFile(const Job& job) {
  std::string text = "#" + std::to_string(job.Register) + "\r\n#\r\n#\r\n";
  for (const std::string& line : job.Input) text += line + "\r\n";
  return text;
}

std::string ServerFile(uint32_t driverId) {
  // Line terminator CR LF; the driver's files in the run's directory, under
  // the names a run by hand gives them (the report names them); message
  // number and this run's identifier; no trace, not suspended, the file
  // concerned named in the report as a run without a Server names it; every
  // request and line reported.
  return "$13:10\r\n$KONFIG.TXT\r\n$RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n$ECRTBUF.TXT\r\n$" +
         std::to_string(BusNumber) + ":" + std::to_string(driverId) + "\r\n$0\r\n$0\r\n$1\r\n$1\r\n$1\r\n$1\r\n";
}

bool PrepareDirectory(const RunnerSettings& s, const Job& job, const std::string& dir, uint32_t driverId,
                      std::string& error) {
  RemoveTree(dir);  // a directory left by an attempt that never started
  if (!MakeDirs(dir, 0700)) {
    error = "cannot make the run's directory " + dir;
    return false;
  }
  const Configuration& c = *s.Config;
  const struct {
    const char* name;
    const std::string& bytes;
  } files[] = {{"KONFIG.TXT", c.Konfig}, {"ports.conf", c.Ports}, {"KOMENT.TXT", c.Koment},
               {"MODKONF.TXT", c.Modkonf}};
  for (const auto& f : files) {
    if (!WriteFile(dir + "/" + f.name, f.bytes, 0600)) {
      error = std::string("cannot write ") + f.name + " in " + dir;
      return false;
    }
  }
  if (!WriteFile(dir + "/" + InputName, InputFile(job), 0600) ||
      !WriteFile(dir + "/" + ServerName, ServerFile(driverId), 0600) ||
      !WriteFile(dir + "/ECRTBUF.TXT", SharedCache(s.StateDir, nullptr), 0600)) {
    error = "cannot write the input or the Server file in " + dir;
    return false;
  }
  return true;
}

std::string SharedCache(const std::string& stateDir, const std::string* learnt) {
  // The identification cache is the service's, one for all registers: each
  // run starts with a copy, and the complete lines it added come back.
  static std::mutex m;
  std::lock_guard<std::mutex> lock(m);
  const std::string path = stateDir + "/ECRTBUF.TXT";
  std::string cache = ReadFile(path).value_or("");
  if (!learnt) return cache;
  std::string added;
  std::size_t start = 0;
  for (std::size_t end; (end = learnt->find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = learnt->substr(start, end + 2 - start);
    if (cache.find(line) == std::string::npos && added.find(line) == std::string::npos) added += line;
  }
  if (!added.empty()) {
    if (!cache.empty() && cache.back() != '\n') cache += "\r\n";
    WriteFile(path + ".new", cache + added, 0600);
    std::rename((path + ".new").c_str(), path.c_str());
  }
  return cache + added;
}

void ParseReport(const std::string& report, RunResult& r) {
  r.Report.clear();
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    r.Report.push_back(line);
    start = end + 1;
  }
  r.Code = -1;
  r.Text.clear();
  if (r.Report.size() < 2 || r.Report[1].size() < 2 || r.Report[1][0] != '#') return;
  const std::string& l = r.Report[1];
  std::size_t i = 1;
  int code = 0;
  while (i < l.size() && i < 5 && l[i] >= '0' && l[i] <= '9') code = code * 10 + (l[i++] - '0');
  if (i == 1) return;
  r.Code = code;
  if (l.compare(i, 3, "\t; ") == 0) r.Text = l.substr(i + 3);
}

bool RunOwnFile(const std::string& name) {
  static const char* const own[] = {"KONFIG.TXT", "ports.conf", "KOMENT.TXT", "MODKONF.TXT", "ECRTBUF.TXT",
                                    InputName,    OutputName,   ServerName,   "RAPORT.TXT",  "karvo.log",
                                    CaptureName,  "console.txt", "sorter.~~~", "debug.txt",  "bus"};
  for (const char* o : own)
    if (strcasecmp(o, name.c_str()) == 0) return true;
  return false;
}

RunResult CollectResult(const std::string& dir, int command) {
  const karvo::CommandInfo* info = karvo::FindCommand(command);
  const bool hasOutput = info && info->HasOutput;
  const bool inputIsOutput = info && info->Class == karvo::CommandClass::FileOnly;
  RunResult r;
  if (const auto report = ReadFile(dir + "/RAPORT.TXT")) ParseReport(*report, r);
  RunFiles& f = r.Files;
  if (hasOutput) f.Output = ReadFile(dir + "/" + OutputName).value_or("");
  else if (inputIsOutput) f.Output = ReadFile(dir + "/" + InputName).value_or("");
  f.Log = ReadFile(dir + "/karvo.log").value_or("");
  f.Capture = ReadFile(dir + "/" + CaptureName).value_or("");
  // Files the command wrote under names its input gave (the sales, the
  // packages, the marker of an end of day): nothing the run left is lost.
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (!e.is_regular_file() || RunOwnFile(name)) continue;
    if (const auto bytes = ReadFile(e.path().string())) f.Extra.emplace_back(name, *bytes);
  }
  std::sort(f.Extra.begin(), f.Extra.end());
  return r;
}

Runner::Runner(const RunnerSettings& s, Store& store, Job job) : s_(s), store_(store), job_(std::move(job)) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

void Runner::Poke() {
  if (wake_[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(wake_[1], &c, 1);
  }
}

void Runner::Stop() {
  stop_ = true;
  Poke();
}

void Runner::Execute() {
  Attempt& a = job_.Attempts.back();
  const karvo::CommandInfo* info = karvo::FindCommand(job_.Command);
  const bool hasOutput = info && info->HasOutput;
  const std::string dir = AttemptDirectory(s_.StateDir, job_.Seq, a.Number);
  const uint32_t id = DriverId(job_);
  a.Directory = dir;
  job_.Prog = Progress{};
  for (const std::string& l : job_.Input) job_.Prog.TotalLines += !l.empty() && l[0] == '$';
  std::string error;
  RunBus bus;
  if (!PrepareDirectory(s_, job_, dir, id, error) || !bus.Open(dir, BusNumber, error)) {
    left_.Why = error;
    return;
  }
  // Everything the child needs is made before fork: after it only calls that
  // are safe in a child of a threaded process.
  std::vector<std::string> args = {s_.Karvo, "/K" + std::to_string(job_.Command),
                                   std::string("/F") + InputName + ";" + (hasOutput ? std::string(OutputName) + ";" : "") +
                                       ServerName};
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "KARVO_PLATFORM_DIR=", 19) != 0 && std::strncmp(*e, "KARVO_WIRE=", 11) != 0) env.push_back(*e);
  env.push_back("KARVO_PLATFORM_DIR=" + dir);
  env.push_back("KARVO_WIRE=" + dir + "/" + CaptureName);
  std::vector<char*> argv, envp;
  for (auto& x : args) argv.push_back(x.data());
  argv.push_back(nullptr);
  for (auto& x : env) envp.push_back(x.data());
  envp.push_back(nullptr);
  const std::string console = dir + "/console.txt";
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid < 0) {
    left_.Why = std::string("cannot start the driver: ") + std::strerror(errno);
    return;
  }
  if (pid == 0) {
    // Drivers never outlive their service.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  a.Pid = pid;
  store_.Save(job_);
  Watch(pid, id, bus);
  bus.Close();
  left_ = CollectResult(dir, job_.Command);
  if (const auto learnt = ReadFile(dir + "/ECRTBUF.TXT")) SharedCache(s_.StateDir, &*learnt);
  if (!s_.KeepDirectories) RemoveTree(dir);
}

void Runner::Take(const BusMessage& m, int64_t startedMs) {
  Progress& p = job_.Prog;
  switch (m.Letter) {
    case 'C': p.Requests = m.Value; break;
    case 'L': p.InputLines = m.Value; break;
    case 'O': p.OutputLines = m.Value; break;
    case 'S':
      job_.State = JobState::Suspended;
      store_.Save(job_);
      return;
    case 'R':
      job_.State = JobState::Running;
      store_.Save(job_);
      return;
    default: return;
  }
  const double seconds = static_cast<double>(MonoMs() - startedMs) / 1000.0;
  const uint32_t lines = p.OutputLines ? p.OutputLines : p.InputLines;
  p.Rate = seconds > 0 ? lines / seconds : 0;
  progressDirty_ = true;
}

void Runner::Watch(long pid, uint32_t driverId, RunBus& bus) {
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  const int64_t started = MonoMs();
  int64_t lastSave = started, lastControl = 0, killAt = 0;
  bool greeted = false, brokeOff = false;
  std::string pending;  // Server commands not yet taken by the driver's queue
  int status = 0;
  for (;;) {
    if (waitpid(static_cast<pid_t>(pid), &status, WNOHANG) == pid) break;
    pollfd fds[3] = {{bus.Fd(), POLLIN, 0}, {wake_[0], POLLIN, 0}, {pidfd, POLLIN, 0}};
    // Without a process descriptor the wait is cut short, so that the end is seen soon.
    poll(fds, pidfd >= 0 ? 3 : 2, pidfd >= 0 ? 1000 : 20);
    const bool poked = fds[1].revents & POLLIN;
    if (poked) {
      char buf[64];
      while (read(wake_[0], buf, sizeof buf) > 0) {
      }
    }
    BusMessage m;
    while (bus.Receive(m)) {
      if (m.Driver != driverId) continue;
      if (m.Letter == 'A') greeted = true;
      Take(m, started);
    }
    const int64_t now = MonoMs();
    if (stop_ && !brokeOff) {
      pending += 'b';
      brokeOff = true;
      killAt = now + s_.BreakGraceMs;
    }
    if (killAt && now >= killAt) {
      kill(static_cast<pid_t>(pid), SIGKILL);
      killAt = 0;
    }
    if (poked || now - lastControl >= ControlLookMs) {
      lastControl = now;
      while (const char c = store_.TakeControl(job_.Id)) pending += c;
    }
    // The driver takes commands once it has greeted its Server; one that its
    // queue cannot take now is tried again on the next round.
    while (greeted && !pending.empty() && bus.Send(pid, driverId, pending[0])) pending.erase(0, 1);
    if (progressDirty_ && now - lastSave >= ProgressSaveMs) {
      job_.Prog.Updated = NowIso();
      store_.Save(job_);
      lastSave = now;
      progressDirty_ = false;
    }
  }
  if (pidfd >= 0) close(pidfd);
  BusMessage m;
  while (bus.Receive(m))
    if (m.Driver == driverId) Take(m, started);
  job_.Prog.Updated = NowIso();
  left_.Why = Describe(status);
}

}  // namespace karvod
