// The PostgreSQL backend, for several nodes that share their jobs. A job is
// claimed by one node (FOR UPDATE SKIP LOCKED); a line is served by at most
// one node at a time through a lease that its node renews and that runs out
// when the node stops renewing it; a node's job whose lease ran out is put
// right by any other node: a read is queued again, anything else becomes
// interrupted.
#include <libpq-fe.h>

#include <mutex>

#include "karvod/store.h"
#include "karvod/util.h"

namespace karvod {

namespace {

constexpr const char* Schema = R"(
CREATE TABLE IF NOT EXISTS karvod_jobs(
  seq BIGSERIAL PRIMARY KEY,
  id TEXT UNIQUE NOT NULL,
  reg INTEGER NOT NULL, command INTEGER NOT NULL, line TEXT NOT NULL,
  input TEXT NOT NULL, key TEXT UNIQUE,
  state TEXT NOT NULL, code INTEGER NOT NULL DEFAULT -1, text BYTEA, report TEXT, note TEXT,
  progress TEXT, attempts TEXT, created TEXT, started TEXT, ended TEXT,
  not_before BIGINT NOT NULL DEFAULT 0, node TEXT, control TEXT NOT NULL DEFAULT '',
  output BYTEA, log BYTEA, capture BYTEA, capture_until BIGINT, files TEXT, file_names TEXT);
CREATE INDEX IF NOT EXISTS karvod_jobs_queue ON karvod_jobs(state, line, seq);
CREATE INDEX IF NOT EXISTS karvod_jobs_reg ON karvod_jobs(reg, seq);
CREATE TABLE IF NOT EXISTS karvod_leases(line TEXT PRIMARY KEY, node TEXT NOT NULL, expires BIGINT NOT NULL);
)";

// One parameter of a statement: text, or bytes sent as they are.
struct Param {
  std::string value;
  bool binary = false;
  bool null = false;
};
Param P(const std::string& s) { return {s}; }
Param P(int64_t v) { return {std::to_string(v)}; }
Param Bytes(const std::string& s) { return {s, true}; }
Param Null() { return {"", false, true}; }

class Result {
 public:
  explicit Result(PGresult* r) : r_(r) {}
  ~Result() { PQclear(r_); }
  Result(const Result&) = delete;
  bool Ok() const {
    const auto s = PQresultStatus(r_);
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
  }
  int Rows() const { return PQntuples(r_); }
  bool IsNull(int row, int col) const { return PQgetisnull(r_, row, col); }
  std::string Text(int row, int col) const { return PQgetvalue(r_, row, col); }
  int64_t Int(int row, int col) const { return IsNull(row, col) ? 0 : std::stoll(Text(row, col)); }
  std::string Bytea(int row, int col) const {
    if (IsNull(row, col)) return {};
    std::size_t n = 0;
    unsigned char* b = PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(r_, row, col)), &n);
    std::string s(reinterpret_cast<char*>(b), n);
    PQfreemem(b);
    return s;
  }
  std::string Error() const { return PQresultErrorMessage(r_); }
  int Changed() const { return std::atoi(PQcmdTuples(r_)); }

 private:
  PGresult* r_;
};

// Row i of a result, as JobFromRow reads it.
struct ResultRow {
  const Result& r;
  int i;
  std::string Text(int col) const { return r.Text(i, col); }
  std::string Bytes(int col) const { return r.Bytea(i, col); }
  int64_t Int(int col) const { return r.Int(i, col); }
};

Job JobFrom(const Result& r, int i) { return JobFromRow(ResultRow{r, i}); }

class PostgresStore : public Store {
 public:
  PostgresStore(PGconn* c, int leaseSeconds) : c_(c), leaseMs_(leaseSeconds * 1000LL) {}
  ~PostgresStore() override { PQfinish(c_); }

