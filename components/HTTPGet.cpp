#include "components/HTTPGet.h"

#include <wininet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "core/ScopeExit.h"
#include "winapi/SystemLibrary.h"
#include "framework/ClassBuilder.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

// The worker's messages to the window thread; wParam carries the transfer's number.
constexpr UINT kProgressMessage = WM_APP + 0x48;
constexpr UINT kDoneMessage = WM_APP + 0x49;

constexpr DWORD kReadChunk = 1025;
constexpr DWORD kLengthBuffer = 1024;
// How long destroying a getter waits for a worker that was asked to stop: long enough
// for a cancelled call to return, short enough not to stall the window thread.
constexpr DWORD kStopWait = 500;

// How long the request waits for the server at most. Closing the handles cancels a
// blocked call on Windows but not under every implementation (Wine keeps waiting): the
// bound keeps a server that never answers from holding a worker, and with it the
// component's one transfer, forever.
constexpr DWORD kReceiveTimeout = 60000;

constexpr const wchar_t* kPostHeader = L"Content-Type: application/x-www-form-urlencoded";

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

// The Internet functions, from their DLL loaded by the first transfer's worker: the DLL
// and the network DLLs it brings in are not loaded before the program's first window.
#define DORVANE_INTERNET_FUNCTION(name) \
  decltype(::name)* name = SystemFunctionAs<decltype(::name)>(L"wininet.dll", #name);
struct InternetApi {
  DORVANE_INTERNET_FUNCTION(InternetOpenW)
  DORVANE_INTERNET_FUNCTION(InternetConnectW)
  DORVANE_INTERNET_FUNCTION(HttpOpenRequestW)
  DORVANE_INTERNET_FUNCTION(InternetSetOptionW)
  DORVANE_INTERNET_FUNCTION(HttpSendRequestW)
  DORVANE_INTERNET_FUNCTION(HttpQueryInfoW)
  DORVANE_INTERNET_FUNCTION(InternetReadFile)
  DORVANE_INTERNET_FUNCTION(InternetCloseHandle)

  bool Loaded() const {
    return InternetOpenW && InternetConnectW && HttpOpenRequestW && InternetSetOptionW && HttpSendRequestW &&
           HttpQueryInfoW && InternetReadFile && InternetCloseHandle;
  }
};
#undef DORVANE_INTERNET_FUNCTION

const InternetApi& Internet() {
  static const InternetApi api;
  return api;
}

}  // namespace

HttpUrlParts SplitHttpUrl(const std::string& url) {
  std::string rest = StartsWithNoCase(url, "http://") ? url.substr(7) : url;
  HttpUrlParts parts;
  const std::size_t slash = rest.find('/');
  if (slash == std::string::npos) {
    parts.path = std::move(rest);
    return parts;
  }
  parts.host = rest.substr(0, slash);
  parts.path = rest.substr(slash);
  // "host:port": digits only after the last colon, and a port that fits.
  const std::size_t colon = parts.host.rfind(':');
  if (colon != std::string::npos && colon + 1 < parts.host.size() && parts.host.size() - colon - 1 <= 5 &&
      std::all_of(parts.host.begin() + static_cast<std::ptrdiff_t>(colon) + 1, parts.host.end(),
                  [](char c) { return c >= '0' && c <= '9'; })) {
    const unsigned long port = std::stoul(parts.host.substr(colon + 1));
    if (port > 0 && port <= 65535) {
      parts.port = static_cast<unsigned short>(port);
      parts.host.resize(colon);
    }
  }
  return parts;
}

// One transfer, shared by the worker and (while it cares) its component. The worker
// touches only its own copies in `thread`; the component reads them on the window thread
// while the worker waits (progress) or after it has ended (completion).
struct HttpTransfer {
  THTTPGetThread thread;
  UINT_PTR id = 0;
  HWND target = nullptr;  // the dispatcher's window

  std::mutex lock;
  std::condition_variable changed;
  bool stop = false;
  bool progressPending = false;
  // Session, connection, request: the worker's own, closed by the worker alone (when it
  // ends, or here once nobody holds the transfer). A stop only asks: a handle closed
  // from another thread while the worker is still inside a call on it may be reused by
  // the system for another handle before the worker's next call.
  std::array<HINTERNET, 3> handles{};

