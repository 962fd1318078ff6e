#include "karvod/job.h"

namespace karvod {

namespace {
constexpr const char* Names[] = {"queued", "running", "suspended", "done", "failed", "interrupted", "cancelled"};
}

const char* StateName(JobState s) { return Names[static_cast<int>(s)]; }

std::optional<JobState> StateFromName(const std::string& name) {
  for (int i = 0; i < 7; ++i)
    if (name == Names[i]) return static_cast<JobState>(i);
  return std::nullopt;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '\n';
    out += lines[i];
  }
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nl = text.find('\n', start);
    lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

}  // namespace karvod
