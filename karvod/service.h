// The service's start: its options, the checks made before it serves, and
// the run until SIGTERM.
#pragma once

#include <string>
#include <vector>

namespace karvod {

struct ServiceOptions {
  std::string ConfigDir, StateDir, Listen = "127.0.0.1:8470", TokenFile, StoreUrl, Karvo, Node;
  int Lines = 8;
  int CaptureDays = 7;
  int RetryBackoffMs = 1000;
  int BreakGraceMs = 5000;
  int LeaseSeconds = 15;
  bool KeepRuns = false;
};

// Parses the options after "karvod" (or "karvod serve"); false with a reason.
bool ParseServiceOptions(const std::vector<std::string>& args, ServiceOptions& o, std::string& error);
// HOST:PORT; the host may be an IPv4 address, a name or [IPv6].
bool SplitListen(const std::string& listen, std::string& host, int& port);
bool LoopbackHost(const std::string& host);
// The token in FILE: the file must belong to this user or root and be readable
// by nobody else (mode 0600 or stricter); its first line, blanks trimmed.
bool ReadToken(const std::string& file, std::string& token, std::string& error);
int RunService(const ServiceOptions& o);

int RunClient(const std::vector<std::string>& args);

}  // namespace karvod
