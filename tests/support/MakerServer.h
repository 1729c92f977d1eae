#pragma once
// Our maker's web server (tools/maker_server.py) for tests under Wine: each test process
// starts its own on an ephemeral loopback port, scripts its misbehaviour and reads back
// the requests it received.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/Forms.h"
#include "core/win32/WideString.h"
#include "tests/support/Pump.h"

#ifndef DORVANE_SOURCE_DIR
#error "DORVANE_SOURCE_DIR (the source tree's Unix path) is needed to find the server"
#endif

namespace dorvane::testing {

// One request as the server received it.
struct ReceivedRequest {
  std::string method, target, version;
  std::vector<std::pair<std::string, std::string>> headers;
  std::map<std::string, std::string> query;  // decoded values, as JSON strings
  std::vector<std::string> queryKeys;        // in the order sent
  std::string body;                          // of a POST, as a JSON string

  std::string Header(const std::string& name) const {
    for (const auto& [k, v] : headers)
      if (_stricmp(k.c_str(), name.c_str()) == 0) return v;
    return "<absent>";
  }
  int HeaderCount(const std::string& name) const {
    int n = 0;
    for (const auto& h : headers) n += _stricmp(h.first.c_str(), name.c_str()) == 0;
    return n;
  }
};

class MakerServer {
 public:
  explicit MakerServer(const std::string& extraArgs = "") {
    static int counter = 0;
    const std::string portFile = "/tmp/dorvane-maker-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount64()) + "-" + std::to_string(++counter) + ".port";
    portFileWindows_ = "Z:" + portFile;
    for (char& c : portFileWindows_)
      if (c == '/') c = '\\';
    std::wstring command = Widen("Z:\\usr\\bin\\python3 " DORVANE_SOURCE_DIR "/tools/maker_server.py --port 0 --port-file " +
                                 portFile + " --exit-with-parent " + extraArgs);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Wine runs the Unix program itself; it gives back no process handle.
    if (!CreateProcessW(L"Z:\\usr\\bin\\python3", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
      throw std::runtime_error("cannot start the maker's server");
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    const ULONGLONG end = GetTickCount64() + 20000;
    for (;;) {
      const std::string text = ReadFileText(portFileWindows_);
      if (!text.empty()) {
        port_ = std::stoi(text);
        break;
      }
      if (GetTickCount64() > end) throw std::runtime_error("the maker's server did not start");
      Sleep(20);
    }
  }
  MakerServer(const MakerServer&) = delete;
  MakerServer& operator=(const MakerServer&) = delete;
  ~MakerServer() {
    try {
      Get("/_quit");
    } catch (...) {
    }
    DeleteFileW(Widen(portFileWindows_).c_str());
  }

  int Port() const { return port_; }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& pathAndQuery) const { return "http://" + Host() + pathAndQuery; }

  // mode: normal, delay:S, empty, nolength, 404, big:N, cut:N, never.
  void Script(const std::string& path, const std::string& mode, const std::string& reply = {}) {
    std::string query = "/_script?path=" + Escape(path) + "&mode=" + Escape(mode);
    if (!reply.empty()) query += "&reply=" + Escape(reply);
    Get(query);
  }
  void Reset() { Get("/_reset"); }
  void Release() { Get("/_release"); }

  std::vector<ReceivedRequest> Requests() {
    std::vector<ReceivedRequest> list;
    const std::string text = Get("/_requests.txt");
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(pos, end - pos);
      pos = end + 1;
      if (line.rfind("REQUEST ", 0) == 0) {
        ReceivedRequest r;
        const std::size_t a = line.find(' ', 8), b = line.rfind(' ');
        r.method = line.substr(8, a - 8);
        r.target = line.substr(a + 1, b - a - 1);
        r.version = line.substr(b + 1);
        list.push_back(std::move(r));
      } else if (line.rfind("HEADER ", 0) == 0 && !list.empty()) {
        const std::size_t colon = line.find(": ", 7);
        list.back().headers.emplace_back(line.substr(7, colon - 7), line.substr(colon + 2));
      } else if (line.rfind("QUERY ", 0) == 0 && !list.empty()) {
        const std::size_t eq = line.find('=', 6);
        const std::string key = line.substr(6, eq - 6);
        list.back().query[key] = line.substr(eq + 1);
        list.back().queryKeys.push_back(key);
      } else if (line.rfind("BODY ", 0) == 0 && !list.empty()) {
        list.back().body = line.substr(5);
      }
    }
    return list;
  }

  // A plain GET on the calling thread (for scripting and reading back).
  std::string Get(const std::string& pathAndQuery) {
    HINTERNET session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        session ? InternetConnectW(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port_), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0)
                : nullptr;
    HINTERNET request = connection ? HttpOpenRequestW(connection, L"GET", Widen(pathAndQuery).c_str(), nullptr,
                                                      nullptr, nullptr, INTERNET_FLAG_RELOAD, 0)
                                   : nullptr;
    std::string body;
    bool ok = request && HttpSendRequestW(request, nullptr, 0, nullptr, 0);
    char buffer[4096];
    DWORD got = 0;
    while (ok && InternetReadFile(request, buffer, sizeof buffer, &got) && got) body.append(buffer, got);
    for (HINTERNET h : {request, connection, session})
      if (h) InternetCloseHandle(h);
    if (!ok) throw std::runtime_error("the maker's server did not answer " + pathAndQuery);
    return body;
  }

  static std::string Escape(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
      if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') out += static_cast<char>(c);
      else {
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
      }
    }
    return out;
  }

 private:
  static std::string ReadFileText(const std::string& path) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char buffer[32] = {};
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
  }

  std::string portFileWindows_;
  int port_ = 0;
};

// A test suite sharing one server, started before its first test.
class MakerServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application().Initialize();
    server = new MakerServer();
  }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  static inline MakerServer* server = nullptr;
};

}  // namespace dorvane::testing
