// qcr-cddb-server: serves a folder of xmcd records (<folder>/<category>/<discid>)
// as a CDDB server on 127.0.0.1 until SIGTERM or SIGINT. It prints the port it
// listens on and, when a file is named, writes the port there too, so a
// script can start it on a free port and point the program at it. With
// --trickle it sends every reply one byte at a time, MS milliseconds apart,
// like a server on a link that barely moves. With --copies it lists every
// match of a query N times, like a server that answers with a huge list.
//
//   qcr-cddb-server FOLDER [PORT-FILE] [--port N] [--trickle MS] [--copies N]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/cddb_server.h"

namespace {

int Usage() {
  std::cerr << "usage: qcr-cddb-server FOLDER [PORT-FILE] [--port N] [--trickle MS] [--copies N]\n";
  return 2;
}

// Written beside the target and renamed, so a reader never sees half a number.
bool WritePortFile(const std::string& path, int port) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << port << "\n";
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string portFile;
  int port = 0;
  int trickleMs = 0;
  int copies = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      port = std::atoi(argv[++i]);
    } else if (arg == "--trickle" && i + 1 < argc) {
      trickleMs = std::atoi(argv[++i]);
      if (trickleMs <= 0) return Usage();
    } else if (arg == "--copies" && i + 1 < argc) {
      copies = std::atoi(argv[++i]);
      if (copies <= 0) return Usage();
    } else if (folder.empty()) {
      folder = arg;
    } else if (portFile.empty()) {
      portFile = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty() || port < 0 || port > 65535) return Usage();
  if (!std::filesystem::is_directory(folder)) {
    std::cerr << "qcr-cddb-server: not a folder: " << folder << "\n";
    return 1;
  }

  // The signals are taken by sigwait below, never by a handler.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  CddbLoopbackServer server(folder);
  CddbServerBehaviour behaviour;
  behaviour.trickleMs = trickleMs;
  behaviour.matchCopies = static_cast<size_t>(copies);
  server.SetBehaviour(behaviour);
  try {
    server.Start(port);
  } catch (const std::exception& e) {
    std::cerr << "qcr-cddb-server: " << e.what() << "\n";
    return 1;
  }
  std::cout << "qcr-cddb-server listening on 127.0.0.1:" << server.Port() << std::endl;
  if (!portFile.empty() && !WritePortFile(portFile, server.Port())) {
    std::cerr << "qcr-cddb-server: cannot write " << portFile << "\n";
    return 1;
  }
  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return 0;
}
