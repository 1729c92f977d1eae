#include "core/DriveQueries.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace dorvane {
namespace detail {

enum class QueryKind { kType, kLabel, kSpace };
constexpr std::size_t kKinds = 3;

struct QueryAnswer {
  unsigned type = kDriveUnknown;
  std::string label;
  DriveSpace space;
  std::exception_ptr error;
};

struct DriveQueryState {
  DriveQueryState(IDriveApi& driveApi, std::chrono::milliseconds waitLimit)
      : api(driveApi), space(driveApi), wait(waitLimit) {}

  IDriveApi& api;
  const DriveSpaceQuery space;  // decides once, here, which space query the system has
  const std::chrono::milliseconds wait;

  struct Job {
    int key;
    QueryKind kind;
    std::string root;
    std::uint8_t number;
  };
  struct Drive {
    bool busy = false;      // a query is outstanding
    bool timedOut = false;  // a caller stopped waiting for the outstanding query
    // Per kind: the last answer came too late, so the next query is not waited for. By
    // kind, because a drive may answer one kind at once and hang on another.
    std::array<bool, kKinds> slow{};
    std::array<std::optional<QueryAnswer>, kKinds> answers;
  };

  mutable std::mutex mutex;
  std::condition_variable work;              // a job is queued, or the worker stops
  mutable std::condition_variable answered;  // a query ended, or a thread did
  std::deque<Job> jobs;
  std::array<Drive, DriveQueries::kDriveKeys> drives;
  int threads = 0;
  int idle = 0;
  int outstanding = 0;
  bool stopping = false;
  // Counted under the lock, read without it by a side that stays awake for the other.
  std::atomic<std::uint64_t> queued{0};
  std::atomic<std::uint64_t> finished{0};

  // The critical-error mode is the process's: the threads share one switch. The first
  // query to start sets it, the last to end restores what was there before.
  std::mutex modeMutex;
  int quietQueries = 0;
  unsigned modeBefore = 0;
};

namespace {

// Putting a thread to sleep and waking it costs far more than a query of a drive that
// works (under Wine every wake is a round trip to its server). So a worker stays awake a
// moment after a query, as the next query of a tick follows at once, and the caller
// stays awake a moment for its answer, before either sleeps.
constexpr auto kLinger = std::chrono::milliseconds(2);
constexpr auto kStayAwake = std::chrono::milliseconds(2);
// A thread that was needed once (a drive hung, or answered late) ends when it has had
// nothing to do for this long while another idle thread is there.
constexpr auto kIdleEnd = std::chrono::seconds(5);

class QuietMode {
 public:
  explicit QuietMode(DriveQueryState& state) : state_(state) {
    std::lock_guard lock(state_.modeMutex);
    if (state_.quietQueries == 0) state_.modeBefore = state_.api.SetErrorMode(kFailCriticalErrors);
    ++state_.quietQueries;
  }
  ~QuietMode() {
    std::lock_guard lock(state_.modeMutex);
    if (--state_.quietQueries == 0) state_.api.SetErrorMode(state_.modeBefore);
  }
  QuietMode(const QuietMode&) = delete;
  QuietMode& operator=(const QuietMode&) = delete;

