// TLoudnessDialVersionForm: the version window (hidden until opened).
#pragma once

#include "common/form_win.h"

namespace volmaru::about {

class TLoudnessDialVersionForm : public Form {
 public:
  bool Create(HINSTANCE instance, HWND owner) {
    return CreateForm(instance, L"TLoudnessDialVersionForm", L"バージョン情報", WS_OVERLAPPEDWINDOW, 0, owner);
  }
};

}  // namespace volmaru::about
