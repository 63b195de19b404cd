// Outside Windows there is no user locale to follow: English conventions, times in UTC.
#include "frontend/TextLocale.h"

namespace vardeck {

LocaleSettings SystemLocaleSettings() { return LocaleSettings{}; }

}  // namespace vardeck