  InsertOutcome Insert(Job& job) override {
    std::lock_guard<std::mutex> lock(m_);
    if (!job.Key.empty()) {
      // The key's row, made by whichever node came first.
      Result r = Exec(std::string("INSERT INTO karvod_jobs(id, reg, command, line, input, key, state, progress, "
                                  "attempts, created) VALUES($1,$2,$3,$4,$5,$6,$7,$8,$9,$10) "
                                  "ON CONFLICT (key) DO NOTHING RETURNING seq"),
                      InsertParams(job));
      if (r.Ok() && r.Rows() == 1) {
        job.Seq = r.Int(0, 0);
        return InsertOutcome::Created;
      }
      Result old = Exec(std::string("SELECT ") + JobColumns + " FROM karvod_jobs WHERE key=$1", {P(job.Key)});
      if (!old.Ok() || old.Rows() != 1) return InsertOutcome::Conflict;
      Job o = JobFrom(old, 0);
      if (o.Register != job.Register || o.Command != job.Command || o.Input != job.Input) return InsertOutcome::Conflict;
      job = o;
      return InsertOutcome::Existing;
    }
    Result r = Exec("INSERT INTO karvod_jobs(id, reg, command, line, input, key, state, progress, attempts, created) "
                    "VALUES($1,$2,$3,$4,$5,$6,$7,$8,$9,$10) RETURNING seq",
                    InsertParams(job));
    if (r.Ok() && r.Rows() == 1) job.Seq = r.Int(0, 0);
    return InsertOutcome::Created;
  }

  std::optional<Job> Get(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    Result r = Exec(std::string("SELECT ") + JobColumns + " FROM karvod_jobs WHERE id=$1", {P(id)});
    if (!r.Ok() || r.Rows() != 1) return std::nullopt;
    return JobFrom(r, 0);
  }

  std::vector<Job> List(const ListFilter& f) override {
    std::lock_guard<std::mutex> lock(m_);
    return Jobs(Exec(std::string("SELECT ") + JobColumns +
                         " FROM karvod_jobs WHERE ($1=0 OR reg=$1) AND ($2='' OR state=$2) ORDER BY seq DESC LIMIT $3",
                     {P(f.Register), P(f.State ? StateName(*f.State) : ""), P(f.Limit)}));
  }

  std::vector<std::string> ReadyLines(int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    // A line whose first job waits to be tried again waits with it: the line keeps its order.
    Result r = Exec("SELECT j.line, j.seq FROM karvod_jobs j WHERE j.state='queued' AND j.not_before<=$1 "
                    "AND j.seq=(SELECT MIN(k.seq) FROM karvod_jobs k WHERE k.state='queued' AND k.line=j.line) "
                    "AND NOT EXISTS (SELECT 1 FROM karvod_leases l WHERE l.line=j.line AND l.expires>$1) ORDER BY j.seq",
                    {P(nowMs)});
    std::vector<std::string> out;
    for (int i = 0; r.Ok() && i < r.Rows(); ++i) out.push_back(r.Text(i, 0));
    return out;
  }

  std::optional<Job> Claim(const std::string& line, const std::string& node, int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("BEGIN", {});
    // The line's lease: free, run out, or ours already.
    Result lease = Exec("INSERT INTO karvod_leases(line, node, expires) VALUES($1,$2,$3) ON CONFLICT (line) DO UPDATE "
                        "SET node=$2, expires=$3 WHERE karvod_leases.node=$2 OR karvod_leases.expires<=$4 RETURNING node",
                        {P(line), P(node), P(nowMs + leaseMs_), P(nowMs)});
    if (!lease.Ok() || lease.Rows() != 1) {
      Exec("ROLLBACK", {});
      return std::nullopt;
    }
    // A run another node left on the line (its lease ran out) keeps the line until it is put right.
    Result left = Exec("SELECT 1 FROM karvod_jobs WHERE line=$1 AND state IN ('running','suspended') AND node<>$2 LIMIT 1",
                       {P(line), P(node)});
    Result r = Exec(std::string("SELECT ") + JobColumns +
                        " FROM karvod_jobs WHERE state='queued' AND line=$1 ORDER BY seq LIMIT 1 FOR UPDATE",
                    {P(line)});
    if (!left.Ok() || left.Rows() != 0 || !r.Ok() || r.Rows() != 1 || r.Int(0, 17) > nowMs) {
      Exec("DELETE FROM karvod_leases WHERE line=$1 AND node=$2", {P(line), P(node)});
      Exec("COMMIT", {});
      return std::nullopt;
    }
    Job job = JobFrom(r, 0);
    StartAttempt(job, node, nowMs);
    SaveLocked(job);
    Exec("UPDATE karvod_jobs SET control='' WHERE id=$1", {P(job.Id)});
    Result done = Exec("COMMIT", {});
    if (!done.Ok()) return std::nullopt;
    return job;
  }

