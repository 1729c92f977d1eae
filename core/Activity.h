#pragma once
// The activity trail: an operation records a short literal tag when it begins, so that an
// error report can say which activity failed. Only the last tag survives.
#include <string_view>

namespace dorvane {

class IActivitySink {
 public:
  virtual void Record(std::string_view tag) = 0;

 protected:
  ~IActivitySink() = default;
};

// Records into the sink when there is one.
inline void RecordActivity(IActivitySink* sink, std::string_view tag) {
  if (sink) sink->Record(tag);
}

}  // namespace dorvane