  ~HttpTransfer() { CloseHandles(); }

  bool Stopped() {
    std::lock_guard<std::mutex> guard(lock);
    return stop;
  }

  // Keeps a handle the worker opened; a stop that came first closes it at once.
  HINTERNET Keep(std::size_t slot, HINTERNET handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (stop) {
      Internet().InternetCloseHandle(handle);
      return nullptr;
    }
    handles[slot] = handle;
    return handle;
  }

  // Request first, then connection, then session.
  void CloseHandles() {
    std::array<HINTERNET, 3> taken{};
    {
      std::lock_guard<std::mutex> guard(lock);
      std::swap(taken, handles);
    }
    for (std::size_t i = taken.size(); i-- > 0;)
      if (taken[i]) Internet().InternetCloseHandle(taken[i]);
  }

  // The worker sees it between its calls (a call blocked in the network returns by its
  // time-outs at the latest) and ends, closing its handles itself.
  void RequestStop() {
    {
      std::lock_guard<std::mutex> guard(lock);
      stop = true;
    }
    changed.notify_all();
  }

  // Runs the progress event on the window thread and waits until it has run.
  void RaiseProgress() {
    std::unique_lock<std::mutex> guard(lock);
    if (stop) return;
    progressPending = true;
    if (!PostMessageW(target, kProgressMessage, id, 0)) {
      progressPending = false;
      return;
    }
    changed.wait(guard, [this] { return !progressPending || stop; });
  }

  void ProgressHandled() {
    {
      std::lock_guard<std::mutex> guard(lock);
      progressPending = false;
    }
    changed.notify_all();
  }

  void Run();
};