  void Save(const Job& job) override {
    std::lock_guard<std::mutex> lock(m_);
    SaveLocked(job);
  }

  void SaveFiles(const std::string& id, const RunFiles& f) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("UPDATE karvod_jobs SET output=$1, log=$2, capture=$3, capture_until=$4, files=$5, file_names=$6 WHERE id=$7",
         {Bytes(f.Output), Bytes(f.Log), Bytes(f.Capture), P(f.CaptureUntilMs), P(ExtraToText(f)),
          P(ExtraNamesToText(f)), P(id)});
  }

  std::optional<std::string> File(const std::string& id, const std::string& which) override {
    std::lock_guard<std::mutex> lock(m_);
    if (which.rfind("file/", 0) == 0) {
      Result r = Exec("SELECT files FROM karvod_jobs WHERE id=$1", {P(id)});
      if (!r.Ok() || r.Rows() != 1 || r.IsNull(0, 0)) return std::nullopt;
      return ExtraFile(r.Text(0, 0), which.substr(5));
    }
    const std::string column = which == "output" ? "output" : which == "log" ? "log" : "capture";
    Result r = Exec("SELECT " + column + " FROM karvod_jobs WHERE id=$1", {P(id)});
    if (!r.Ok() || r.Rows() != 1 || r.IsNull(0, 0)) return std::nullopt;
    return r.Bytea(0, 0);
  }

  bool Cancel(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    return Exec("UPDATE karvod_jobs SET state='cancelled', ended=$1, note='cancelled before it ran' "
                "WHERE id=$2 AND state='queued'",
                {P(NowIso()), P(id)})
               .Changed() == 1;
  }

  bool RequestControl(const std::string& id, char letter) override {
    std::lock_guard<std::mutex> lock(m_);
    return Exec("UPDATE karvod_jobs SET control=control||$1 WHERE id=$2 AND state IN ('running','suspended')",
                {P(std::string(1, letter)), P(id)})
               .Changed() == 1;
  }

  char TakeControl(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    // Takes the first letter in one statement, so that one asked for meanwhile is kept.
    Result r = Exec("UPDATE karvod_jobs j SET control=substr(o.control, 2) FROM (SELECT id, control FROM karvod_jobs "
                    "WHERE id=$1 AND control<>'' FOR UPDATE) o WHERE j.id=o.id RETURNING substr(o.control, 1, 1)",
                    {P(id)});
    if (!r.Ok() || r.Rows() != 1) return 0;
    const std::string c = r.Text(0, 0);
    return c.empty() ? 0 : c[0];
  }

  std::vector<Job> Unfinished(const std::string& node) override {
    std::lock_guard<std::mutex> lock(m_);
    return Jobs(Exec(std::string("SELECT ") + JobColumns +
                         " FROM karvod_jobs WHERE state IN ('running','suspended') AND node=$1 ORDER BY seq",
                     {P(node)}));
  }

  void Renew(const std::string& node, const std::vector<std::string>& lines) override {
    std::lock_guard<std::mutex> lock(m_);
    const int64_t now = NowMs();
    if (now - lastRenew_ < leaseMs_ / 4) return;
    lastRenew_ = now;
    for (const std::string& line : lines)
      Exec("UPDATE karvod_leases SET expires=$1 WHERE line=$2 AND node=$3", {P(now + leaseMs_), P(line), P(node)});
  }

  void Release(const std::string& node, const std::string& line) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("DELETE FROM karvod_leases WHERE line=$1 AND node=$2", {P(line), P(node)});
  }

  std::vector<Job> TakeOrphans(const std::string& node, const std::function<void(Job&)>& settle) override {
    std::lock_guard<std::mutex> lock(m_);
    const int64_t now = NowMs();
    Exec("BEGIN", {});
    std::vector<Job> jobs = Jobs(Exec(
        std::string("SELECT ") + JobColumns +
            " FROM karvod_jobs j WHERE state IN ('running','suspended') AND node<>$1 AND NOT EXISTS (SELECT 1 FROM "
            "karvod_leases l WHERE l.line=j.line AND l.expires>$2) FOR UPDATE SKIP LOCKED",
        {P(node), P(now)}));
    for (Job& j : jobs) {
      settle(j);
      SaveLocked(j);
    }
    Exec("COMMIT", {});
    return jobs;
  }

  Stats Statistics() override {
    std::lock_guard<std::mutex> lock(m_);
    Stats st;
    Result a = Exec("SELECT state, COUNT(*) FROM karvod_jobs GROUP BY state", {});
    for (int i = 0; a.Ok() && i < a.Rows(); ++i) st.ByState[a.Text(i, 0)] = a.Int(i, 1);
    Result b = Exec("SELECT code, COUNT(*) FROM karvod_jobs WHERE state IN ('done','failed') GROUP BY code", {});
    for (int i = 0; b.Ok() && i < b.Rows(); ++i) st.ByCode[static_cast<int>(b.Int(i, 0))] = b.Int(i, 1);
    Result c = Exec("SELECT line, COUNT(*) FROM karvod_jobs WHERE state='queued' GROUP BY line", {});
    for (int i = 0; c.Ok() && i < c.Rows(); ++i) st.QueuedByLine[c.Text(i, 0)] = c.Int(i, 1);
    return st;
  }

  void PurgeCaptures(int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("UPDATE karvod_jobs SET capture=NULL WHERE capture IS NOT NULL AND capture_until<$1", {P(nowMs)});
  }

  std::string Kind() const override { return "postgresql"; }

 private:
  Result Exec(const std::string& sql, const std::vector<Param>& params) {
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    for (const Param& p : params) {
      values.push_back(p.null ? nullptr : p.value.data());
      lengths.push_back(static_cast<int>(p.value.size()));
      formats.push_back(p.binary ? 1 : 0);
    }
    // A connection lost (the server restarted) is made again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
      PGresult* r = PQexecParams(c_, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                                 lengths.data(), formats.data(), 0);
      if (PQstatus(c_) == CONNECTION_OK || attempt == 1) return Result(r);
      PQclear(r);
      PQreset(c_);
    }
    return Result(nullptr);
  }

  static std::vector<Param> InsertParams(const Job& job) {
    return {P(job.Id),           P(job.Register),    P(job.Command),
            P(job.Line),         P(InputToText(job.Input)),
            job.Key.empty() ? Null() : P(job.Key),
            P(StateName(job.State)), P(ProgressToText(job.Prog)), P(AttemptsToText(job.Attempts)),
            P(job.Created)};
  }

  static std::vector<Job> Jobs(const Result& r) {
    std::vector<Job> out;
    for (int i = 0; r.Ok() && i < r.Rows(); ++i) out.push_back(JobFrom(r, i));
    return out;
  }

  void SaveLocked(const Job& j) {
    Exec("UPDATE karvod_jobs SET state=$1, code=$2, text=$3, report=$4, note=$5, progress=$6, attempts=$7, started=$8, "
         "ended=$9, not_before=$10, node=$11 WHERE id=$12",
         {P(StateName(j.State)), P(j.Code), Bytes(j.Text), P(InputToText(j.Report)), P(j.Note),
          P(ProgressToText(j.Prog)), P(AttemptsToText(j.Attempts)), P(j.Started), P(j.Ended), P(j.NotBeforeMs),
          P(j.Node), P(j.Id)});
  }

  PGconn* c_;
  int64_t leaseMs_;
  int64_t lastRenew_ = 0;
  std::mutex m_;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& url, int leaseSeconds, std::string& error) {
  PGconn* c = PQconnectdb(url.c_str());
  if (PQstatus(c) != CONNECTION_OK) {
    error = std::string("cannot connect to PostgreSQL: ") + PQerrorMessage(c);
    PQfinish(c);
    return nullptr;
  }
  // Two nodes that start at once both make the tables: one waits for the other.
  PGresult* r = PQexec(c, (std::string("SELECT pg_advisory_lock(4711); ") + Schema + "SELECT pg_advisory_unlock(4711);").c_str());
  const bool ok = PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK;
  if (!ok) error = std::string("cannot set up the tables: ") + PQerrorMessage(c);
  PQclear(r);
  if (!ok) {
    PQfinish(c);
    return nullptr;
  }
  return std::make_unique<PostgresStore>(c, leaseSeconds);
}

}  // namespace karvod
