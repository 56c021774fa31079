#include "resources/ui/ToolDialogs.h"

#include "resources/ResourceIds.h"
#include "resources/ui/DialogWriter.h"

namespace {

constexpr uint32_t Visible = DialogWriter::Visible;

constexpr Translated CapacityLabel{"Capacity:", "容量:", "용량:", "容量:"};

}  // namespace

void AddToolDialogs(ResourceTable& table, platform::Language language) {
  using namespace ControlId;
  const uint32_t defaultButton = Visible | BS_DEFPUSHBUTTON;

  DialogWriter(language, ResourceId::MediaFormatDialog,
               {"Media Format", "メディアのフォーマット", "미디어 포맷", "格式化媒体"}, 210, 118)
      .Add(FormatMedium, ControlKind::Static, 10, 11, 135, 8)
      .Add(RefreshMedium, ControlKind::Button, {"Refresh", "更新", "새로 고침", "刷新"}, 150, 8, 50, 14)
      .Add(0, ControlKind::Static, CapacityLabel, 10, 27, 45, 8)
      .Add(FormatCapacity, ControlKind::Static, 57, 27, 88, 8)
      .Add(QuickFormat, ControlKind::CheckBox, {"Quick Format", "クイック フォーマット", "빠른 포맷", "快速格式化"}, 10,
           44, 135, 10)
      .Add(StatusLine, ControlKind::Static, 10, 63, 190, 8)
      .Add(Progress, ControlKind::ProgressBar, 10, 75, 190, 10)
      .Add(IDOK, ControlKind::Button, {"Format", "フォーマット", "포맷", "格式化"}, 95, 96, 50, 14, defaultButton)
      .Add(IDCANCEL, ControlKind::Button, CancelLabel, 150, 96, 50, 14)
      .Into(table);

  DialogWriter(language, ResourceId::MediaPropertiesDialog,
               {"Media Properties", "メディアのプロパティ", "미디어 속성", "媒体属性"}, 200, 90)
      .Add(MediumDescription, ControlKind::Static, 10, 11, 180, 8)
      .Add(0, ControlKind::Static, CapacityLabel, 10, 28, 62, 8)
      .Add(MediumCapacity, ControlKind::Static, 75, 28, 115, 8)
      .Add(0, ControlKind::Static, {"Volume Label:", "ボリューム ラベル:", "볼륨 레이블:", "卷标:"}, 10, 46, 62, 8)
      .Add(VolumeLabel, ControlKind::Edit, 75, 44, 115, 12)
      .Add(IDOK, ControlKind::Button, OkLabel, 85, 68, 50, 14, defaultButton)
      .Add(IDCANCEL, ControlKind::Button, CancelLabel, 140, 68, 50, 14)
      .Into(table);

  DialogWriter(language, ResourceId::FirmwareFileDialog,
               {"Firmware Update", "ファームウェアの更新", "펌웨어 업데이트", "固件更新"}, 200, 70)
      .Add(0, ControlKind::Static,
           {"Select a firmware file (*.HEX).", "ファームウェア ファイル (*.HEX) を選択してください。",
            "펌웨어 파일(*.HEX)을 선택하십시오.", "请选择固件文件 (*.HEX)。"},
           10, 10, 180, 8)
      .Add(FirmwareFiles, ControlKind::ComboBox, 10, 24, 180, 80, Visible | CBS_DROPDOWNLIST | CBS_SORT)
      .Add(IDOK, ControlKind::Button, OkLabel, 85, 48, 50, 14, defaultButton)
      .Add(IDCANCEL, ControlKind::Button, CancelLabel, 140, 48, 50, 14)
      .Into(table);

  // No buttons and no close box: nothing may stop an upgrade.
  DialogWriter(language, ResourceId::FirmwareUpgradeDialog,
               {"Firmware update", "ファームウェアの更新", "펌웨어 업데이트", "固件更新"}, 200, 60, WS_VISIBLE)
      .Add(0, ControlKind::Static,
           {"Firmware Upgrading...", "ファームウェアを更新しています...", "펌웨어를 업그레이드하는 중...",
            "正在升级固件..."},
           10, 10, 180, 8)
      .Add(0, ControlKind::Static,
           {"Do NOT disconnect the USB cable!", "USB ケーブルを外さないでください!", "USB 케이블을 분리하지 마십시오!",
            "请勿断开 USB 电缆！"},
           10, 22, 180, 8)
      .Add(Progress, ControlKind::ProgressBar, 10, 38, 180, 10)
      .Into(table);
}
