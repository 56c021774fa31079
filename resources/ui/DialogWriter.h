// Writing a dialog template of the four languages control by control, and
// the button labels that every dialog shares.
#pragma once

#include <utility>

#include "framework/ui/Resources.h"
#include "resources/ui/Translated.h"

inline constexpr Translated OkLabel{"OK", "OK", "확인", "确定"};
inline constexpr Translated CancelLabel{"Cancel", "キャンセル", "취소", "取消"};

class DialogWriter {
 public:
  static constexpr uint32_t Visible = WS_CHILD | WS_VISIBLE;

  DialogWriter(platform::Language language, uint32_t id, const Translated& title, int width, int height,
               uint32_t style = WS_VISIBLE | WS_SYSMENU)
      : language_(language) {
    dialog_ = {id, title.In(language), width, height, style, {}};
  }

  DialogWriter& Add(uint32_t id, ControlKind kind, const Translated& text, int x, int y, int width, int height,
                    uint32_t style = Visible) {
    dialog_.controls.push_back({id, kind, text.In(language_), x, y, width, height, style});
    return *this;
  }
  // A control whose text the dialog sets.
  DialogWriter& Add(uint32_t id, ControlKind kind, int x, int y, int width, int height, uint32_t style = Visible) {
    dialog_.controls.push_back({id, kind, CText(), x, y, width, height, style});
    return *this;
  }

  void Into(ResourceTable& table) { table.dialogs[dialog_.id] = std::move(dialog_); }

 private:
  platform::Language language_;
  DialogTemplate dialog_;
};
