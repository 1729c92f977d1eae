#pragma once
// Where the maker's web server is: its host (and port) from DORVANE_SERVER when set,
// else the built-in one. Every request and web link of the program goes there.
#include <string>

namespace dorvane {

std::string MakerServer();

}  // namespace dorvane
