// The SQLite backend: one database file in WAL mode in the state directory,
// used by this one node.
#include <sqlite3.h>

#include <mutex>

#include "karvod/store.h"
#include "karvod/util.h"

namespace karvod {

namespace {

constexpr const char* Schema = R"(
PRAGMA journal_mode=WAL;
PRAGMA synchronous=NORMAL;
CREATE TABLE IF NOT EXISTS jobs(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  id TEXT UNIQUE NOT NULL,
  reg INTEGER NOT NULL, command INTEGER NOT NULL, line TEXT NOT NULL,
  input TEXT NOT NULL, key TEXT UNIQUE,
  state TEXT NOT NULL, code INTEGER NOT NULL DEFAULT -1, text BLOB, report TEXT, note TEXT,
  progress TEXT, attempts TEXT, created TEXT, started TEXT, ended TEXT,
  not_before INTEGER NOT NULL DEFAULT 0, node TEXT, control TEXT NOT NULL DEFAULT '',
  output BLOB, log BLOB, capture BLOB, capture_until INTEGER, files TEXT, file_names TEXT);
CREATE INDEX IF NOT EXISTS jobs_queue ON jobs(state, line, seq);
CREATE INDEX IF NOT EXISTS jobs_reg ON jobs(reg, seq);
)";

// One prepared statement, finalized when it goes.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt& Bind(int i, const std::string& v) {
    sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& BindText(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& Bind(int i, int64_t v) {
    sqlite3_bind_int64(s_, i, v);
    return *this;
  }
  Stmt& BindNull(int i) {
    sqlite3_bind_null(s_, i);
    return *this;
  }
  int Step() { return s_ ? sqlite3_step(s_) : SQLITE_ERROR; }
  bool Row() { return Step() == SQLITE_ROW; }
  std::string Text(int i) {
    const void* p = sqlite3_column_blob(s_, i);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(s_, i)))
             : std::string();
  }
  bool IsNull(int i) { return sqlite3_column_type(s_, i) == SQLITE_NULL; }
  std::string Bytes(int i) { return Text(i); }
  int64_t Int(int i) { return sqlite3_column_int64(s_, i); }
  int Changes() { return sqlite3_changes(sqlite3_db_handle(s_)); }

 private:
  sqlite3_stmt* s_ = nullptr;
};

Job JobFrom(Stmt& s) { return JobFromRow(s); }

class SqliteStore : public Store {
 public:
  explicit SqliteStore(sqlite3* db) : db_(db) {}
  ~SqliteStore() override { sqlite3_close(db_); }

