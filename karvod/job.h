// A job: one run of the driver for one register, with everything the service
// keeps of it. The store keeps jobs; the scheduler and the runner change them,
// always in the store first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace karvod {

enum class JobState { Queued, Running, Suspended, Done, Failed, Interrupted, Cancelled };

const char* StateName(JobState s);
std::optional<JobState> StateFromName(const std::string& name);
inline bool Finished(JobState s) {
  return s == JobState::Done || s == JobState::Failed || s == JobState::Interrupted || s == JobState::Cancelled;
}

// One start of the driver for the job.
struct Attempt {
  int Number = 0;
  std::string Started, Ended;  // ISO 8601 times, UTC
  int Code = -1;               // the run's ResultCode, -1 when it left no report
  std::string Outcome;         // "done", "failed", "interrupted", "retry", "running"
  std::string Node;
  long Pid = 0;
  std::string Directory;
};

// What the driver reported while it ran.
struct Progress {
  uint32_t Requests = 0;     // requests sent to the register
  uint32_t InputLines = 0;   // input data lines read
  uint32_t OutputLines = 0;  // output data lines written
  uint32_t TotalLines = 0;   // the input's data lines (0: a readout, its end unknown)
  double Rate = 0;           // output (or input) lines a second
  std::string Updated;
};

struct Job {
  std::string Id;  // 32 hexadecimal digits, 128 random bits
  int64_t Seq = 0;  // the order of submission
  int Register = 0;
  int Command = 0;
  std::string Line;   // the line the register hangs on: its queue
  std::vector<std::string> Input;  // data lines, bytes as the driver reads them, without line ends
  std::string Key;    // idempotency key, empty when none
  JobState State = JobState::Queued;
  int Code = -1;      // ResultCode of the last attempt, -1 before one ended with a report
  std::string Text;   // its description (bytes)
  std::vector<std::string> Report;  // the lines of RAPORT.TXT, bytes
  std::string Note;   // why the job is in its state, when that is not obvious
  Progress Prog;
  std::vector<Attempt> Attempts;
  std::string Created, Started, Ended;
  int64_t NotBeforeMs = 0;  // a retry waits until then
  std::string Node;         // the node that runs it
  std::vector<std::string> Files;  // further files the run left (the files _OSpOpMax names)
};

// What a run leaves besides its report, kept with its job.
struct RunFiles {
  std::string Output, Log, Capture;
  std::vector<std::pair<std::string, std::string>> Extra;  // name, bytes
  int64_t CaptureUntilMs = 0;
};

// Joins and splits lines of bytes for storage: LF never occurs in a line.
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace karvod
