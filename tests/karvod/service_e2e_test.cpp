// karvod end to end: the real service over real HTTP, running the real karvo
// against karvo-sim registers on a pseudo-terminal and behind communication
// modules on TCP.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include <httplib.h>

#include "harness.h"
#include "service_harness.h"

namespace {

using e2e::Lacze;
using e2e::Symulator;
using karvod_test::Answer;
using karvod_test::json;
using karvod_test::Service;

// The report lines of a job as RAPORT.TXT holds them.
std::string ReportOf(const json& job) {
  std::string text;
  for (const auto& l : job["result"]["report"]) {
    std::string bytes;
    const std::string u = l.get<std::string>();
    for (std::size_t i = 0; i < u.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(u[i]);
      if (c >= 0xC0 && i + 1 < u.size()) bytes += static_cast<char>(((c & 3) << 6) | (u[++i] & 0x3F));
      else bytes += static_cast<char>(c);
    }
    text += bytes + "\r\n";
  }
  return text;
}

// A KONFIG.TXT line for register `reg` behind the module simulator at `address`.
std::string ModuleLine(int reg, const Symulator& sim, int address) {
  return karvod_test::ModuleLine(reg, sim.Host(), sim.Port(), address);
}

int64_t Ms(const std::string& iso) {
  // 2026-12-09T15:04:05.123Z: the time of day is enough within one test.
  return ((std::stoll(iso.substr(11, 2)) * 60 + std::stoll(iso.substr(14, 2))) * 60 + std::stoll(iso.substr(17, 2))) *
             1000 +
         std::stoll(iso.substr(20, 3));
}

struct Interval {
  int64_t from, to;
};
Interval RunOf(const json& job) { return {Ms(job["started"]), Ms(job["ended"])}; }

std::string State(const json& j) { return j.is_object() ? j.value("state", "") : ""; }

// ---- the files of a job are those of the same run by hand ----

TEST(Karvod, AJobLeavesTheFilesOfTheSameRunByHand) {
  e2e::Stanowisko env;
  const std::string catalogue = env.Sciezka("goods.txt");
  ASSERT_TRUE(karvod_test::Catalogue("towary-t.txt", 25, catalogue));
  Symulator sim(env.Katalog(), {.urzadzenia = {catalogue}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();

  // By hand in one directory of its own with the same files, as a shop runs
  // the driver: its ECRTBUF.TXT learns the register as the service's does.
  e2e::Stanowisko hand;
  hand.Konfig(e2e::CzytajPlik(env.Sciezka("KONFIG.TXT")));
  hand.Porty(e2e::CzytajPlik(env.Sciezka("ports.conf")));
  hand.Plik("IN.TXT", e2e::Srodowisko::Wejscie(7));
  struct Case {
    int command;
    bool output;
  };
  for (const Case c : {Case{113, true}, Case{21, true}, Case{119, true}}) {
    const json job = svc.AwaitEnd(svc.Submit({{"register", 7}, {"command", c.command}}));
    ASSERT_EQ(State(job), "done") << job.dump();
    EXPECT_EQ(job["result"]["code"], 0);
    EXPECT_EQ(job["result"]["text"], "program zakonczony bezblednie");
    const std::string id = job["id"];

    std::filesystem::remove(hand.Sciezka("karvo.log"));
    const e2e::WynikKarvo w = hand.Karvo(c.command, "IN.TXT", "OUT.TXT");
    ASSERT_EQ(e2e::Kod(w), 0) << w.raport;
    const Answer output = svc.Get("/v1/jobs/" + id + "/output");
    EXPECT_EQ(output.status, 200);
    EXPECT_EQ(e2e::BezCzasu(output.body), e2e::BezCzasu(w.wyjscie)) << c.command;
    EXPECT_EQ(e2e::BezCzasu(ReportOf(job)), e2e::BezCzasu(w.raport)) << c.command;
    EXPECT_EQ(e2e::BezCzasu(svc.Get("/v1/jobs/" + id + "/log").body), e2e::BezCzasu(w.log)) << c.command;
    const std::string capture = svc.Get("/v1/jobs/" + id + "/capture").body;
    EXPECT_NE(capture.find("# karvo wire capture"), std::string::npos);
    EXPECT_NE(capture.find("driver -> COM1"), std::string::npos);
    EXPECT_GT(job["progress"]["requests"].get<int>(), 0);
  }
  // The goods readout wrote its 25 lines, and the progress said so.
  const json last = svc.Get("/v1/jobs?limit=3").Json()["jobs"][1];
  EXPECT_EQ(last["name"], "_TowarMax");
  EXPECT_EQ(last["progress"]["output_lines"], 25);
  // Every run's directory is gone once its files are kept.
  EXPECT_TRUE(std::filesystem::is_empty(env.Sciezka("state/runs")));
  EXPECT_EQ(svc.Stop(), 0);
}

// ---- one line carries one run at a time; lines run side by side ----

TEST(Karvod, TwoRegistersOnOneLineNeverRunAtOnceAndKeepTheirOrder) {
  e2e::Stanowisko env;
  const std::string second = e2e::StanZ(env, "vin-t.txt", {"$adres\t2", "$numer\t08"});
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt", second}, .lacze = Lacze::ModulTcp});
  ASSERT_TRUE(sim.Gotowy());
  env.Konfig(ModuleLine(7, sim, 1) + ModuleLine(8, sim, 2));
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"), {"--lines", "4"});
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  std::vector<std::string> ids;
  for (int i = 0; i < 4; ++i) ids.push_back(svc.Submit({{"register", 7 + i % 2}, {"command", 113}}));
  std::vector<Interval> runs;
  std::string shown;
  for (const auto& id : ids) {
    const json j = svc.AwaitEnd(id);
    shown += j["attempts"].dump() + "\n";
    ASSERT_EQ(State(j), "done") << j.dump();
    EXPECT_EQ(j["line"], "tcp:" + sim.Host() + ":" + std::to_string(sim.Port()));
    runs.push_back(RunOf(j));
  }
  for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_LE(runs[i - 1].to, runs[i].from) << "runs " << i - 1 << ", " << i << "\n" << shown;
  sim.Zatrzymaj();
  // The module saw one client after another, never a second one beside the first.
  const std::string log = sim.Dziennik();
  EXPECT_EQ(log.find("turned away"), std::string::npos) << log;
  EXPECT_EQ(karvod_test::Clients(log), "+-+-+-+-");
}

TEST(Karvod, RegistersOnTwoLinesRunAtTheSameTime) {
  e2e::Stanowisko env;
  std::vector<std::unique_ptr<Symulator>> sims;
  std::string konfig;
  for (int i = 0; i < 2; ++i) {
    const std::string catalogue = env.Sciezka("goods" + std::to_string(i) + ".txt");
    ASSERT_TRUE(karvod_test::Catalogue("towary-t.txt", 50, catalogue, i ? "08" : ""));
    sims.push_back(std::make_unique<Symulator>(
        env.Katalog(), e2e::OpcjeSymulatora{.urzadzenia = {catalogue}, .lacze = Lacze::ModulTcp, .baud = 38400}));
    ASSERT_TRUE(sims.back()->Gotowy());
    konfig += ModuleLine(7 + i, *sims.back(), 1);
  }
  env.Konfig(konfig);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  const std::string a = svc.Submit({{"register", 7}, {"command", 21}});
  const std::string b = svc.Submit({{"register", 8}, {"command", "_TowarMax"}});
  const json ja = svc.AwaitEnd(a), jb = svc.AwaitEnd(b);
  ASSERT_EQ(State(ja), "done") << ja.dump();
  ASSERT_EQ(State(jb), "done") << jb.dump();
  EXPECT_NE(ja["line"], jb["line"]);
  const Interval ra = RunOf(ja), rb = RunOf(jb);
  EXPECT_LT(ra.from, rb.to);
  EXPECT_LT(rb.from, ra.to);
  const json regs = svc.Get("/v1/registers").Json()["registers"];
  ASSERT_EQ(regs.size(), 2u);
  EXPECT_EQ(regs[0]["last"]["id"], a);
  EXPECT_EQ(regs[1]["last"]["id"], b);
  const std::string metrics = svc.Get("/metrics").body;
  EXPECT_NE(metrics.find("karvod_jobs{state=\"done\"} 2\n"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("karvod_results{code=\"0\"} 2\n"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("karvod_run_seconds_count 2\n"), std::string::npos) << metrics;
}

// ---- the store outlives the service ----

TEST(Karvod, AKeyFindsItsJobAlsoAfterARestart) {
  e2e::Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  std::string id;
  {
    Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
    ASSERT_TRUE(svc.Ready()) << svc.Errors();
    const json body = {{"register", 7}, {"command", 113}, {"key", "shop-7-2026-12-09"}};
    id = svc.Submit(body);
    ASSERT_EQ(State(svc.AwaitEnd(id)), "done");
    EXPECT_EQ(svc.Stop(), 0);
  }
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  struct Case {
    json body;
    int status;
  };
  const Case cases[] = {
      {{{"register", 7}, {"command", 113}, {"key", "shop-7-2026-12-09"}}, 200},
      {{{"register", 7}, {"command", "_ONrKasy"}, {"key", "shop-7-2026-12-09"}}, 200},
      {{{"register", 7}, {"command", 119}, {"key", "shop-7-2026-12-09"}}, 409},
      {{{"register", 7}, {"command", 113}, {"input", {"$1"}}, {"key", "shop-7-2026-12-09"}}, 409},
  };
  for (const Case& c : cases) {
    const Answer a = svc.Post("/v1/jobs", c.body.dump());
    EXPECT_EQ(a.status, c.status) << c.body.dump() << " " << a.body;
    if (c.status == 200) {
      EXPECT_EQ(a.Json()["id"], id);
      EXPECT_EQ(a.Json()["state"], "done");
    }
  }
  EXPECT_EQ(svc.Get("/v1/jobs").Json()["jobs"].size(), 1u);
  sim.Zatrzymaj();
  std::string out;
  EXPECT_EQ(karvod_test::RunProgram({KARVOD_BINARY, "status", id, "--url", svc.Url()}, out), 0);
  EXPECT_EQ(json::parse(out, nullptr, false)["id"], id) << out;
}

// Two registers on two pseudo-terminals: the reader sends no faster than
// 38400 bit/s (a readout of `count` goods takes a few seconds), the writer's
// short answers come at 1200 bit/s (a write of 100 goods takes seconds too).
struct TwoSlowLines {
  e2e::Stanowisko env;
  e2e::KatalogTymczasowy other;  // the writer's directory: its wire log of its own
  std::unique_ptr<Symulator> reader, writer;

  explicit TwoSlowLines(int count) {
    const std::string a = env.Sciezka("goods-a.txt"), b = env.Sciezka("goods-b.txt");
    if (!karvod_test::Catalogue("towary-t.txt", count, a) || !karvod_test::Catalogue("towary-t.txt", 1, b, "08")) {
      ADD_FAILURE() << "no catalogue";
      return;
    }
    reader = std::make_unique<Symulator>(env.Katalog(), e2e::OpcjeSymulatora{.urzadzenia = {a}, .baud = 38400});
    writer = std::make_unique<Symulator>(other, e2e::OpcjeSymulatora{.urzadzenia = {b}, .baud = 1200});
    env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n$8\tCOM2:9600:MUX0:1\t1\r\n");
    env.Porty("COM1\t" + reader->Cel() + "\nCOM2\t" + writer->Cel() + "\n");
  }
  bool Ready() const { return reader && reader->Gotowy() && writer->Gotowy(); }
  // The goods of the reader as the lines of a write, read once by hand.
  std::vector<std::string> Goods() {
    env.Plik("IN.TXT", e2e::Srodowisko::Wejscie(7));
    const e2e::WynikKarvo w = env.Karvo(21, "IN.TXT", "OUT.TXT", std::chrono::seconds(60));
    std::vector<std::string> lines;
    for (const auto& l : e2e::LinieDanych(w.wyjscie)) lines.push_back("$" + l);
    return lines;
  }
};

bool Running(const json& j, int lines) {
  return State(j) == "running" && j["progress"]["output_lines"].get<int>() + j["progress"]["input_lines"].get<int>() >= lines;
}

// A service stopped with a read and a write running, by SIGKILL or by
// SIGTERM: at its next start the read runs again, the write is not run twice.
TEST(Karvod, AfterKillNineOrSigtermAReadRunsAgainAndAWriteIsNotRunTwice) {
  TwoSlowLines s(150);
  ASSERT_TRUE(s.Ready());
  const std::vector<std::string> goods = s.Goods();
  ASSERT_EQ(goods.size(), 150u);
  struct Case {
    const char* name;
    bool kill;          // SIGKILL, else SIGTERM
    const char* first;  // what the read's first attempt says of its end
    json value;
  };
  for (const Case& c : {Case{"kill", true, "outcome", "interrupted"}, Case{"term", false, "code", 56}}) {
    SCOPED_TRACE(c.name);
    const std::string state = s.env.Sciezka(std::string("state-") + c.name);
    std::string read, write;
    {
      Service svc(s.env.Katalog().Sciezka(), state);
      ASSERT_TRUE(svc.Ready()) << svc.Errors();
      read = svc.Submit({{"register", 7}, {"command", 21}});
      write = svc.Submit({{"register", 8}, {"command", 23}, {"input", goods}});
      ASSERT_TRUE(svc.AwaitJob(read, [](const json& j) { return Running(j, 5); })) << svc.Errors();
      ASSERT_TRUE(svc.AwaitJob(write, [](const json& j) { return Running(j, 5); })) << svc.Get("/v1/jobs/" + write).body;
      EXPECT_EQ(karvod_test::ProcessesIn(state + "/runs").size(), 2u);
      if (c.kill) {
        svc.Kill();
      } else {
        // The runs are broken off within seconds.
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(svc.Stop(), 0) << svc.Errors();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
        EXPECT_NE(svc.Errors().find("karvod: stopped"), std::string::npos);
        EXPECT_TRUE(karvod_test::ProcessesIn(state + "/runs").empty());
      }
    }
    // The drivers die with their service.
    for (int i = 0; i < 100 && !karvod_test::ProcessesIn(state + "/runs").empty(); ++i) Service::Sleep(20);
    EXPECT_TRUE(karvod_test::ProcessesIn(state + "/runs").empty());
    Service::Sleep(300);
    const std::string written = s.writer->Dziennik();

    Service svc(s.env.Katalog().Sciezka(), state);
    ASSERT_TRUE(svc.Ready()) << svc.Errors();
    const json w = svc.AwaitEnd(write, std::chrono::seconds(5));
    EXPECT_EQ(State(w), "interrupted") << w.dump();
    EXPECT_EQ(w["attempts"].size(), 1u);
    if (c.kill) {
      EXPECT_NE(w["note"].get<std::string>().find("unknown"), std::string::npos);
    }
    EXPECT_NE(svc.Get("/v1/jobs/" + write + "/capture").body.find("driver -> COM2"), std::string::npos);
    const json r = svc.AwaitEnd(read, std::chrono::seconds(60));
    ASSERT_EQ(State(r), "done") << r.dump();
    ASSERT_EQ(r["attempts"].size(), 2u);
    EXPECT_EQ(r["attempts"][0][c.first], c.value);
    EXPECT_EQ(e2e::LinieDanych(svc.Get("/v1/jobs/" + read + "/output").body).size(), 150u);
    EXPECT_EQ(svc.Stop(), 0);
    // Nothing more was sent to the register of the write after the service stopped.
    EXPECT_EQ(s.writer->Dziennik(), written);
  }
}

// ---- suspend, resume, break and cancel through the API ----

TEST(Karvod, SuspendResumeBreakAndCancel) {
  TwoSlowLines s(150);
  ASSERT_TRUE(s.Ready());
  Service svc(s.env.Katalog().Sciezka(), s.env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  const std::string id = svc.Submit({{"register", 7}, {"command", 21}});
  const std::string behind = svc.Submit({{"register", 7}, {"command", 113}});
  const std::string cancelled = svc.Submit({{"register", 7}, {"command", 113}});
  ASSERT_TRUE(svc.AwaitJob(id, [](const json& j) { return Running(j, 3); })) << svc.Get("/v1/jobs/" + id).body;

  struct Case {
    std::string path;
    int status;
  };
  // A queued job cannot be suspended; a running one cannot be cancelled.
  for (const Case& c : {Case{"/v1/jobs/" + behind + "/suspend", 409}, Case{"/v1/jobs/" + behind + "/break", 409},
                        Case{"/v1/jobs/" + std::string(32, 'a') + "/break", 404}})
    EXPECT_EQ(svc.Post(c.path, "").status, c.status) << c.path;
  EXPECT_EQ(svc.Delete("/v1/jobs/" + id).status, 409);
  const Answer del = svc.Delete("/v1/jobs/" + cancelled);
  EXPECT_EQ(del.status, 200);
  EXPECT_EQ(del.Json()["state"], "cancelled");

  EXPECT_EQ(svc.Post("/v1/jobs/" + id + "/suspend", "").status, 202);
  const auto suspended = svc.AwaitJob(id, [](const json& j) { return State(j) == "suspended"; });
  ASSERT_TRUE(suspended);
  Service::Sleep(700);
  const json still = svc.Get("/v1/jobs/" + id).Json();
  EXPECT_EQ(State(still), "suspended");
  EXPECT_EQ(still["progress"]["output_lines"], (*suspended)["progress"]["output_lines"]);
  EXPECT_EQ(State(svc.Get("/v1/jobs/" + behind).Json()), "queued");  // the line is still taken

  EXPECT_EQ(svc.Post("/v1/jobs/" + id + "/resume", "").status, 202);
  ASSERT_TRUE(svc.AwaitJob(id, [&](const json& j) {
    return State(j) == "running" && j["progress"]["output_lines"] > still["progress"]["output_lines"];
  }));
  EXPECT_EQ(svc.Post("/v1/jobs/" + id + "/break", "").status, 202);
  const json broken = svc.AwaitEnd(id);
  EXPECT_EQ(State(broken), "failed");
  EXPECT_EQ(broken["result"]["code"], 56);
  EXPECT_EQ(broken["result"]["text"], "rozkaz przerwany przez serwer");
  EXPECT_EQ(broken["attempts"].back()["code"], 56);  // a break is never retried
  // The job behind it on the line runs once the line is free; its events end with its end.
  std::string events;
  {
    httplib::Client c("127.0.0.1", svc.Port());
    c.set_read_timeout(30, 0);
    c.Get(("/v1/jobs/" + behind + "/events").c_str(), [&](const char* d, size_t n) {
      events.append(d, n);
      return true;
    });
  }
  EXPECT_NE(events.find("event: end\ndata: {"), std::string::npos) << events;
  EXPECT_NE(events.find("\"state\":\"done\""), std::string::npos) << events;
  EXPECT_EQ(State(svc.Get("/v1/jobs/" + cancelled).Json()), "cancelled");
}

// ---- what is refused ----

TEST(Karvod, BadRequestsAreRefusedAndQueueNothing) {
  e2e::Stanowisko env;
  env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  struct Case {
    std::string method, path, body;
    int status;
    const char* reason;
  };
  const std::string big = R"({"register": 7, "command": 23, "input": [")" + std::string(5u << 20, 'x') + "\"]}";
  const Case cases[] = {
      {"POST", "/v1/jobs", "not json", 400, "not JSON"},
      {"POST", "/v1/jobs", R"({"register": 3, "command": 21})", 400, "register 3 is not in KONFIG.TXT"},
      {"POST", "/v1/jobs", R"({"register": 7, "command": 99})", 400, "unknown command"},
      {"POST", "/v1/jobs", R"({"register": 7, "command": 23, "input": ["$1\u0000"]})", 400, "NUL"},
      {"POST", "/v1/jobs", R"({"register": 7, "command": 23, "input": ["$1\r\n$2"]})", 400, "CR or LF"},
      {"POST", "/v1/jobs", R"({"register": 7, "command": 23, "input": [")" + std::string(256, 'x') + "\"]}", 400,
       "255"},
      {"POST", "/v1/jobs", big, 413, "4 MiB"},
      {"GET", "/v1/jobs/" + std::string(32, '0'), "", 404, "no such job"},
      {"GET", "/v1/jobs/../../etc/passwd", "", 404, ""},
      {"GET", "/v1/jobs/" + std::string(32, '0') + "/output", "", 404, "no such job"},
      {"GET", "/v1/jobs?state=sleeping", "", 400, "unknown state"},
      {"GET", "/v1/jobs?limit=0", "", 400, "limit"},
      {"GET", "/v1/jobs/" + std::string(32, '0') + "?wait=601", "", 400, "wait"},
      {"DELETE", "/v1/jobs/" + std::string(32, '0'), "", 404, "no such job"},
      {"GET", "/v2/anything", "", 404, ""},
  };
  for (const Case& c : cases) {
    const Answer a = c.method == "GET"    ? svc.Get(c.path)
                     : c.method == "POST" ? svc.Post(c.path, c.body)
                                          : svc.Delete(c.path);
    EXPECT_EQ(a.status, c.status) << c.method << " " << c.path.substr(0, 60) << ": " << a.body.substr(0, 200);
    EXPECT_NE(a.body.find(c.reason), std::string::npos) << c.path.substr(0, 60) << ": " << a.body.substr(0, 200);
  }
  EXPECT_EQ(svc.Get("/v1/jobs").Json()["jobs"].size(), 0u);
  EXPECT_EQ(svc.Get("/healthz").Json()["status"], "ok");
}

TEST(Karvod, AnAddressBeyondTheMachineNeedsATokenAndEveryRequestCarriesIt) {
  e2e::Stanowisko env;
  env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
  const std::string token = "s3cr3t-t0ken-0123456789";
  env.Plik("token", token + "\n");
  env.Plik("open-token", token + "\n");
  chmod(env.Sciezka("token").c_str(), 0600);
  chmod(env.Sciezka("open-token").c_str(), 0644);
  {
    Service refused(env.Katalog().Sciezka(), env.Sciezka("state1"), {"--listen", "0.0.0.0:0"});
    EXPECT_FALSE(refused.Ready());
    EXPECT_EQ(refused.AwaitExit(), 2);
    EXPECT_NE(refused.Errors().find("needs --token-file"), std::string::npos) << refused.Errors();
  }
  {
    Service refused(env.Katalog().Sciezka(), env.Sciezka("state2"),
                    {"--listen", "0.0.0.0:0", "--token-file", env.Sciezka("open-token")});
    EXPECT_FALSE(refused.Ready());
    EXPECT_EQ(refused.AwaitExit(), 1);
    EXPECT_NE(refused.Errors().find("mode 0600"), std::string::npos) << refused.Errors();
  }
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"),
              {"--listen", "0.0.0.0:0", "--token-file", env.Sciezka("token")});
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  EXPECT_NE(svc.Errors().find("karvod: ready, listening on 0.0.0.0:" + std::to_string(svc.Port()) + "\n"),
            std::string::npos);
  const int port = svc.Port();
  httplib::Client c("127.0.0.1", port);
  const std::string body = R"({"register": 7, "command": 113})";
  struct Case {
    std::string header;
    int status;
  };
  const std::string right = "Bearer " + token;
  const Case cases[] = {{"", 401}, {"Bearer wrong", 401}, {"Bearer ", 401}, {"Basic czNjcjN0", 401},
                        {"Bearer " + token + "x", 401}};
  for (const Case& k : cases) {
    httplib::Headers h;
    if (!k.header.empty()) h.emplace("Authorization", k.header);
    const auto r = c.Post("/v1/jobs", h, body, "application/json");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, k.status) << k.header;
    EXPECT_EQ(c.Get("/v1/jobs", h)->status, 401) << k.header;
  }
  const auto page = c.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);  // the page holds no data: it asks with the token
  httplib::Headers h{{"Authorization", right}};
  const auto list = c.Get("/v1/jobs", h);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->status, 200);
  EXPECT_EQ(json::parse(list->body)["jobs"].size(), 0u);  // nothing refused was queued
  EXPECT_EQ(c.Post("/v1/jobs", h, body, "application/json")->status, 201);
}

