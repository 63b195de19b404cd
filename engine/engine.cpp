// Engine object construction, reset and the name filter list.
#include "engine/engine.h"

namespace scavrel {

Engine::Engine(EngineKind kind) : kind_(kind) {
  tree.ResetTree();
  tree.set_record_form(kind == EngineKind::kNtfs ? RecordForm::kNtfs : RecordForm::kFat);
  bounds.fill(kBoundNotSet);
  ResetVolume();
}

Engine::~Engine() {
  ResetVolume();
  name_filters.Clear();
  tree.ClearTree();
}

void Engine::ResetVolume() {
  scan_progress.ResetTotals();
  save_progress.ResetTotals();
}

void Engine::Clear(LastError& last_error) {
  last_error.Reset();
  tree.ClearTree();
  scan_progress.ResetCounters();
  scan_progress.text.Clear();
  ResetVolume();
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

void SplitNameFilter(const std::string& text, TextList* list) {
  list->Clear();
  if (text.empty()) return;
  // A comma byte is never the trail byte of a double-byte character in the ANSI code pages
  // (trail bytes start at 0x40), so a byte search is multi-byte safe.
  size_t comma = text.find(',');
  if (comma == std::string::npos) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin])) ++begin;
    list->Add(text.substr(begin, end - begin));
    return;
  }
  size_t start = 0;
  while (comma != std::string::npos) {
    list->Add(text.substr(start, comma - start));
    start = comma + 1;
    comma = text.find(',', start);
  }
  list->Add(text.substr(start));
}

}  // namespace scavrel
