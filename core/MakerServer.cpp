#include "core/MakerServer.h"

#include <cstdlib>

namespace dorvane {

namespace {
constexpr const char* kDefaultServer = "www.dorvane.example";
}

std::string MakerServer() {
  const char* server = std::getenv("DORVANE_SERVER");
  return server && *server ? server : kDefaultServer;
}

}  // namespace dorvane
