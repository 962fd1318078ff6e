// Two karvod nodes sharing their jobs in a real PostgreSQL: 20 registers
// behind communication modules on TCP, one node killed mid-readout. Every job
// ends, no line carries two runs at once, no read is lost, no write runs twice.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fcntl.h>

#include <fstream>

#include "harness.h"
#include "service_harness.h"

namespace {

using karvod_test::json;
using karvod_test::Service;

const std::string PgBin = "/usr/lib/postgresql/15/bin";

// A PostgreSQL cluster of its own in a temporary directory, owned by the
// unprivileged user "postgres" (the server refuses to run as root), reached
// only through its Unix socket in that directory.
class Cluster {
 public:
  Cluster() {
    char tmpl[] = "/tmp/karvod-pg-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    dir_ = tmpl;
    const passwd* pw = getpwnam("postgres");
    if (!pw || chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
      ADD_FAILURE() << "no user postgres: run scripts/setup.sh";
      return;
    }
    std::string out;
    if (karvod_test::RunProgram({"/usr/sbin/runuser", "-u", "postgres", "--", PgBin + "/initdb", "-D", dir_ + "/data",
                                 "-A", "trust", "-U", "karvod", "--no-sync"},
                                out, std::chrono::seconds(60)) != 0) {
      ADD_FAILURE() << "initdb failed: " << out;
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl("/usr/sbin/runuser", "runuser", "-u", "postgres", "--", (PgBin + "/postgres").c_str(), "-D",
            (dir_ + "/data").c_str(), "-k", dir_.c_str(), "-c", "listen_addresses=", "-c", "fsync=off", "-p", "5432",
            nullptr);
      _exit(127);
    }
    for (int i = 0; i < 500; ++i) {
      if (karvod_test::RunProgram({PgBin + "/pg_isready", "-q", "-h", dir_, "-p", "5432"}, out) == 0) {
        ready_ = true;
        return;
      }
      Service::Sleep(20);
    }
    ADD_FAILURE() << "PostgreSQL did not start in " << dir_;
  }
  ~Cluster() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);  // runuser passes it on: a fast shutdown
      int status;
      for (int i = 0; i < 500 && waitpid(pid_, &status, WNOHANG) != pid_; ++i) Service::Sleep(10);
    }
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  bool Ready() const { return ready_; }
  std::string Url() const { return "postgresql:///postgres?host=" + dir_ + "&port=5432&user=karvod"; }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

bool Ended(const json& j) {
  const std::string s = j.value("state", "");
  return s == "done" || s == "failed" || s == "interrupted" || s == "cancelled";
}

