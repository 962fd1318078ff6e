// The status page in a real headless browser: it loads, shows a running
// job's progress, and shows the job's result once it has ended.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "harness.h"
#include "service_harness.h"

namespace {

using karvod_test::json;
using karvod_test::Service;
using namespace std::chrono_literals;

const char* const Browser = "/usr/bin/chromium";

// The page's document after its scripts ran for a while, as the browser holds it.
std::string PageAsShown(const std::string& url, const std::string& profile) {
  std::string dom;
  const int code = karvod_test::RunProgram(
      {Browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
       "--disable-background-networking", "--disable-component-update", "--disable-sync",
       "--user-data-dir=" + profile, "--virtual-time-budget=3000", "--dump-dom", url},
      dom, std::chrono::seconds(60));
  EXPECT_EQ(code, 0) << dom;
  return dom;
}

std::string RowOf(const std::string& dom, const std::string& id) {
  const std::size_t at = dom.find("data-id=\"" + id + "\"");
  if (at == std::string::npos) return "";
  return dom.substr(at, dom.find("</tr>", at) - at);
}

TEST(KarvodPage, ShowsARunningJobsProgressAndThenItsResult) {
  // The suite installs the browser (scripts/setup.sh): without it this fails, it does not pass unseen.
  ASSERT_EQ(access(Browser, X_OK), 0) << Browser << " is missing: run scripts/setup.sh";
  e2e::Stanowisko env;
  const std::string catalogue = env.Sciezka("goods.txt");
  ASSERT_TRUE(karvod_test::Catalogue("towary-t.txt", 150, catalogue));
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {catalogue}, .baud = 38400});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  const std::string token = "page-token-0123456789abcdef";
  env.Plik("token", token + "\n");
  ASSERT_EQ(chmod(env.Sciezka("token").c_str(), 0600), 0);
  Service svc(env.Katalog().Sciezka(), env.Sciezka("state"), {"--token-file", env.Sciezka("token")});
  ASSERT_TRUE(svc.Ready()) << svc.Errors();
  const karvod_test::Answer posted = svc.Post("/v1/jobs", R"({"register": 7, "command": 21})", token);
  ASSERT_EQ(posted.status, 201) << posted.body;
  const std::string id = posted.Json()["id"];
  const auto await = [&](auto pred, std::chrono::seconds limit) { return svc.AwaitJob(id, pred, limit, token); };
  ASSERT_TRUE(await([](const json& j) { return j["progress"]["output_lines"].get<int>() >= 3; }, 5s));
  // Suspended, the job keeps its place on the line and its progress while the page is looked at.
  ASSERT_EQ(svc.Post("/v1/jobs/" + id + "/suspend", "", token).status, 202);
  ASSERT_TRUE(await([](const json& j) { return j["state"] == "suspended"; }, 5s));
  const int lines = svc.Get("/v1/jobs/" + id, token).Json()["progress"]["output_lines"];

  const std::string url = svc.Url() + "/#token=" + token;
  const std::string running = PageAsShown(url, env.Sciezka("profile1"));
  EXPECT_NE(running.find("data-loaded=\"yes\""), std::string::npos) << running;
  const std::string row = RowOf(running, id);
  EXPECT_NE(row.find("data-state=\"suspended\""), std::string::npos) << row;
  EXPECT_NE(row.find("<progress"), std::string::npos) << row;
  EXPECT_NE(row.find("data-lines=\"" + std::to_string(lines) + "\""), std::string::npos) << row;
  EXPECT_NE(row.find("_TowarMax"), std::string::npos) << row;
  // The register's row names its line and the job that runs there.
  EXPECT_NE(running.find("data-register=\"7\""), std::string::npos);
  EXPECT_NE(running.find("COM1:9600:MUX0:1"), std::string::npos);

  ASSERT_EQ(svc.Post("/v1/jobs/" + id + "/resume", "", token).status, 202);
  ASSERT_TRUE(await([](const json& j) { return j["state"] == "done"; }, 20s));
  const std::string ended = PageAsShown(url, env.Sciezka("profile2"));
  const std::string last = RowOf(ended, id);
  EXPECT_NE(last.find("data-state=\"done\""), std::string::npos) << last;
  EXPECT_NE(last.find("data-code=\"0\""), std::string::npos) << last;
  EXPECT_NE(last.find("program zakonczony bezblednie"), std::string::npos) << last;
  EXPECT_NE(last.find("150 lines"), std::string::npos) << last;

  // Without the token the page loads but shows nothing of the jobs.
  const std::string locked = PageAsShown(svc.Url() + "/", env.Sciezka("profile3"));
  EXPECT_EQ(RowOf(locked, id), "");
  EXPECT_NE(locked.find("401"), std::string::npos) << locked;
}

}  // namespace
