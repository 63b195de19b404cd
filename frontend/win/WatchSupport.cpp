// The watch threads' shared helpers (see WatchSupport.h).
#include "frontend/win/WatchSupport.h"

#include "engine/scavrel_api.h"

namespace vardeck {

void ReleaseOnGui(forms::TThread* thread) {
  // Queued, not waited for: the deletion joins this very thread, which returns right after.
  forms::TThread::Queue([thread] { delete thread; });
}

ProgressSnapshot PollProgress(ProgressExport poll) {
  char buffer[kOutTextPathSize] = {};
  char* text = buffer;
  uint8_t finished = 0;
  ProgressSnapshot s;
  poll(&s.done, &s.total, &s.counter_a, &s.counter_b, &text, &finished);
  buffer[kOutTextPathSize - 1] = '\0';
  s.text = buffer;
  s.finished = finished != 0;
  return s;
}

TreeReaders EngineTreeReaders() {
  TreeReaders r;
  r.filter = [](FoundNode* n) { return FilterNtfsTreeNode(n) != 0; };
  r.name = [](FoundNode* n) {
    char buffer[kOutTextPathSize] = {};
    char* text = buffer;
    if (!GetDictionaryName(n->record, &text)) return std::string();
    buffer[kOutTextPathSize - 1] = '\0';
    return std::string(buffer);
  };
  return r;
}

}  // namespace vardeck
