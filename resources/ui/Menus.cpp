#include "resources/ui/Menus.h"

#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/ui/Translated.h"

namespace {

// Labels shared by the main menu and the context menu.
constexpr Translated CreateFolderLabel{"Create &Folder", "フォルダの作成(&F)", "폴더 만들기(&F)", "新建文件夹(&F)"};
constexpr Translated DownloadLabel{"&Download to Player", "プレーヤーへダウンロード(&D)", "플레이어로 다운로드(&D)",
                                   "下载到播放器(&D)"};
constexpr Translated UploadLabel{"&Upload to PC", "PC へアップロード(&U)", "PC로 업로드(&U)", "上传到 PC(&U)"};
constexpr Translated DeleteLabel{"&Delete", "削除(&D)", "삭제(&D)", "删除(&D)"};
constexpr Translated PropertiesLabel{"&Properties", "プロパティ(&P)", "속성(&P)", "属性(&P)"};
constexpr Translated RefreshLabel{"&Refresh", "最新の情報に更新(&R)", "새로 고침(&R)", "刷新(&R)"};

class MenuWriter {
 public:
  explicit MenuWriter(platform::Language language) : language_(language) {}

  // Keys are named alike in every language, after a tab.
  MenuItem Command(const Translated& label, uint32_t id, const char* keys = "") const {
    return {label.In(language_) + keys, id, {}};
  }
  MenuItem Popup(const Translated& label, std::vector<MenuItem> items) const {
    return {label.In(language_), 0, std::move(items)};
  }
  static MenuItem Separator() { return {}; }

 private:
  platform::Language language_;
};

MenuDescription MainMenu(const MenuWriter& m) {
  return {
      m.Popup({"&File", "ファイル(&F)", "파일(&F)", "文件(&F)"},
              {
                  m.Command(CreateFolderLabel, CommandId::CreateFolder),
                  m.Command(DownloadLabel, CommandId::Download),
                  m.Command(UploadLabel, CommandId::Upload),
                  m.Command({"Rena&me", "名前の変更(&M)", "이름 바꾸기(&M)", "重命名(&M)"}, CommandId::Rename, "\tF2"),
                  m.Command(DeleteLabel, CommandId::Delete, "\tDel"),
                  m.Command(PropertiesLabel, CommandId::Properties),
                  m.Separator(),
                  m.Command({"E&xit", "終了(&X)", "끝내기(&X)", "退出(&X)"}, CommandId::Exit),
              }),
      m.Popup({"&Edit", "編集(&E)", "편집(&E)", "编辑(&E)"},
              {
                  m.Command({"Move &Up", "上へ移動(&U)", "위로 이동(&U)", "上移(&U)"}, CommandId::MoveUp, "\tAlt+Up"),
                  m.Command({"Move &Down", "下へ移動(&D)", "아래로 이동(&D)", "下移(&D)"}, CommandId::MoveDown,
                            "\tAlt+Down"),
                  m.Separator(),
                  m.Command({"Select &All", "すべて選択(&A)", "모두 선택(&A)", "全选(&A)"}, CommandId::SelectAll,
                            "\tCtrl+A"),
              }),
      m.Popup(
          {"&View", "表示(&V)", "보기(&V)", "查看(&V)"},
          {
              m.Command({"Internal Memory", "内蔵メモリ", "내장 메모리", "内部存储器"}, CommandId::InternalMemory),
              m.Command({"MMC/SD Card", "MMC/SDカード", "MMC/SD 카드", "MMC/SD 卡"}, CommandId::MemoryCard),
              m.Separator(),
              m.Command({"Sort by None", "並べ替えなし", "정렬 안 함", "不排序"}, CommandId::SortNone),
              m.Command({"Sort by &Name", "名前順(&N)", "이름순 정렬(&N)", "按名称排序(&N)"}, CommandId::SortName),
              m.Command({"Sort by &Extension", "拡張子順(&E)", "확장자순 정렬(&E)", "按扩展名排序(&E)"},
                        CommandId::SortExtension),
              m.Command({"Sort by Si&ze", "サイズ順(&Z)", "크기순 정렬(&Z)", "按大小排序(&Z)"}, CommandId::SortSize),
              m.Command({"Sort by &Date", "日付順(&D)", "날짜순 정렬(&D)", "按日期排序(&D)"}, CommandId::SortDate),
              m.Separator(),
              m.Command(RefreshLabel, CommandId::Refresh, "\tF5"),
          }),
      m.Popup({"&Tool", "ツール(&T)", "도구(&T)", "工具(&T)"},
              {
                  m.Command({"Media &Format", "メディアのフォーマット(&F)", "미디어 포맷(&F)", "格式化媒体(&F)"},
                            CommandId::MediaFormat),
                  m.Command({"Firmware &Upgrade", "ファームウェアの更新(&U)", "펌웨어 업그레이드(&U)", "固件升级(&U)"},
                            CommandId::FirmwareUpgrade),
              }),
      m.Popup({"&Help", "ヘルプ(&H)", "도움말(&H)", "帮助(&H)"},
              {
                  m.Command({"&About", "バージョン情報(&A)", "정보(&A)", "关于(&A)"}, CommandId::About),
              }),
  };
}

MenuDescription ContextMenu(const MenuWriter& m) {
  return {
      m.Popup({"Player", "プレーヤー", "플레이어", "播放器"},
              {
                  m.Command(CreateFolderLabel, CommandId::CreateFolder),
                  m.Command(DownloadLabel, CommandId::Download),
                  m.Command(UploadLabel, CommandId::Upload),
                  m.Command(DeleteLabel, CommandId::Delete),
                  m.Command(PropertiesLabel, CommandId::Properties),
                  m.Separator(),
                  m.Command(RefreshLabel, CommandId::Refresh),
              }),
  };
}

}  // namespace

void AddMenus(ResourceTable& table, platform::Language language) {
  const MenuWriter writer(language);
  table.menus[ResourceId::MainFrame] = MainMenu(writer);
  table.menus[ResourceId::ContextMenu] = ContextMenu(writer);
}

void AddAccelerators(ResourceTable& table) {
  // Virtual keys without menu highlighting; Del is turned into Delete by the
  // player view itself.
  constexpr uint8_t Key = FVIRTKEY | FNOINVERT;
  constexpr uint16_t F2 = VK_F1 + 1;
  constexpr uint16_t F5 = VK_F1 + 4;
  table.accelerators[ResourceId::MainFrame] = {
      {Key | FCONTROL, 'A', CommandId::SelectAll},
      {Key | FCONTROL, 'D', CommandId::Delete},
      {Key | FALT, VK_DOWN, CommandId::MoveDown},
      {Key, F2, CommandId::Rename},
      {Key, F5, CommandId::Refresh},
      {Key | FALT, VK_RETURN, CommandId::Properties},
      {Key | FALT, VK_UP, CommandId::MoveUp},
  };
}