TEST(KarvodCluster, TwoNodesOneKilledMidReadoutLoseNothingAndRunNothingTwice) {
  ASSERT_EQ(access((PgBin + "/postgres").c_str(), X_OK), 0) << "PostgreSQL's server is missing: run scripts/setup.sh";
  Cluster pg;
  ASSERT_TRUE(pg.Ready());
  e2e::Stanowisko env;
  constexpr int Modules = 10, Goods = 30;
  std::vector<std::unique_ptr<e2e::KatalogTymczasowy>> dirs;  // each module its own wire log
  std::vector<std::unique_ptr<e2e::Symulator>> sims;
  std::string konfig;
  for (int m = 0; m < Modules; ++m) {
    dirs.push_back(std::make_unique<e2e::KatalogTymczasowy>());
    std::vector<std::string> states;
    for (int a = 1; a <= 2; ++a) {
      const int reg = m * 2 + a;
      const std::string path = env.Sciezka("reg" + std::to_string(reg) + ".txt");
      ASSERT_TRUE(karvod_test::Catalogue("towary-t.txt", Goods, path, e2e::DwieCyfry(reg)));
      std::ofstream(path, std::ios::app) << "$adres\t" << a << "\r\n";
      states.push_back(path);
    }
    // Each answer a little late: a readout lasts long enough to be cut off.
    sims.push_back(std::make_unique<e2e::Symulator>(
        *dirs.back(), e2e::OpcjeSymulatora{.urzadzenia = states, .lacze = e2e::Lacze::ModulTcp,
                                            .dodatkowe = {"--module-fault", "*:late=25"}}));
    ASSERT_TRUE(sims.back()->Gotowy()) << sims.back()->Bledy();
    for (int a = 1; a <= 2; ++a)
      konfig += karvod_test::ModuleLine(m * 2 + a, sims.back()->Host(), sims.back()->Port(), a);
  }
  env.Konfig(konfig);
  const std::vector<std::string> common = {"--store", pg.Url(), "--lease-seconds", "2", "--lines", "4"};
  auto options = [&](const char* node) {
    std::vector<std::string> o = common;
    o.insert(o.end(), {"--node", node});
    return o;
  };
  Service n1(env.Katalog().Sciezka(), env.Sciezka("state1"), options("n1"));
  Service n2(env.Katalog().Sciezka(), env.Sciezka("state2"), options("n2"));
  ASSERT_TRUE(n1.Ready()) << n1.Errors();
  ASSERT_TRUE(n2.Ready()) << n2.Errors();
  EXPECT_EQ(n2.Get("/healthz").Json()["store"], "postgresql");

  std::vector<std::string> reads, writes;
  const std::string good = "$00001\tTOWAR 00001        \t2\t2\t1\t2\t1\t5900000000001\t38\t0";
  for (int reg = 1; reg <= 20; ++reg) {
    reads.push_back(n1.Submit({{"register", reg}, {"command", 21}}));
    if (reg % 4 == 0) writes.push_back(n2.Submit({{"register", reg}, {"command", 23}, {"input", {good, good, good}}}));
  }
  // Both nodes have runs going; then the first dies mid-readout.
  bool both = false;
  for (int i = 0; i < 500 && !both; ++i) {
    const json running = n2.Get("/v1/jobs?state=running").Json()["jobs"];
    bool one = false, two = false;
    for (const auto& j : running) {
      one |= j["node"] == "n1" && j["progress"]["output_lines"].get<int>() > 0;
      two |= j["node"] == "n2";
    }
    both = one && two;
    if (!both) Service::Sleep(10);
  }
  ASSERT_TRUE(both) << n2.Get("/v1/jobs?limit=40").body;
  n1.Kill();

  std::vector<json> jobs;
  for (const auto& id : reads) jobs.push_back(n2.AwaitEnd(id, std::chrono::seconds(60)));
  for (const auto& id : writes) jobs.push_back(n2.AwaitEnd(id, std::chrono::seconds(60)));
  int cutOff = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const json& j = jobs[i];
    ASSERT_TRUE(Ended(j)) << j.dump();
    for (const auto& a : j["attempts"]) cutOff += a["outcome"] == "interrupted";
    if (i < reads.size()) {
      EXPECT_EQ(j["state"], "done") << j.dump();
      EXPECT_EQ(e2e::LinieDanych(n2.Get("/v1/jobs/" + j["id"].get<std::string>() + "/output").body).size(),
                static_cast<std::size_t>(Goods));
    } else {
      EXPECT_TRUE(j["state"] == "done" || j["state"] == "interrupted") << j.dump();
      EXPECT_EQ(j["attempts"].size(), 1u) << j.dump();
    }
  }
  EXPECT_GE(cutOff, 1);  // the killed node had a run going that was put right
  EXPECT_EQ(n2.Stop(), 0);
  // Each module served one client at a time.
  for (auto& sim : sims) {
    sim->Zatrzymaj();
    const std::string log = sim->Dziennik();
    EXPECT_EQ(log.find("turned away"), std::string::npos) << log;
    EXPECT_EQ(karvod_test::Clients(log).find("++"), std::string::npos) << karvod_test::Clients(log);
  }
}

}  // namespace
