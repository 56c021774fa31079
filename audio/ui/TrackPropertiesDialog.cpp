#include "audio/ui/TrackPropertiesDialog.h"

#include "framework/core/Helpers.h"
#include "messages/MessageBoxes.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

using namespace ControlId;

constexpr uint32_t TagFields[] = {TrackTitle, TrackArtist, TrackAlbum, TrackComment};

CText* TagOf(TrackInfo& info, uint32_t field) {
  switch (field) {
    case TrackTitle:
      return &info.title;
    case TrackArtist:
      return &info.artist;
    case TrackAlbum:
      return &info.album;
    default:
      return &info.comment;
  }
}

}  // namespace

LRESULT TrackPropertiesDialog::Run(CNativeWindow* owner) { return RunModal(owner, ResourceId::TrackPropertiesDialog); }

bool TrackPropertiesDialog::OnMessage(MessageRecord& record) {
  if (record.message == WM_INITDIALOG) {
    ShowTrack();
    return false;
  }
  if (record.message != WM_COMMAND || LowWord(record.wParam) != IDOK) return false;
  OnOk();
  return true;
}

void TrackPropertiesDialog::ShowTrack() {
  TrackInfo& info = *entry_.trackInfo;
  for (uint32_t field : TagFields) {
    SendToItem(field, EM_LIMITTEXT, MaxTagLength);
    SetItemText(field, *TagOf(info, field));
  }
  if (info.version < 1 || info.version > 3) {
    const CText unknown = LoadStringText(StringId::UnknownFormat);
    for (uint32_t field : {TrackFormat, TrackBitRate, TrackFrequency, TrackPlayTime}) SetItemText(field, unknown);
    return;
  }
  constexpr const char* Versions[] = {"MPEG-1 Layer%u", "MPEG-2 LSF Layer%u", "MPEG-2.5 Layer%u"};
  CText text;
  text.Format(Versions[info.version - 1], info.layer);
  SetItemText(TrackFormat, text);
  text.Format("%u Kbps", info.bitRate / 1000);
  SetItemText(TrackBitRate, text);
  text.Format("%u Hz", info.sampleRate);
  SetItemText(TrackFrequency, text);
  const uint32_t hours = info.duration / 3600;
  text.Format("%02u:%02u:%02u", hours, (info.duration - 3600 * hours) / 60, info.duration % 60);
  SetItemText(TrackPlayTime, text);
}

// The entry takes the texts only once the record was written.
void TrackPropertiesDialog::OnOk() {
  TrackInfo info = *entry_.trackInfo;
  for (uint32_t field : TagFields) *TagOf(info, field) = ItemText(field);
  if (RunShowingErrors(handle_, [&] { connection_.SetTrackTags(entry_, info); })) Close(IDOK);
}

int ShowTrackProperties(CNativeWindow* owner, PlayerConnection& connection, PlayerEntry& entry) {
  if (!entry.trackInfo) return IDCANCEL;
  return static_cast<int>(TrackPropertiesDialog(connection, entry).Run(owner));
}
