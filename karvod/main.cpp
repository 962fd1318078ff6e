// karvod: the driver's Server as a service, and its small command-line client.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "karvod/service.h"

namespace {

const char* const Usage =
    "usage: karvod --config DIR --state DIR [--listen HOST:PORT] [--token-file FILE]\n"
    "              [--store URL] [--lines N] [--karvo PATH] [--capture-days N]\n"
    "       karvod submit|status|wait|break|output ... (karvod help)\n"
    "       karvod --help | --version\n";

const char* const Help =
    "\n"
    "Runs the karvo driver for HTTP clients: one job a driver run, one queue a\n"
    "line, jobs kept in a database in the state directory.\n"
    "\n"
    "  --config DIR       the KONFIG.TXT and ports.conf the runs use (and KOMENT.TXT,\n"
    "                     MODKONF.TXT when there)\n"
    "  --state DIR        the database, the runs' directories (made when missing)\n"
    "  --listen HOST:PORT where to listen (127.0.0.1:8470; port 0: any free port);\n"
    "                     an address other than a loopback one needs --token-file\n"
    "  --token-file FILE  every request must then carry \"Authorization: Bearer TOKEN\";\n"
    "                     FILE (mode 0600) holds the token on its first line\n"
    "  --store URL        postgresql://... to share the jobs with other nodes\n"
    "                     (default: SQLite in the state directory)\n"
    "  --lines N          at most N runs at once, each on its own line (8)\n"
    "  --karvo PATH       the driver (default: karvo beside karvod, else /usr/bin/karvo)\n"
    "  --capture-days N   how long a run's wire capture is kept (7)\n"
    "  --node NAME        this node's name among several (default: the host name)\n"
    "  --retry-backoff-ms N  the first pause before a read is tried again (1000)\n"
    "  --break-grace-ms N    how long a driver broken off at shutdown may take (5000)\n"
    "  --lease-seconds N     with PostgreSQL: how long a node's hold on a line lasts (15)\n"
    "  --keep-runs        keep the runs' directories (for debugging)\n"
    "  --help, --version  say what the arguments mean, or the version\n"
    "\n"
    "Once it listens it says \"karvod: ready, listening on HOST:PORT\" on standard\n"
    "error; SIGTERM breaks the running drivers off and ends it.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(Usage, stdout);
    std::fputs(Help, stdout);
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("karvod %s\n", KARVOD_VERSION);
    return 0;
  }
  if (!args.empty() && (args[0] == "submit" || args[0] == "status" || args[0] == "wait" || args[0] == "break" ||
                        args[0] == "output" || args[0] == "help"))
    return karvod::RunClient(args);
  if (!args.empty() && args[0] == "serve") args.erase(args.begin());
  karvod::ServiceOptions o;
  std::string error;
  if (!karvod::ParseServiceOptions(args, o, error)) {
    std::fprintf(stderr, "karvod: %s\n%s", error.c_str(), Usage);
    return 2;
  }
  return karvod::RunService(o);
}
