// The process's number and date conventions, read once from the system on first use.
#include "frontend/TextLocale.h"

#include <utility>

namespace vardeck {

namespace {

LocaleSettings& Storage() {
  static LocaleSettings settings = SystemLocaleSettings();
  return settings;
}

}  // namespace

const LocaleSettings& CurrentLocale() { return Storage(); }

void SetCurrentLocale(LocaleSettings settings) { Storage() = std::move(settings); }

}  // namespace vardeck
