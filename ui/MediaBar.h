// The bar along the top of the main window: the drop-down list of media
// (only when the player has two or more) and the tool bar.
#pragma once

#include "framework/ui/Controls.h"
#include "settings/AppSettings.h"

class MediaBar final : public CWindowBase {
 public:
  static constexpr int Height = 32;
  static constexpr uint32_t ToolBarId = 59392;

  explicit MediaBar(AppSettings& settings) : settings_(settings) {}

  // A child of the frame, which hears the bar's commands and reloads.
  void Create(CNativeWindow* frame);
  // The buttons of a tool bar resource, after a gap when the media list is there.
  void LoadToolbar(uint32_t id);
  void EnableButton(uint32_t command, bool enable) { toolBar_.EnableButton(command, enable); }

  bool OnMessage(MessageRecord& record) override;
  void Paint(CDrawContext& context, const CXYRect& update) override;

  CToolStrip& ToolBar() { return toolBar_; }
  CComboControl& MediaList() { return mediaList_; }

 private:
  bool HasMediaList() const { return settings_.mediaCount >= 2; }
  void OnCreate();
  void OnSize(int width);
  void SelectMedium(uint8_t medium);

  AppSettings& settings_;
  CComboControl mediaList_;
  CToolStrip toolBar_;
};