// ---- the command line for shells and timers ----

TEST(Karvod, TheClientSubmitsWaitsAndFetches) {
  e2e::Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  std::string out;
  EXPECT_EQ(karvod_test::RunProgram(
                {KARVOD_BINARY, "submit", "--url", svc.Url(), "--register", "7", "--command", "_ONrKasy", "--wait", "30"},
                out),
            0)
      << out;
  const json job = json::parse(out, nullptr, false);
  ASSERT_TRUE(job.is_object()) << out;
  EXPECT_EQ(job["state"], "done");
  EXPECT_EQ(karvod_test::RunProgram({KARVOD_BINARY, "output", job["id"], "--url", svc.Url()}, out), 0);
  EXPECT_EQ(out, svc.Get("/v1/jobs/" + job["id"].get<std::string>() + "/output").body);
  EXPECT_NE(out.find("\r\n$07\r\n"), std::string::npos) << out;
  // A write from a file; a register or a job the service does not know: 3; a usage error: 2.
  env.Plik("in.txt", "#ignored header\r\n$1\r\n");
  struct Case {
    std::vector<std::string> args;
    int exit;
  };
  const Case cases[] = {
      {{"submit", "--register", "7", "--command", "114", "--input", env.Sciezka("in.txt"), "--wait", "30"}, 0},
      {{"submit", "--register", "9", "--command", "21"}, 3},
      {{"submit", "--register", "7", "--command", "99999999999"}, 3},  // no CommandCode: refused, not a crash
      {{"submit", "--register", "7x", "--command", "21"}, 2},
      {{"wait", std::string(32, 'f')}, 3},
      {{"submit"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {KARVOD_BINARY};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--url", svc.Url()});
    EXPECT_EQ(karvod_test::RunProgram(args, out), c.exit) << c.args[0] << " " << out;
  }
}

// ---- the end of day: the files it names are kept with the job ----

TEST(Karvod, TheEndOfDayKeepsEveryFileItWroteAsARunByHandWritesThem) {
  const std::string day = e2e::CzytajPlik(std::string(KARVO_SOURCE_DIR) + "/examples/register7-sales.txt");
  ASSERT_FALSE(day.empty());
  const std::string input = "$SPRZEDAZ.TXT\tSPAK.TXT\tOPAK.TXT\tRABATY.TXT\t?";
  // The same register twice: the end of day clears the sales it read.
  e2e::Stanowisko env, hand;
  const std::string state = e2e::CzytajPlik(e2e::Urzadzenie("vin-t.txt")) + day;
  e2e::ZapiszPlik(env.Sciezka("register7.txt"), state);
  e2e::ZapiszPlik(hand.Sciezka("register7.txt"), state);
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("register7.txt")}});
  Symulator simHand(hand.Katalog(), {.urzadzenia = {hand.Sciezka("register7.txt")}});
  ASSERT_TRUE(sim.Gotowy() && simHand.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  hand.PolaczZSymulatorem(simHand, 7);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"));
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  const json job = svc.AwaitEnd(svc.Submit({{"register", 7}, {"command", 324}, {"input", {input}}}));
  ASSERT_EQ(State(job), "done") << job.dump();
  EXPECT_EQ(job["class"], "clear");
  hand.Plik("IN.TXT", e2e::Srodowisko::Wejscie(7) + input + "\r\n");
  const e2e::WynikKarvo w = hand.Karvo(324, "IN.TXT");
  ASSERT_EQ(e2e::Kod(w), 0) << w.raport;
  EXPECT_EQ(job["files"], json({"OPAK.TXT", "RABATY.TXT", "SPAK.TXT", "SPRZEDAZ.TXT"}));
  for (const std::string name : {"SPRZEDAZ.TXT", "SPAK.TXT", "OPAK.TXT", "RABATY.TXT"}) {
    const Answer a = svc.Get("/v1/jobs/" + job["id"].get<std::string>() + "/files/" + name);
    EXPECT_EQ(a.status, 200) << name;
    EXPECT_EQ(e2e::BezCzasu(a.body), e2e::BezCzasu(e2e::CzytajPlik(hand.Sciezka(name)))) << name;
  }
  EXPECT_FALSE(e2e::LinieDanych(svc.Get("/v1/jobs/" + job["id"].get<std::string>() + "/files/SPRZEDAZ.TXT").body).empty());
  EXPECT_EQ(svc.Get("/v1/jobs/" + job["id"].get<std::string>() + "/files/KONFIG.TXT").status, 404);
  EXPECT_EQ(svc.Post("/v1/jobs", json({{"register", 7}, {"command", 324}, {"input", {"$/tmp/x\tS\tO\t*\t?"}}}).dump()).status,
            400);
}

}  // namespace
