#include "resources/ui/TransferDialogs.h"

#include "resources/ResourceIds.h"
#include "resources/ui/DialogWriter.h"

namespace {

constexpr uint32_t Visible = DialogWriter::Visible;

// The progress windows: an animation, the file's name, the progress bar, the
// amount and the speed, and Cancel.
DialogTemplate ProgressWindow(uint32_t id, const CText& title, uint32_t style, uint32_t figureStyle,
                              platform::Language language) {
  DialogTemplate dialog{id, title, 250, 100, style, {}};
  dialog.controls = {
      {ControlId::Animation, ControlKind::Animation, CText(), 7, 4, 236, 36},
      {ControlId::FileName, ControlKind::Static, CText(), 7, 45, 236, 9},
      {ControlId::Progress, ControlKind::ProgressBar, CText(), 7, 57, 236, 10},
      {ControlId::Amount, ControlKind::Static, CText(), 7, 71, 118, 9, figureStyle},
      {ControlId::Speed, ControlKind::Static, CText(), 125, 71, 118, 9, figureStyle | SS_RIGHT},
      {IDCANCEL, ControlKind::Button, CancelLabel.In(language), 193, 81, 50, 14},
  };
  return dialog;
}

ControlTemplate Picture(uint32_t icon, int x, int y) {
  ControlTemplate picture{0, ControlKind::Icon, CText(), x, y, 21, 20};
  picture.resource = icon;
  return picture;
}

ControlTemplate Button(int id, const Translated& label, platform::Language language, int x, int y, int width,
                       uint32_t style = Visible) {
  return {static_cast<uint32_t>(id), ControlKind::Button, label.In(language), x, y, width, 14, style};
}

constexpr Translated YesLabel{"&Yes", "はい(&Y)", "예(&Y)", "是(&Y)"};
constexpr Translated NoLabel{"&No", "いいえ(&N)", "아니요(&N)", "否(&N)"};

// Its title and message are the caller's.
DialogTemplate DeleteQuestion(platform::Language language) {
  DialogTemplate dialog{
      ResourceId::ConfirmDeleteDialog,
      Translated{"Confirm File Delete", "ファイル削除の確認", "파일 삭제 확인", "确认文件删除"}.In(language),
      250,
      62,
      WS_VISIBLE | WS_SYSMENU,
      {}};
  dialog.controls = {
      Picture(ResourceId::QuestionIcon, 7, 7),
      {ControlId::FileName, ControlKind::Static, CText(), 36, 9, 207, 26},
      Button(IDYES, YesLabel, language, 137, 42, 50, Visible | BS_DEFPUSHBUTTON),
      Button(IDNO, NoLabel, language, 193, 42, 50),
  };
  return dialog;
}

// Its title, message and the two files' descriptions are the caller's.
DialogTemplate ReplaceQuestion(platform::Language language) {
  DialogTemplate dialog{
      ResourceId::ConfirmReplaceDialog,
      Translated{"Confirm File Replace", "ファイル上書きの確認", "파일 바꾸기 확인", "确认文件替换"}.In(language),
      270,
      132,
      WS_VISIBLE | WS_SYSMENU,
      {}};
  const Translated existing{"Would you like to replace the existing file", "現在のファイル", "기존 파일을",
                            "是否将现有文件"};
  const Translated replacement{"with this one?", "を次のファイルで置き換えますか?", "이 파일로 바꾸시겠습니까?",
                               "替换为此文件?"};
  dialog.controls = {
      Picture(ResourceId::QuestionIcon, 7, 7),
      {ControlId::FileName, ControlKind::Static, CText(), 36, 9, 227, 18},
      {0, ControlKind::Static, existing.In(language), 36, 30, 227, 9},
      Picture(ResourceId::FileIcon, 44, 42),
      {ControlId::Amount, ControlKind::Static, CText(), 70, 44, 193, 18},
      {0, ControlKind::Static, replacement.In(language), 36, 66, 227, 9},
      Picture(ResourceId::FileIcon, 44, 78),
      {ControlId::Speed, ControlKind::Static, CText(), 70, 80, 193, 18},
      Button(IDYES, YesLabel, language, 36, 110, 52, Visible | BS_DEFPUSHBUTTON),
      Button(ControlId::YesToAll, {"Yes to &All", "すべて上書き(&A)", "모두 예(&A)", "全部是(&A)"}, language, 92, 110,
             66),
      Button(IDNO, NoLabel, language, 162, 110, 48),
      Button(IDCANCEL, CancelLabel, language, 214, 110, 49),
  };
  return dialog;
}

}  // namespace

void AddTransferDialogs(ResourceTable& table, platform::Language language) {
  // The transfer window stays hidden until its first display update; the
  // deletion window shows at once and never writes the amount and speed.
  const CText transferTitle = Translated{"File Transfer", "ファイル転送", "파일 전송", "文件传输"}.In(language);
  const CText deleteTitle = Translated{"File Delete", "ファイルの削除", "파일 삭제", "删除文件"}.In(language);
  for (DialogTemplate dialog :
       {ProgressWindow(ResourceId::TransferDialog, transferTitle, WS_SYSMENU, Visible, language),
        ProgressWindow(ResourceId::DeleteDialog, deleteTitle, WS_VISIBLE | WS_SYSMENU, WS_CHILD, language),
        DeleteQuestion(language), ReplaceQuestion(language)})
    table.dialogs[dialog.id] = std::move(dialog);
}