 private:
  DriveQueryState& state_;
};

QueryAnswer Run(DriveQueryState& state, const DriveQueryState::Job& job) {
  QueryAnswer answer;
  QuietMode quiet(state);
  switch (job.kind) {
    case QueryKind::kType: answer.type = state.api.DriveType(job.root); break;
    case QueryKind::kLabel: answer.label = QueryVolumeLabel(state.api, job.root); break;
    case QueryKind::kSpace: answer.space = state.space.Query(job.number); break;
  }
  return answer;
}

void Work(std::shared_ptr<DriveQueryState> state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    ++state->idle;
    if (state->jobs.empty() && !state->stopping) {
      const std::uint64_t seen = state->queued.load();
      lock.unlock();
      const auto until = DriveQueries::Clock::now() + kLinger;
      while (state->queued.load() == seen && DriveQueries::Clock::now() < until) std::this_thread::yield();
      lock.lock();
    }
    const auto hasWork = [&] { return state->stopping || !state->jobs.empty(); };
    if (!state->work.wait_for(lock, kIdleEnd, hasWork)) {
      if (state->idle > 1) {
        --state->idle;
        break;
      }
      state->work.wait(lock, hasWork);
    }
    --state->idle;
    if (state->stopping) break;
    const DriveQueryState::Job job = std::move(state->jobs.front());
    state->jobs.pop_front();
    lock.unlock();

    QueryAnswer answer;
    const auto started = DriveQueries::Clock::now();
    try {
      answer = Run(*state, job);
    } catch (...) {
      answer.error = std::current_exception();
    }
    const auto took = DriveQueries::Clock::now() - started;

    lock.lock();
    DriveQueryState::Drive& drive = state->drives[static_cast<std::size_t>(job.key)];
    drive.busy = false;
    drive.slow[static_cast<std::size_t>(job.kind)] = drive.timedOut || took > state->wait;
    drive.timedOut = false;
    drive.answers[static_cast<std::size_t>(job.kind)] = std::move(answer);
    --state->outstanding;
    ++state->finished;
    state->answered.notify_all();
  }
  --state->threads;
  state->answered.notify_all();
}

// Asks a drive; nothing when it has not answered. Waits at most `wait`, or half of it
// once the round has had a drive that did not answer (roundTimedOut, set here then).
std::optional<QueryAnswer> Ask(const std::shared_ptr<DriveQueryState>& state, bool& roundTimedOut,
                               DriveQueryState::Job job) {
  std::unique_lock lock(state->mutex);
  DriveQueryState::Drive& drive = state->drives[static_cast<std::size_t>(job.key)];
  std::optional<QueryAnswer>& answer = drive.answers[static_cast<std::size_t>(job.kind)];
  const auto take = [&answer]() -> std::optional<QueryAnswer> {
    std::optional<QueryAnswer> taken = std::move(answer);
    answer.reset();
    if (taken && taken->error) std::rethrow_exception(taken->error);
    return taken;
  };
  if (answer) return take();
  if (drive.busy) return std::nullopt;
  // Every outstanding query has its thread: a hung drive never delays another drive.
  if (state->jobs.size() + 1 > static_cast<std::size_t>(state->idle) &&
      state->threads < DriveQueries::kDriveKeys) {
    std::thread(Work, state).detach();
    ++state->threads;
  }
  drive.busy = true;
  ++state->outstanding;
  const std::size_t kind = static_cast<std::size_t>(job.kind);
  state->jobs.push_back(std::move(job));
  ++state->queued;
  state->work.notify_one();
  if (drive.slow[kind]) return std::nullopt;
  const auto deadline = DriveQueries::Clock::now() + (roundTimedOut ? state->wait / 2 : state->wait);
  const auto awake = std::min(deadline, DriveQueries::Clock::now() + kStayAwake);
  std::uint64_t seen = state->finished.load();
  lock.unlock();
  while (DriveQueries::Clock::now() < awake) {
    if (state->finished.load() != seen) {
      lock.lock();
      if (!drive.busy) return take();
      seen = state->finished.load();
      lock.unlock();
    }
    std::this_thread::yield();
  }
  lock.lock();
  if (!state->answered.wait_until(lock, deadline, [&drive] { return !drive.busy; })) {
    drive.timedOut = true;
    roundTimedOut = true;
    return std::nullopt;
  }
  return take();
}

int DriveKey(const std::string& root) {
  const char letter = root.empty() ? '\0' : root[0];
  if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
  if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 1;
  return 0;
}

}  // namespace
}  // namespace detail

using detail::DriveQueryState;
using detail::QueryKind;

DriveQueryWatch::DriveQueryWatch(std::shared_ptr<DriveQueryState> state) : state_(std::move(state)) {}

int DriveQueryWatch::Threads() const {
  std::lock_guard lock(state_->mutex);
  return state_->threads;
}

int DriveQueryWatch::Outstanding() const {
  std::lock_guard lock(state_->mutex);
  return state_->outstanding;
}

bool DriveQueryWatch::WaitUntilIdle(std::chrono::steady_clock::duration limit) const {
  std::unique_lock lock(state_->mutex);
  return state_->answered.wait_for(lock, limit, [this] { return state_->outstanding == 0; });
}

bool DriveQueryWatch::WaitUntilNoThreads(std::chrono::steady_clock::duration limit) const {
  std::unique_lock lock(state_->mutex);
  return state_->answered.wait_for(lock, limit, [this] { return state_->threads == 0; });
}

DriveQueries::DriveQueries(IDriveApi& api, std::chrono::milliseconds wait)
    : state_(std::make_shared<DriveQueryState>(api, wait)) {
  BeginRound();
}

DriveQueries::~DriveQueries() {
  // No waiting: queued queries are dropped, idle threads end, a thread inside a query
  // ends when (if ever) the system returns.
  std::lock_guard lock(state_->mutex);
  state_->stopping = true;
  state_->outstanding -= static_cast<int>(state_->jobs.size());
  state_->jobs.clear();
  state_->work.notify_all();
  state_->answered.notify_all();
}

void DriveQueries::BeginRound() { roundTimedOut_ = false; }

std::optional<unsigned> DriveQueries::DriveType(const std::string& root) {
  if (root.empty()) return kDriveNoRootDir;
  const auto answer = detail::Ask(state_, roundTimedOut_, {detail::DriveKey(root), QueryKind::kType, root, 0});
  if (!answer) return std::nullopt;
  return answer->type;
}

std::optional<std::string> DriveQueries::VolumeLabel(const std::string& root) {
  auto answer = detail::Ask(state_, roundTimedOut_, {detail::DriveKey(root), QueryKind::kLabel, root, 0});
  if (!answer) return std::nullopt;
  return std::move(answer->label);
}

std::optional<DriveSpace> DriveQueries::Space(std::uint8_t driveNumber) {
  if (driveNumber >= kDriveKeys) return DriveSpace{};  // no such drive letter
  const auto answer = detail::Ask(state_, roundTimedOut_, {driveNumber, QueryKind::kSpace, std::string(), driveNumber});
  if (!answer) return std::nullopt;
  return answer->space;
}

}  // namespace dorvane
