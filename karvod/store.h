// The job store: one interface, two backends (SQLite on one machine,
// PostgreSQL for many), chosen once when the service starts. Every change of
// a job's state goes through the store before it happens, so that a service
// killed at any moment leaves a state its next start can read.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "karvod/job.h"

namespace karvod {

struct ListFilter {
  int Register = 0;  // 0: any
  std::optional<JobState> State;
  int Limit = 100;
};

enum class InsertOutcome { Created, Existing, Conflict };

struct Stats {
  std::map<std::string, int64_t> ByState;
  std::map<int, int64_t> ByCode;  // finished jobs by ResultCode
  std::map<std::string, int64_t> QueuedByLine;
};

class Store {
 public:
  virtual ~Store() = default;

  // Adds a queued job. With a key already known: Existing (and `job` becomes
  // the stored job) when the stored job asks for the same, else Conflict.
  virtual InsertOutcome Insert(Job& job) = 0;
  virtual std::optional<Job> Get(const std::string& id) = 0;
  virtual std::vector<Job> List(const ListFilter& filter) = 0;

  // The lines that have a queued job whose time has come, oldest job first.
  virtual std::vector<std::string> ReadyLines(int64_t nowMs) = 0;
  // Takes the oldest queued job of the line whose time has come and marks it
  // running on this node with a new attempt; nullopt when there is none or
  // another node holds the line.
  virtual std::optional<Job> Claim(const std::string& line, const std::string& node, int64_t nowMs) = 0;
  // Writes the job's state, result, progress, attempts and times.
  virtual void Save(const Job& job) = 0;
  // Keeps what a run left: its output file, its karvo.log and its wire capture.
  virtual void SaveFiles(const std::string& id, const RunFiles& files) = 0;
  // "output", "log", "capture" or "file/NAME"; nullopt when the job has none (yet).
  virtual std::optional<std::string> File(const std::string& id, const std::string& which) = 0;

  // A queued job becomes cancelled; false when it is not queued.
  virtual bool Cancel(const std::string& id) = 0;
  // Asks the node running the job to send the driver a Server command
  // ('s', 'r' or 'b'); false when the job is not running or suspended.
  virtual bool RequestControl(const std::string& id, char letter) = 0;
  // The command asked for and not yet taken, which it clears; 0 when none.
  virtual char TakeControl(const std::string& id) = 0;

  // Jobs left running or suspended by this node (by any node for a store
  // that only one node uses) when it stopped without finishing them.
  virtual std::vector<Job> Unfinished(const std::string& node) = 0;
  // Keeps this node's hold on its lines; a store shared by several nodes
  // lets a line whose holder stopped renewing go to another node.
  virtual void Renew(const std::string& /*node*/, const std::vector<std::string>& /*lines*/) {}
  virtual void Release(const std::string& /*node*/, const std::string& /*line*/) {}
  // Jobs that another node left running and whose line it no longer holds:
  // each is settled by `settle` and saved, in one transaction; answers them.
  virtual std::vector<Job> TakeOrphans(const std::string& /*node*/, const std::function<void(Job&)>& /*settle*/) {
    return {};
  }

  virtual Stats Statistics() = 0;
  // Forgets wire captures whose time has passed.
  virtual void PurgeCaptures(int64_t nowMs) = 0;
  virtual std::string Kind() const = 0;
};

// "sqlite" at STATE/karvod.db when url is empty, else sqlite:PATH or
// postgresql://... . nullptr with a reason when it cannot be opened.
std::unique_ptr<Store> OpenStore(const std::string& url, const std::string& stateDir, int leaseSeconds,
                                 std::string& error);
std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error);
std::unique_ptr<Store> OpenPostgresStore(const std::string& url, int leaseSeconds, std::string& error);

// The columns a job is read from, in this order, in both backends' tables.
inline constexpr const char* JobColumns =
    "seq, id, reg, command, line, input, key, state, code, text, report, note, progress, attempts, created, "
    "started, ended, not_before, node, file_names";

// A job from one row of JobColumns. The row answers Text(c), Bytes(c) (the
// binary column "text") and Int(c) by column number, "" and 0 for NULL.
template <class Row>
Job JobFromRow(Row&& row);

// What a claim does to the job it takes: running on `node`, with a new
// attempt and its progress started afresh.
void StartAttempt(Job& job, const std::string& node, int64_t nowMs);

// How a job travels in a store's text columns: the input lines and the
// report as JSON arrays, the attempts and the progress as JSON objects.
std::string InputToText(const std::vector<std::string>& lines);
std::vector<std::string> InputFromText(const std::string& text);
std::string AttemptsToText(const std::vector<Attempt>& attempts);
std::vector<Attempt> AttemptsFromText(const std::string& text);
std::string ProgressToText(const Progress& p);
// The further files as one JSON object (names, and bytes as characters), and their names.
std::string ExtraToText(const RunFiles& f);
std::string ExtraNamesToText(const RunFiles& f);
std::optional<std::string> ExtraFile(const std::string& text, const std::string& name);
Progress ProgressFromText(const std::string& text);

template <class Row>
Job JobFromRow(Row&& row) {
  Job j;
  j.Seq = row.Int(0);
  j.Id = row.Text(1);
  j.Register = static_cast<int>(row.Int(2));
  j.Command = static_cast<int>(row.Int(3));
  j.Line = row.Text(4);
  j.Input = InputFromText(row.Text(5));
  j.Key = row.Text(6);
  j.State = StateFromName(row.Text(7)).value_or(JobState::Failed);
  j.Code = static_cast<int>(row.Int(8));
  j.Text = row.Bytes(9);
  j.Report = InputFromText(row.Text(10));
  j.Note = row.Text(11);
  j.Prog = ProgressFromText(row.Text(12));
  j.Attempts = AttemptsFromText(row.Text(13));
  j.Created = row.Text(14);
  j.Started = row.Text(15);
  j.Ended = row.Text(16);
  j.NotBeforeMs = row.Int(17);
  j.Node = row.Text(18);
  j.Files = InputFromText(row.Text(19));
  return j;
}

}  // namespace karvod
