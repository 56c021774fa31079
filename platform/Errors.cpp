#include "platform/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/CodePage.h"

namespace platform {

namespace {

thread_local uint32_t lastError = Error::None;

struct MessageText {
  uint32_t code;
  const char* text[4];  // indexed by Language
};

// Our own wording, in the order of Language: English, Japanese, Korean, Chinese.
constexpr MessageText Messages[] = {
    {Error::None,
     {"The operation completed successfully.", "操作は正常に終了しました。", "작업을 완료했습니다.", "操作成功完成。"}},
    {Error::FileNotFound,
     {"The file cannot be found.", "ファイルが見つかりません。", "파일을 찾을 수 없습니다.", "找不到文件。"}},
    {Error::PathNotFound,
     {"The path cannot be found.", "パスが見つかりません。", "경로를 찾을 수 없습니다.", "找不到路径。"}},
    {Error::TooManyOpenFiles,
     {"Too many files are open.", "開いているファイルが多すぎます。", "열려 있는 파일이 너무 많습니다.",
      "打开的文件过多。"}},
    {Error::AccessDenied,
     {"Access is denied.", "アクセスが拒否されました。", "액세스가 거부되었습니다.", "拒绝访问。"}},
    {Error::InvalidHandle,
     {"The handle is not valid.", "ハンドルが無効です。", "핸들이 올바르지 않습니다.", "句柄无效。"}},
    {Error::NotEnoughMemory,
     {"There is not enough memory to complete this operation.", "この操作を完了するためのメモリが足りません。",
      "이 작업을 완료하기에 메모리가 부족합니다.", "内存不足，无法完成此操作。"}},
    {Error::InvalidData, {"The data is not valid.", "データが無効です。", "데이터가 올바르지 않습니다.", "数据无效。"}},
    {Error::NotSameDevice,
     {"The file cannot be moved to a different disk.", "ファイルを別のディスクへ移動することはできません。",
      "파일을 다른 디스크로 옮길 수 없습니다.", "无法将文件移到其他磁盘。"}},
    {Error::NoMoreFiles,
     {"There are no more files.", "これ以上ファイルはありません。", "더 이상 파일이 없습니다.", "没有更多文件。"}},
    {Error::WriteProtect,
     {"The medium is write-protected.", "メディアは書き込み禁止です。", "미디어가 쓰기 금지되어 있습니다.",
      "介质处于写保护状态。"}},
    {Error::NotReady,
     {"The device is not ready.", "デバイスの準備ができていません。", "장치가 준비되지 않았습니다.", "设备未就绪。"}},
    {Error::GenFailure,
     {"A device attached to the system is not working.", "システムに接続されたデバイスが動作していません。",
      "시스템에 연결된 장치가 작동하지 않습니다.", "连接到系统的设备无法工作。"}},
    {Error::SharingViolation,
     {"The file is in use by another program.", "ファイルは別のプログラムが使用中です。",
      "다른 프로그램이 파일을 사용하고 있습니다.", "另一个程序正在使用此文件。"}},
    {Error::HandleEof,
     {"The end of the file has been reached.", "ファイルの終わりに達しました。", "파일의 끝에 도달했습니다.",
      "已到达文件末尾。"}},
    {Error::NotSupported,
     {"This operation is not supported.", "この操作はサポートされていません。", "이 작업은 지원되지 않습니다.",
      "不支持此操作。"}},
    {Error::FileExists, {"The file exists.", "ファイルは既に存在します。", "파일이 이미 있습니다.", "文件已存在。"}},
    {Error::InvalidParameter,
     {"A parameter is not valid.", "パラメーターが正しくありません。", "매개 변수가 올바르지 않습니다.",
      "参数不正确。"}},
    {Error::BrokenPipe, {"The pipe has been ended.", "パイプは終了しました。", "파이프가 끝났습니다.", "管道已结束。"}},
    {Error::DiskFull,
     {"There is not enough space on the disk.", "ディスクの空き領域が足りません。", "디스크 공간이 부족합니다.",
      "磁盘空间不足。"}},
    {Error::InsufficientBuffer,
     {"The data area passed is too small.", "渡されたデータ領域が小さすぎます。", "전달된 데이터 영역이 너무 작습니다.",
      "传递的数据区域太小。"}},
    {Error::InvalidName,
     {"The file name, folder name or volume label is not valid.",
      "ファイル名、フォルダー名、またはボリューム ラベルが正しくありません。",
      "파일 이름, 폴더 이름 또는 볼륨 레이블이 올바르지 않습니다.", "文件名、文件夹名或卷标不正确。"}},
    {Error::ModuleNotFound,
     {"The library cannot be found or loaded.", "ライブラリが見つからないか、読み込めません。",
      "라이브러리를 찾을 수 없거나 불러올 수 없습니다.", "找不到或无法加载库。"}},
    {Error::ProcedureNotFound,
     {"The procedure cannot be found in the library.", "ライブラリにプロシージャが見つかりません。",
      "라이브러리에서 프로시저를 찾을 수 없습니다.", "在库中找不到指定的过程。"}},
    {Error::DirectoryNotEmpty,
     {"The folder is not empty.", "フォルダーは空ではありません。", "폴더가 비어 있지 않습니다.", "文件夹不是空的。"}},
    {Error::Busy,
     {"The resource is in use.", "リソースは使用中です。", "리소스를 사용하고 있습니다.", "资源正在使用中。"}},
    {Error::AlreadyExists,
     {"A file or folder with that name already exists.", "その名前のファイルまたはフォルダーは既に存在します。",
      "같은 이름의 파일이나 폴더가 이미 있습니다.", "已存在同名的文件或文件夹。"}},
    {Error::NameTooLong,
     {"The file name or extension is too long.", "ファイル名または拡張子が長すぎます。",
      "파일 이름이나 확장명이 너무 깁니다.", "文件名或扩展名太长。"}},
    {Error::FileTooLarge, {"The file is too large.", "ファイルが大きすぎます。", "파일이 너무 큽니다.", "文件太大。"}},
    {Error::NotADirectory,
     {"The folder name is not valid.", "フォルダー名が正しくありません。", "폴더 이름이 올바르지 않습니다.",
      "文件夹名称无效。"}},
    {Error::NoUnicodeTranslation,
     {"A character has no counterpart in the code page.", "コード ページに対応する文字がありません。",
      "코드 페이지에 해당하는 문자가 없습니다.", "代码页中没有对应的字符。"}},
    {Error::IoDevice,
     {"An input or output error occurred on the device.", "デバイスで入出力エラーが発生しました。",
      "장치에서 입출력 오류가 발생했습니다.", "设备上发生输入/输出错误。"}},
    {Error::InvalidWindowHandle,
     {"The window handle is not valid.", "ウィンドウ ハンドルが正しくありません。", "창 핸들이 올바르지 않습니다.",
      "窗口句柄无效。"}},
    {Error::Timeout,
     {"The operation timed out.", "操作がタイムアウトしました。", "작업 시간이 초과되었습니다.", "操作超时。"}},
    {Error::CantResolveFilename,
     {"The file name cannot be resolved: there are too many symbolic links.",
      "シンボリック リンクが多すぎて、ファイル名を解決できません。",
      "기호화된 링크가 너무 많아 파일 이름을 확인할 수 없습니다.", "符号链接过多，无法解析文件名。"}},
};

// For codes the table lacks; the number is the only thing we know.
constexpr const char* UnknownCode[] = {"Unknown error (code %u).", "不明なエラーです (コード %u)。",
                                       "알 수 없는 오류입니다 (코드 %u).", "未知错误 (代码 %u)。"};
// For errno values kept behind Error::FromErrno; the system's own text follows.
constexpr const char* SystemError[] = {"System error %d: %s.", "システム エラー %d: %s。", "시스템 오류 %d: %s.",
                                       "系统错误 %d: %s。"};

}  // namespace

uint32_t GetLastError() { return lastError; }

void SetLastError(uint32_t code) { lastError = code; }

uint32_t ErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0:
      return Error::None;
    case ENOENT:
      return Error::FileNotFound;
    case ENOTDIR:
      return Error::PathNotFound;  // a folder in the path is a file
    case EMFILE:
    case ENFILE:
      return Error::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
      return Error::AccessDenied;
    case EBADF:
      return Error::InvalidHandle;
    case ENOMEM:
      return Error::NotEnoughMemory;
    case EXDEV:
      return Error::NotSameDevice;
    case EROFS:
      return Error::WriteProtect;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return Error::NotReady;
    case ETXTBSY:
      return Error::SharingViolation;
    case EOPNOTSUPP:
    case ENOSYS:
      return Error::NotSupported;
    case EEXIST:
      return Error::FileExists;
    case EINVAL:
      return Error::InvalidParameter;
    case EPIPE:
      return Error::BrokenPipe;
    case ENOSPC:
    case EDQUOT:
      return Error::DiskFull;
    case ERANGE:
      return Error::InsufficientBuffer;
    case ENOTEMPTY:
      return Error::DirectoryNotEmpty;
    case EBUSY:
    case EAGAIN:
      return Error::Busy;
    case ENAMETOOLONG:
      return Error::NameTooLong;
    case EFBIG:
      return Error::FileTooLarge;
    case EILSEQ:
      return Error::NoUnicodeTranslation;
    case EIO:
      return Error::IoDevice;
    case ETIMEDOUT:
      return Error::Timeout;
    case ELOOP:
      return Error::CantResolveFilename;
    default:
      return Error::FromErrno | static_cast<uint32_t>(errnoValue);
  }
}

uint32_t SetLastErrorFromErrno() { return SetLastErrorFromErrno(errno); }

uint32_t SetLastErrorFromErrno(int errnoValue) {
  lastError = ErrorFromErrno(errnoValue);
  return lastError;
}

std::string ErrorMessageUtf8(uint32_t code, Language language) {
  size_t index = static_cast<size_t>(language);
  for (const MessageText& message : Messages) {
    if (message.code == code) return message.text[index];
  }
  char text[512];
  if ((code & ~0xFFFFu) == Error::FromErrno) {
    int errnoValue = static_cast<int>(code & 0xFFFF);
    std::snprintf(text, sizeof text, SystemError[index], errnoValue, std::strerror(errnoValue));
  } else {
    std::snprintf(text, sizeof text, UnknownCode[index], code);
  }
  return text;
}

std::string ErrorMessage(uint32_t code) {
  uint32_t kept = lastError;  // showing an error must not replace it
  std::string text;
  // A page that cannot show the interface language still gets the English text.
  if (!Utf8ToCodePage(ErrorMessageUtf8(code, InterfaceLanguage()), &text)) {
    Utf8ToCodePage(ErrorMessageUtf8(code, Language::English), &text);
  }
  lastError = kept;
  return text;
}

}  // namespace platform
