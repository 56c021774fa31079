#include "resources/ui/TrackDialog.h"

#include "resources/ResourceIds.h"
#include "resources/ui/DialogWriter.h"

void AddTrackDialog(ResourceTable& table, platform::Language language) {
  using namespace ControlId;
  constexpr uint32_t Visible = DialogWriter::Visible;
  constexpr uint32_t Figure = Visible | ES_READONLY | ES_RIGHT;
  DialogWriter dialog(language, ResourceId::TrackPropertiesDialog,
                      {"File Properties", "ファイルのプロパティ", "파일 속성", "文件属性"}, 230, 199);
  // A label and its field on each line: the tags to edit, then the audio
  // figures to read.
  struct Line {
    uint32_t id;
    Translated label;
    int width;
    uint32_t style;
  };
  const Line tags[] = {
      {TrackTitle, {"Title:", "タイトル:", "제목:", "标题:"}, 155, Visible},
      {TrackArtist, {"Artist:", "アーティスト:", "아티스트:", "艺术家:"}, 155, Visible},
      {TrackAlbum, {"Album:", "アルバム:", "앨범:", "专辑:"}, 155, Visible},
      {TrackComment, {"Comment:", "コメント:", "설명:", "注释:"}, 155, Visible},
  };
  const Line figures[] = {
      {TrackFormat, {"Format:", "フォーマット:", "형식:", "格式:"}, 155, Visible | ES_READONLY},
      {TrackFrequency, {"Frequency:", "周波数:", "주파수:", "频率:"}, 70, Figure},
      {TrackBitRate, {"Bitrate:", "ビットレート:", "비트 전송률:", "比特率:"}, 70, Figure},
      {TrackPlayTime, {"Play Time:", "再生時間:", "재생 시간:", "播放时间:"}, 70, Figure},
  };
  auto group = [&](const Translated& title, int top, const auto& lines) {
    dialog.Add(0, ControlKind::GroupBox, title, 7, top, 216, 16 + 18 * 4);
    int y = top + 14;
    for (const Line& line : lines) {
      dialog.Add(0, ControlKind::Static, line.label, 14, y + 2, 52, 8);
      dialog.Add(line.id, ControlKind::Edit, 68, y, line.width, 12, line.style);
      y += 18;
    }
  };
  group({"Tags", "タグ", "태그", "标签"}, 5, tags);
  group({"Audio", "オーディオ", "오디오", "音频"}, 95, figures);
  // A status line that stays hidden and empty.
  dialog.Add(0, ControlKind::Static, {"Status:", "状態:", "상태:", "状态:"}, 146, 129, 30, 8, WS_CHILD)
      .Add(TrackStatus, ControlKind::Edit, 178, 127, 38, 12, WS_CHILD | ES_READONLY)
      .Add(IDOK, ControlKind::Button, OkLabel, 118, 181, 50, 14, Visible | BS_DEFPUSHBUTTON)
      .Add(IDCANCEL, ControlKind::Button, CancelLabel, 173, 181, 50, 14)
      .Into(table);
}