void HttpTransfer::Run() {
  THTTPGetThread& t = thread;
  t.success = false;
  const HttpUrlParts parts = SplitHttpUrl(t.url);
  if (Stopped()) return;

  const InternetApi& net = Internet();
  if (!net.Loaded()) return;
  const std::wstring agent = Widen(t.agent);
  HINTERNET session = Keep(0, net.InternetOpenW(t.agent.empty() ? nullptr : agent.c_str(),
                                                INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return;
  HINTERNET connection = Keep(1, net.InternetConnectW(session, Widen(parts.host).c_str(), parts.port,
                                                      Widen(t.userName).c_str(), Widen(t.password).c_str(),
                                                      INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return;
  const bool post = !t.postQuery.empty();
  // One accepted type: the system writes the "Accept: " header around it.
  const std::wstring accept = Widen(t.acceptTypes);
  const wchar_t* acceptTypes[] = {accept.c_str(), nullptr};
  HINTERNET request = Keep(2, net.HttpOpenRequestW(connection, post ? L"POST" : L"GET", Widen(parts.path).c_str(),
                                                   L"HTTP/1.0", Widen(t.referer).c_str(), acceptTypes,
                                                   t.useCache ? 0 : INTERNET_FLAG_RELOAD, 0));
  if (!request) return;
  DWORD timeout = kReceiveTimeout;
  net.InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  net.InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  const BOOL sent = post ? net.HttpSendRequestW(request, kPostHeader, static_cast<DWORD>(wcslen(kPostHeader)),
                                                const_cast<char*>(t.postQuery.data()),
                                                static_cast<DWORD>(t.postQuery.size()))
                         : net.HttpSendRequestW(request, nullptr, 0, nullptr, 0);
  if (!sent || Stopped()) return;

  wchar_t length[kLengthBuffer / sizeof(wchar_t)] = {};
  DWORD lengthSize = kLengthBuffer;
  DWORD index = 0;
  const bool haveLength = net.HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, length, &lengthSize, &index) != FALSE;
  t.success = haveLength;
  if (Stopped()) {
    t.success = false;
    return;
  }
  if (!haveLength && t.binaryData) {
    t.success = false;
    return;
  }
  t.totalSize = haveLength ? static_cast<int>(wcstol(length, nullptr, 10)) : 0;
  t.bytesRead = 0;
  UniqueFile file;
  if (t.toFile) {
    file.reset(CreateFileW(Widen(t.fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      t.success = false;
      return;
    }
  } else {
    t.result.clear();
  }

  char buffer[kReadChunk];
  for (;;) {
    if (Stopped()) {
      t.success = false;
      return;  // the file closes with its owner
    }
    DWORD got = 0;
    if (!net.InternetReadFile(request, buffer, kReadChunk, &got) || got == 0) break;
    t.lastChunkSize = static_cast<int>(got);
    if (t.toFile) {
      DWORD written = 0;
      if (!WriteFile(file.get(), buffer, got, &written, nullptr) || written != got) {
        t.success = false;
        return;
      }
    } else {
      t.result.append(buffer, got);
    }
    t.bytesRead += static_cast<int>(got);
    if (t.progress) RaiseProgress();
  }
  t.success = t.toFile ? t.bytesRead == t.totalSize : t.bytesRead > 0;
}

namespace {

DWORD WINAPI WorkerMain(void* parameter) {
  std::shared_ptr<HttpTransfer> transfer = std::move(*static_cast<std::shared_ptr<HttpTransfer>*>(parameter));
  delete static_cast<std::shared_ptr<HttpTransfer>*>(parameter);
  try {
    transfer->Run();
  } catch (...) {
    // The worker ends quietly; its completion reports the success flag as it stood.
  }
  if (transfer->Stopped()) transfer->thread.success = false;
  transfer->CloseHandles();
  PostMessageW(transfer->target, kDoneMessage, transfer->id, 0);
  return 0;
}

}  // namespace

// The hidden window every getter of the process shares (created by the first, destroyed
// with the last): it turns the workers' messages into calls on the window thread, for
// the transfers whose components still wait for them.
class THTTPGet::Dispatcher : public SharedPerKind<Dispatcher> {
 public:
  HWND Handle() const { return window_.Handle(); }
  UINT_PTR Register(THTTPGet* getter) {
    const UINT_PTR id = ++lastId_;
    getters_[id] = getter;
    return id;
  }
  void Unregister(UINT_PTR id) { getters_.erase(id); }

 private:
  friend class SharedPerKind<Dispatcher>;
  Dispatcher()
      : window_([this](UINT msg, WPARAM wp, LPARAM lp) { return Message(msg, wp, lp); }, nullptr,
                TUtilityWindow::kMessageOnly) {}

  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM) {
    if (msg != kProgressMessage && msg != kDoneMessage) return std::nullopt;
    const auto found = getters_.find(static_cast<UINT_PTR>(wp));
    if (found == getters_.end()) return 0;  // a transfer nobody waits for any more
    THTTPGet* getter = found->second;
    std::shared_ptr<HttpTransfer> transfer = getter->worker_;
    if (!transfer || transfer->id != static_cast<UINT_PTR>(wp)) return 0;
    if (msg == kProgressMessage) {
      const auto release = OnScopeExit([&] { transfer->ProgressHandled(); });  // the worker waits for it
      getter->Progress(*transfer);
    } else {
      getter->Complete(*transfer);
    }
    return 0;
  }

  std::unordered_map<UINT_PTR, THTTPGet*> getters_;
  UINT_PTR lastId_ = 0;
  TUtilityWindow window_;
};

const ClassInfo& THTTPGet::StaticClass() {
  using T = THTTPGet;
  static const ClassInfo info = ClassBuilder<T>("THTTPGet", &TComponent::StaticClass())
                                    .Str("AcceptTypes", &T::AcceptTypes, &T::AcceptTypes, "*/*")
                                    .Str("Agent", &T::Agent, &T::Agent, "OrvikSystems HTTPGet")
                                    .Bool("BinaryData", &T::BinaryData, &T::BinaryData, false)
                                    .Str("URL", &T::URL, &T::URL)
                                    .Bool("UseCache", &T::UseCache, &T::UseCache, false)
                                    .Str("FileName", &T::FileName, &T::FileName)
                                    .Str("UserName", &T::UserName, &T::UserName)
                                    .Str("Password", &T::Password, &T::Password)
                                    .Str("PostQuery", &T::PostQuery, &T::PostQuery)
                                    .Str("Referer", &T::Referer, &T::Referer)
                                    .Bool("WaitThread", &T::WaitThread, &T::WaitThread, false)
                                    .Event("OnProgress", &T::OnProgress)
                                    .Event("OnDoneFile", &T::OnDoneFile)
                                    .Event("OnDoneString", &T::OnDoneString)
                                    .Event("OnError", &T::OnError)
                                    .Build();
  return info;
}

THTTPGet::THTTPGet(TComponent* owner) : TComponent(owner), dispatcher_(Dispatcher::Acquire()) {}

THTTPGet::~THTTPGet() {
  *alive_ = false;
  if (worker_) Release();
}

void THTTPGet::GetString() { Start(false); }
void THTTPGet::GetFile() { Start(true); }

void THTTPGet::Start(bool toFile) {
  if (worker_) {
    // Ignored while the transfer runs. A worker that has ended without its completion
    // having come (its message lost on the way) is completed now, late rather than
    // never: otherwise no transfer would start again in this run.
    const bool ended = thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
    if (!ended || worker_->Stopped()) return;
    const std::shared_ptr<bool> alive = alive_;
    Complete(*worker_);
    if (!*alive || worker_) return;  // destroyed by its handler, or started again there
  }
  auto transfer = std::make_shared<HttpTransfer>();
  THTTPGetThread& t = transfer->thread;
  t.acceptTypes = AcceptTypes;
  t.agent = Agent;
  t.url = URL;
  t.fileName = FileName;
  t.userName = UserName;
  t.password = Password;
  t.postQuery = PostQuery;
  t.referer = Referer;
  t.binaryData = BinaryData;
  t.useCache = UseCache;
  t.toFile = toFile;
  t.progress = OnProgress;
  transfer->target = dispatcher_->Handle();
  transfer->id = dispatcher_->Register(this);

  auto* parameter = new std::shared_ptr<HttpTransfer>(transfer);
  HANDLE thread = CreateThread(nullptr, 0, &WorkerMain, parameter, 0, nullptr);
  if (!thread) {
    delete parameter;
    dispatcher_->Unregister(transfer->id);
    // No worker: the transfer fails as any other would, on the window thread.
    success_ = false;
    Fire(OnError, this);
    return;
  }
  thread_.reset(thread);
  worker_ = std::move(transfer);

  if (WaitThread) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the message loop that owns it
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void THTTPGet::Abort() {
  if (!worker_) return;
  worker_->RequestStop();
  // The completion step runs as soon as the window thread gets to it, whether or not
  // the system has let go of the worker yet.
  PostMessageW(dispatcher_->Handle(), kDoneMessage, worker_->id, 0);
}

void THTTPGet::Release() {
  dispatcher_->Unregister(worker_->id);
  worker_->RequestStop();
  if (thread_) WaitForSingleObject(thread_.get(), kStopWait);
  thread_.reset();
  worker_.reset();
}

void THTTPGet::Progress(HttpTransfer& transfer) {
  const THTTPGetThread& t = transfer.thread;
  Fire(t.progress, const_cast<THTTPGetThread*>(&t), t.totalSize, t.bytesRead);
}

void THTTPGet::Complete(HttpTransfer& transfer) {
  dispatcher_->Unregister(transfer.id);
  const std::shared_ptr<HttpTransfer> keep = worker_;  // alive while the events run
  // A worker that ended on its own is at its very last step; one that was asked to stop
  // is not waited for.
  if (thread_ && !transfer.Stopped()) WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  const THTTPGetThread& t = transfer.thread;
  // A stopped worker may still be inside the system: its fields are not read.
  success_ = !transfer.Stopped() && t.success;
  // The worker is forgotten only after the handler has returned (a GetString from inside
  // it does nothing), unless the handler destroyed this component.
  const auto forget = OnScopeExit([this, alive = alive_] {
    if (*alive) worker_.reset();
  });
  if (!success_) Fire(OnError, this);
  else if (t.toFile) Fire(OnDoneFile, this, t.fileName, t.totalSize);
  else Fire(OnDoneString, this, t.result);
}

}  // namespace dorvane
