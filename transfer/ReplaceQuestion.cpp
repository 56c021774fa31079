#include "transfer/ReplaceQuestion.h"

#include "framework/core/Helpers.h"
#include "player/DisplayText.h"
#include "resources/StringIds.h"

CText FileDescription(uint32_t size, const CFileStamp& modified) {
  CText text;
  text.Format(LoadStringText(StringId::FileSizeAndDate).Chars(), FormatSizeText(size).Chars(),
              modified.Text(CFileStamp::LongDate, 0).Chars());
  return text;
}

ReplaceQuestion MakeReplaceQuestion(TransferDirection direction, const CText& pcPath, const PlayerEntry& playerEntry) {
  const CFileEntry pcFile = GetFileEntry(pcPath);
  ReplaceQuestion question;
  question.title = LoadStringText(StringId::ConfirmReplaceTitle);
  question.message.Format(LoadStringText(StringId::AskReplace).Chars(), pcFile.name.Chars());
  CText pcText = FileDescription(pcFile.size, pcFile.modified);
  CText playerText = FileDescription(playerEntry.size, playerEntry.stamp);
  if (direction == TransferDirection::ToPlayer) {
    question.existingFile = playerText;
    question.newFile = pcText;
  } else {
    question.existingFile = pcText;
    question.newFile = playerText;
  }
  return question;
}
