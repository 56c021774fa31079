#include "transfer/Walking.h"

#include "framework/core/Exception.h"
#include "framework/core/Helpers.h"
#include "platform/Files.h"
#include "platform/ScopeGuard.h"

void KeepingFolders(PlayerConnection& connection, const std::function<void()>& walk) {
  const CText pcFolder = CurrentDirectory();
  const CText playerFolder = connection.GetCurrentFolder();
  auto goBack = [&] {
    EnterPcFolder(pcFolder);
    connection.ChangeFolder(playerFolder);
  };
  {
    const platform::OnFailure goBackAfterFailure(goBack);
    walk();
  }
  goBack();
}

void AsOneUpdate(PlayerConnection& connection, const std::function<void()>& walk) {
  connection.BeginUpdate();
  {
    const platform::OnFailure endUpdate([&] { connection.EndUpdate(); });
    walk();
  }
  connection.EndUpdate();
}

void EnterPcFolder(const CText& path) {
  if (!platform::SetCurrentDirectory(path.View())) CException::ThrowLastError();
}