  InsertOutcome Insert(Job& job) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("BEGIN IMMEDIATE");
    if (!job.Key.empty()) {
      Stmt s(db_, (std::string("SELECT ") + JobColumns + " FROM jobs WHERE key=?").c_str());
      s.BindText(1, job.Key);
      if (s.Row()) {
        Job old = JobFrom(s);
        Exec("COMMIT");
        const bool same = old.Register == job.Register && old.Command == job.Command && old.Input == job.Input;
        if (!same) return InsertOutcome::Conflict;
        job = old;
        return InsertOutcome::Existing;
      }
    }
    Stmt s(db_,
           "INSERT INTO jobs(id, reg, command, line, input, key, state, progress, attempts, created, not_before) "
           "VALUES(?,?,?,?,?,?,?,?,?,?,0)");
    s.BindText(1, job.Id).Bind(2, job.Register).Bind(3, job.Command).BindText(4, job.Line);
    s.BindText(5, InputToText(job.Input));
    if (job.Key.empty()) s.BindNull(6);
    else s.BindText(6, job.Key);
    s.BindText(7, StateName(job.State)).BindText(8, ProgressToText(job.Prog)).BindText(9, AttemptsToText(job.Attempts));
    s.BindText(10, job.Created);
    s.Step();
    job.Seq = sqlite3_last_insert_rowid(db_);
    Exec("COMMIT");
    return InsertOutcome::Created;
  }

  std::optional<Job> Get(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    return GetLocked(id);
  }

  std::vector<Job> List(const ListFilter& f) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, (std::string("SELECT ") + JobColumns +
                 " FROM jobs WHERE (?1=0 OR reg=?1) AND (?2='' OR state=?2) ORDER BY seq DESC LIMIT ?3")
                    .c_str());
    s.Bind(1, f.Register).BindText(2, f.State ? StateName(*f.State) : "").Bind(3, f.Limit);
    std::vector<Job> out;
    while (s.Row()) out.push_back(JobFrom(s));
    return out;
  }

  std::vector<std::string> ReadyLines(int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    // A line whose first job waits to be tried again waits with it: the line keeps its order.
    Stmt s(db_, "SELECT line, seq FROM jobs j WHERE state='queued' AND not_before<=? AND seq=(SELECT MIN(seq) FROM jobs "
                "k WHERE k.state='queued' AND k.line=j.line) ORDER BY seq");
    s.Bind(1, nowMs);
    std::vector<std::string> out;
    while (s.Row()) out.push_back(s.Text(0));
    return out;
  }

  std::optional<Job> Claim(const std::string& line, const std::string& node, int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    Exec("BEGIN IMMEDIATE");
    std::optional<Job> job;
    {
      Stmt s(db_, (std::string("SELECT ") + JobColumns +
                   " FROM jobs WHERE state='queued' AND line=? ORDER BY seq LIMIT 1")
                      .c_str());
      s.BindText(1, line);
      if (s.Row()) job = JobFrom(s);
      if (job && job->NotBeforeMs > nowMs) job.reset();
    }
    if (job) {
      StartAttempt(*job, node, nowMs);
      SaveLocked(*job);
      Stmt c(db_, "UPDATE jobs SET control='' WHERE id=?");
      c.BindText(1, job->Id).Step();
    }
    Exec("COMMIT");
    return job;
  }

  void Save(const Job& job) override {
    std::lock_guard<std::mutex> lock(m_);
    SaveLocked(job);
  }

  void SaveFiles(const std::string& id, const RunFiles& f) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, "UPDATE jobs SET output=?, log=?, capture=?, capture_until=?, files=?, file_names=? WHERE id=?");
    s.Bind(1, f.Output).Bind(2, f.Log).Bind(3, f.Capture).Bind(4, f.CaptureUntilMs).BindText(5, ExtraToText(f));
    s.BindText(6, ExtraNamesToText(f)).BindText(7, id).Step();
  }

  std::optional<std::string> File(const std::string& id, const std::string& which) override {
    std::lock_guard<std::mutex> lock(m_);
    if (which.rfind("file/", 0) == 0) {
      Stmt s(db_, "SELECT files FROM jobs WHERE id=?");
      s.BindText(1, id);
      if (!s.Row() || s.IsNull(0)) return std::nullopt;
      return ExtraFile(s.Text(0), which.substr(5));
    }
    const char* sql = which == "output" ? "SELECT output FROM jobs WHERE id=?"
                      : which == "log"  ? "SELECT log FROM jobs WHERE id=?"
                                        : "SELECT capture FROM jobs WHERE id=?";
    Stmt s(db_, sql);
    s.BindText(1, id);
    if (!s.Row() || s.IsNull(0)) return std::nullopt;
    return s.Text(0);
  }

  bool Cancel(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, "UPDATE jobs SET state='cancelled', ended=?, note='cancelled before it ran' "
                "WHERE id=? AND state='queued'");
    s.BindText(1, NowIso()).BindText(2, id).Step();
    return s.Changes() == 1;
  }

  bool RequestControl(const std::string& id, char letter) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, "UPDATE jobs SET control=control||? WHERE id=? AND state IN ('running','suspended')");
    s.BindText(1, std::string(1, letter)).BindText(2, id).Step();
    return s.Changes() == 1;
  }

  char TakeControl(const std::string& id) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, "SELECT control FROM jobs WHERE id=?");
    s.BindText(1, id);
    if (!s.Row()) return 0;
    const std::string c = s.Text(0);
    if (c.empty()) return 0;
    Stmt u(db_, "UPDATE jobs SET control=? WHERE id=?");
    u.BindText(1, c.substr(1)).BindText(2, id).Step();
    return c[0];
  }

  std::vector<Job> Unfinished(const std::string&) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, (std::string("SELECT ") + JobColumns +
                 " FROM jobs WHERE state IN ('running','suspended') ORDER BY seq")
                    .c_str());
    std::vector<Job> out;
    while (s.Row()) out.push_back(JobFrom(s));
    return out;
  }

  Stats Statistics() override {
    std::lock_guard<std::mutex> lock(m_);
    Stats st;
    {
      Stmt s(db_, "SELECT state, COUNT(*) FROM jobs GROUP BY state");
      while (s.Row()) st.ByState[s.Text(0)] = s.Int(1);
    }
    {
      Stmt s(db_, "SELECT code, COUNT(*) FROM jobs WHERE state IN ('done','failed') GROUP BY code");
      while (s.Row()) st.ByCode[static_cast<int>(s.Int(0))] = s.Int(1);
    }
    {
      Stmt s(db_, "SELECT line, COUNT(*) FROM jobs WHERE state='queued' GROUP BY line");
      while (s.Row()) st.QueuedByLine[s.Text(0)] = s.Int(1);
    }
    return st;
  }

  void PurgeCaptures(int64_t nowMs) override {
    std::lock_guard<std::mutex> lock(m_);
    Stmt s(db_, "UPDATE jobs SET capture=NULL WHERE capture IS NOT NULL AND capture_until<?");
    s.Bind(1, nowMs).Step();
  }

  std::string Kind() const override { return "sqlite"; }

 private:
  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

  std::optional<Job> GetLocked(const std::string& id) {
    Stmt s(db_, (std::string("SELECT ") + JobColumns + " FROM jobs WHERE id=?").c_str());
    s.BindText(1, id);
    if (!s.Row()) return std::nullopt;
    return JobFrom(s);
  }

  void SaveLocked(const Job& j) {
    Stmt s(db_,
           "UPDATE jobs SET state=?, code=?, text=?, report=?, note=?, progress=?, attempts=?, started=?, ended=?, "
           "not_before=?, node=? WHERE id=?");
    s.BindText(1, StateName(j.State)).Bind(2, j.Code).Bind(3, j.Text).BindText(4, InputToText(j.Report));
    s.BindText(5, j.Note).BindText(6, ProgressToText(j.Prog)).BindText(7, AttemptsToText(j.Attempts));
    s.BindText(8, j.Started).BindText(9, j.Ended).Bind(10, j.NotBeforeMs).BindText(11, j.Node).BindText(12, j.Id);
    s.Step();
  }

  sqlite3* db_;
  std::mutex m_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    error = "cannot open the database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  char* message = nullptr;
  if (sqlite3_exec(db, Schema, nullptr, nullptr, &message) != SQLITE_OK) {
    error = "cannot set up the database " + path + ": " + (message ? message : "?");
    sqlite3_free(message);
    sqlite3_close(db);
    return nullptr;
  }
  return std::make_unique<SqliteStore>(db);
}

}  // namespace karvod
