// What the service costs: a job through karvod against the same driver run by
// hand (alternated, so that a loaded machine weighs on both alike), and many
// simulated registers behind communication modules on TCP, each with a goods
// catalogue, submitted at once: the total wall time against the longest
// single readout, and the service's memory, as the count grows.
//   karvod_bench [COUNT...]   (default 10 25 50)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "service_harness.h"

namespace {

using karvod_test::json;
using karvod_test::Service;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The processor time (user + system) a process has used so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string s((std::istreambuf_iterator<char>(f)), {});
  const std::size_t close = s.rfind(')');
  if (close == std::string::npos) return 0;
  std::vector<std::string> fields;
  std::size_t at = close + 2;
  while (at < s.size()) {
    const std::size_t sp = s.find(' ', at);
    fields.push_back(s.substr(at, sp - at));
    if (sp == std::string::npos) break;
    at = sp + 1;
  }
  if (fields.size() < 13) return 0;
  return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long PeakKb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

double ChildrenCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void CostOfAJob() {
  e2e::Stanowisko env;
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  env.PolaczZSymulatorem(sim, 7);
  env.Plik("IN.TXT", e2e::Srodowisko::Wejscie(7));
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  if (!svc.Ready()) {
    std::fprintf(stderr, "karvod did not start: %s\n", svc.Errors().c_str());
    return;
  }
  constexpr int Rounds = 30;
  std::vector<double> bare, served, serviceCpu;
  for (int i = 0; i < Rounds; ++i) {
    auto t0 = Clock::now();
    env.Karvo(113, "IN.TXT", "OUT.TXT");
    bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    const double cpu0 = CpuSeconds(svc.Pid());
    t0 = Clock::now();
    const json j = svc.AwaitEnd(svc.Submit({{"register", 7}, {"command", 113}}));
    served.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    serviceCpu.push_back((CpuSeconds(svc.Pid()) - cpu0) * 1000);
    if (j.value("state", "") != "done") std::fprintf(stderr, "job failed: %s\n", j.dump().c_str());
  }
  std::printf("a job (_ONrKasy, pty): by hand %.1f ms, through karvod %.1f ms (medians of %d alternated): "
              "the service adds %.1f ms a job; karvod's own processor time %.1f ms a job (driver's excluded)\n",
              Median(bare), Median(served), Rounds, Median(served) - Median(bare), Median(serviceCpu));
}

void ManyRegisters(int count, int goods) {
  e2e::Stanowisko env;
  std::vector<std::unique_ptr<e2e::KatalogTymczasowy>> dirs;
  std::vector<std::unique_ptr<e2e::Symulator>> sims;
  const std::string catalogue = env.Sciezka("goods.txt");
  if (!karvod_test::Catalogue("towary-t.txt", goods, catalogue)) return;
  std::string konfig;
  for (int i = 0; i < count; ++i) {
    const int reg = i + 1;
    const std::string state = env.Sciezka("reg" + std::to_string(reg) + ".txt");
    std::string text = e2e::CzytajPlik(catalogue);
    const std::size_t at = text.find("$numer\t");
    text.replace(at + 7, 2, e2e::DwieCyfry(reg));
    e2e::ZapiszPlik(state, text);
    dirs.push_back(std::make_unique<e2e::KatalogTymczasowy>());
    sims.push_back(std::make_unique<e2e::Symulator>(
        *dirs.back(), e2e::OpcjeSymulatora{.urzadzenia = {state}, .lacze = e2e::Lacze::ModulTcp}));
    konfig += "$" + std::to_string(reg) + "\tCOM1:9600:MUX5:1\t1\tModul\t" + sims.back()->Host() + ":" +
              std::to_string(sims.back()->Port()) + ":x:0:HASLO123:1:2\r\n";
  }
  env.Konfig(konfig);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"), {"--lines", std::to_string(count)});
  if (!svc.Ready()) return;
  const double cpu0 = CpuSeconds(svc.Pid());
  const auto t0 = Clock::now();
  std::vector<std::string> ids;
  for (int reg = 1; reg <= count; ++reg) ids.push_back(svc.Submit({{"register", reg}, {"command", 21}}));
  double longest = 0;
  int done = 0;
  for (const auto& id : ids) {
    const json j = svc.AwaitEnd(id, std::chrono::seconds(600));
    done += j.value("state", "") == "done";
    for (const auto& a : j["attempts"]) {
      const std::string s = a["started"], e = a["ended"].is_string() ? a["ended"].get<std::string>() : s;
      auto ms = [](const std::string& t) {
        return ((std::stoll(t.substr(11, 2)) * 60 + std::stoll(t.substr(14, 2))) * 60 + std::stoll(t.substr(17, 2))) *
                   1000.0 + std::stoll(t.substr(20, 3));
      };
      longest = std::max(longest, ms(e) - ms(s));
    }
  }
  const double total = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::printf("%3d registers x %d goods behind modules on TCP, submitted at once: %d done, total %.2f s, "
              "longest readout %.2f s (ratio %.2f), karvod's processor time %.2f s, its peak memory %.1f MiB\n",
              count, goods, done, total / 1000, longest / 1000, total / std::max(longest, 1.0),
              CpuSeconds(svc.Pid()) - cpu0, PeakKb(svc.Pid()) / 1024.0);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 25, 50};
  CostOfAJob();
  for (int n : counts) ManyRegisters(n, 500);
  (void)ChildrenCpu;
  return 0;
}
