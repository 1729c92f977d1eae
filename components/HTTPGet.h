#pragma once
// A non-visual component that fetches one URL over HTTP on a worker thread through the
// Windows Internet functions and hands the body back to the window thread, as a string
// or written to a file.
//
// All events arrive on the thread that created the component (the window thread): the
// worker posts to a hidden window shared by every getter of the process and, for
// progress, waits until the handler has run. A component that is destroyed while its
// transfer runs asks the worker to stop (closing its Internet handles, which is how a
// blocking call is cancelled), waits half a second at most for it to end, and forgets
// it; whatever the worker does later can no longer reach the component.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "winapi/Handles.h"
#include "framework/UtilityWindow.h"

namespace dorvane {

class THTTPGetThread;
struct HttpTransfer;

using TProgressEvent = std::function<void(TObject* sender, int totalSize, int readed)>;
using TDoneFileEvent = std::function<void(TObject* sender, const std::string& fileName, int fileSize)>;
using TDoneStringEvent = std::function<void(TObject* sender, const std::string& result)>;

// A URL as the getter splits it: a leading "http://" (any letter case) removed, the host
// before the first "/", the path from it on (query included). A port written after the
// host ("127.0.0.1:8080") is taken as the port; otherwise the port is 80. Without any
// "/" the host is empty and the whole text is the path.
struct HttpUrlParts {
  std::string host;
  unsigned short port = 80;
  std::string path;
};
HttpUrlParts SplitHttpUrl(const std::string& url);

// The worker: copies of every setting of its component, taken when it was created, and
// what the transfer produced. It is the Sender of OnProgress.
class THTTPGetThread : public TObject {
 public:
  std::string acceptTypes, agent, url, fileName, userName, password, postQuery, referer;
  bool binaryData = false;
  bool useCache = false;
  bool toFile = false;
  TProgressEvent progress;

  std::string result;
  int totalSize = 0;
  int bytesRead = 0;
  int lastChunkSize = 0;
  bool success = false;
};

class THTTPGet : public TComponent {
  DORVANE_CLASS(THTTPGet)
 public:
  explicit THTTPGet(TComponent* owner);
  ~THTTPGet() override;

  // -- published properties --
  std::string AcceptTypes = "*/*";
  std::string Agent = "OrvikSystems HTTPGet";
  bool BinaryData = false;
  std::string URL;
  bool UseCache = false;
  std::string FileName;
  std::string UserName;
  std::string Password;
  std::string PostQuery;
  std::string Referer;
  bool WaitThread = false;
  TProgressEvent OnProgress;
  TDoneFileEvent OnDoneFile;
  TDoneStringEvent OnDoneString;
  TNotifyEvent OnError;

  // Starts fetching URL into a string; returns at once. Does nothing while a transfer of
  // this component runs. With WaitThread, the messages already waiting in the calling
  // thread's queue are dispatched first.
  void GetString();
  // Starts fetching URL into the file FileName (replaced when it exists).
  void GetFile();
  // Asks a running transfer to stop; it ends as a failure (OnError).
  void Abort();

  bool Running() const { return worker_ != nullptr; }
  // The outcome of the last finished transfer.
  bool Success() const { return success_; }

 private:
  class Dispatcher;
  void Start(bool toFile);
  void Progress(HttpTransfer& transfer);
  void Complete(HttpTransfer& transfer);
  // Drops the running transfer: its worker is asked to stop and is no longer this
  // component's concern (it holds everything it still uses).
  void Release();

  std::shared_ptr<Dispatcher> dispatcher_;
  std::shared_ptr<HttpTransfer> worker_;
  UniqueKernelHandle thread_;
  bool success_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace dorvane
