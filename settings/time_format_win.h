#pragma once

#include "settings/time_format.h"

namespace volmaru::settings {

// The date and time patterns of the user's locale.
DateTimeFormat UserLocaleDateTimeFormat();

}  // namespace volmaru::settings
